#include "SendCommand.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <unistd.h>

#include <string>

namespace {

constexpr int kSent = 0;
constexpr int kRefused = 1;
constexpr const char* kProgram = "palvorn-enemy-creator";

void say(std::FILE* stream, const std::string& text)
{
    std::fputs((text + "\n").c_str(), stream);
}

int refuse(std::FILE* err, const std::string& what, const std::string& message)
{
    say(err, std::string(kProgram) + ": " + what + ": " + message);
    return kRefused;
}

std::string local(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

// --cable and --calc, as the parser takes them and the help lists them.
QList<QCommandLineOption> sendOptions()
{
    return {QCommandLineOption(QStringLiteral("cable"),
                               QStringLiteral("auto (the default), usb or silverlink: the cable to send over"),
                               QStringLiteral("auto|usb|silverlink"), QStringLiteral("auto")),
            QCommandLineOption(QStringLiteral("calc"),
                               QStringLiteral("auto (the default: as the cable reports it), 83+, 84+ or 84+ce"),
                               QStringLiteral("auto|83+|84+|84+ce"), QStringLiteral("auto"))};
}

}  // namespace

namespace cli {

Subcommand sendCommand()
{
    return {"send", sendOptions, "FILE", {},
            "send sends NAME.8XP (or the NAME.8XP beside NAME.asm) to a calculator over\n"
            "its USB cable or a SilverLink; --cable and --calc choose when more than one\n"
            "is connected (default auto: the first calculator found).\n",
            [](const QStringList& args) { return runSend(args); }};
}

}  // namespace cli

int runSend(const QStringList& arguments)
{
    return runSend(arguments, calclink::systemCable, stdout, stderr);
}

int runSend(const QStringList& arguments, const calclink::CableFactory& factory, std::FILE* out, std::FILE* err)
{
    QCommandLineParser parser;
    const QList<QCommandLineOption> known = sendOptions();
    const QCommandLineOption& cableOption = known[0];
    const QCommandLineOption& calcOption = known[1];
    parser.addOptions(known);
    parser.addPositionalArgument(QStringLiteral("FILE"), QString());
    // "-x" is never a cluster of short options: send has none.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(QStringList{QStringLiteral("send")} + arguments))
        return refuse(err, "send", local(parser.errorText()) + " (see --help)");
    if (parser.positionalArguments().size() != 1)
        return refuse(err, "send", "takes one file, NAME.8XP or NAME.asm; " +
                                       std::to_string(parser.positionalArguments().size()) + " given");

    calclink::Options options;
    const QString cableWord = parser.value(cableOption);
    const QString calcWord = parser.value(calcOption);
    const auto cable = calclink::cableFromWord(local(cableWord));
    if (!cable)
        return refuse(err, "--cable", cli::inQuotes(local(cableWord)) + " is not auto, usb or silverlink");
    const auto calc = calclink::calcFromWord(local(calcWord));
    if (!calc)
        return refuse(err, "--calc", cli::inQuotes(local(calcWord)) + " is not auto, 83+, 84+ or 84+ce");
    options.cable = *cable;
    options.calc = *calc;
    if (const auto conflict = calclink::choiceConflict(options))
        return refuse(err, "--calc", *conflict);

    const QString given = parser.positionalArguments().constFirst();
    const std::filesystem::path program = calclink::programFileFor(given.toStdU16String());
    const QString programPath = QString::fromStdU16String(program.u16string());
    if (QFileInfo(given).suffix().compare(QLatin1String("asm"), Qt::CaseInsensitive) == 0 &&
        !QFileInfo(programPath).isFile())
        return refuse(err, local(given), "no " + local(QFileInfo(programPath).fileName()) +
                                             " beside it: build it first (create --build, or Create in the windows)");
    if (!calclink::available()) {
        say(err, std::string(kProgram) + ": " + calclink::unavailableReason());
        return kSendFailed;
    }

    // Progress only for a person watching: a percentage when the library
    // counts, else one line saying it is under way.
    const bool terminal = isatty(fileno(err)) != 0;
    const std::string name = local(QFileInfo(programPath).fileName());
    bool announced = false;
    const calclink::ProgressFn progress = [&](const calclink::Progress& p) {
        if (!terminal)
            return true;
        if (p.total > 0)
            std::fprintf(err, "\rSending %s: %3u%%", name.c_str(), unsigned(100ull * p.done / p.total));
        else if (!announced)
            std::fprintf(err, "\rSending %s...", name.c_str());
        announced = true;
        std::fflush(err);
        return true;
    };
    const calclink::Outcome outcome = calclink::sendProgram(program, options, progress, factory);
    if (announced)
        std::fputc('\n', err);
    switch (outcome.failure) {
    case calclink::Failure::None:
        say(out, outcome.message);
        return kSent;
    case calclink::Failure::Refused:
        say(err, std::string(kProgram) + ": " + outcome.message);
        return kRefused;
    default:
        say(err, std::string(kProgram) + ": " + outcome.message);
        return kSendFailed;
    }
}
