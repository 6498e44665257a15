#include "CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cstdio>

#include "SendCommand.h"
#include "Subcommand.h"

#ifdef Q_OS_WIN
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

using cli::kDone;
using cli::kProgram;
using cli::say;

constexpr const char* kLicence =
    "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.";

// The subcommands, in the order the help lists them: a new one is its own
// file and one row here.
std::array<cli::Subcommand, 4> subcommands()
{
    return {cli::createCommand(), cli::showCommand(), cli::exportCommand(), cli::sendCommand()};
}

const cli::Subcommand* subcommandOf(const std::string& word)
{
    static const auto table = subcommands();
    const auto found =
        std::find_if(table.begin(), table.end(), [&word](const cli::Subcommand& c) { return word == c.word; });
    return found == table.end() ? nullptr : &*found;
}

constexpr std::size_t kHelpWidth = 80;
constexpr std::size_t kSynopsisIndent = 6;
constexpr std::size_t kDescriptionColumn = 14;

// "  palvorn-enemy-creator create --name NAME [--money N] ...": the parser's
// options and positional syntax, wrapped before kHelpWidth.
std::string synopsis(const cli::Subcommand& command)
{
    QStringList items;
    for (const QCommandLineOption& option : command.options()) {
        if (option.flags() & QCommandLineOption::HiddenFromHelp)
            continue;
        const QString name = option.names().first();
        QString item = QStringLiteral("--") + name;
        if (!option.valueName().isEmpty())
            item += QLatin1Char(' ') + option.valueName();
        items << (command.required.contains(name) ? item : QLatin1Char('[') + item + QLatin1Char(']'));
    }
    items << QString::fromLatin1(command.positional);

    std::string text = "  " + std::string(kProgram) + " " + command.word;
    std::size_t lineStart = 0;
    for (const QString& item : items) {
        const std::string word = item.toStdString();
        if (text.size() - lineStart + 1 + word.size() > kHelpWidth) {
            text += "\n";
            lineStart = text.size();
            text += std::string(kSynopsisIndent - 1, ' ');
        }
        text += " " + word;
    }
    return text + "\n";
}

// The option lines under a subcommand's paragraph: "  --money     0 to 99...".
std::string optionLines(const cli::Subcommand& command)
{
    std::string text;
    for (const QCommandLineOption& option : command.options()) {
        QString description = option.description();
        if (description.isEmpty())
            continue;
        QString label = QStringLiteral("--") + option.names().first();
        if (const qsizetype tab = description.indexOf(QLatin1Char('\t')); tab >= 0) {
            label = description.left(tab);
            description = description.mid(tab + 1);
        }
        std::string line = "  " + label.toStdString();
        line.resize(std::max(line.size() + 1, kDescriptionColumn), ' ');
        // Continuation lines start under the first line's text.
        description.replace(QLatin1Char('\n'), QLatin1Char('\n') + QString(kDescriptionColumn, QLatin1Char(' ')));
        text += line + description.toStdString() + "\n";
    }
    return text;
}

// The help, made from the subcommands' parsers.
std::string usage()
{
    std::string synopses, sections;
    for (const cli::Subcommand& command : subcommands()) {
        synopses += synopsis(command);
        sections += std::string(command.about) + optionLines(command);
    }
    return "usage:\n" + synopses + "  " + kProgram + " --help | --version\n" + "  " + kProgram +
           " [FILE.asm]\n"
           "\n"
           "Without arguments the program opens its windows; with one existing file it\n"
           "opens the windows with that enemy, as Open does.\n"
           "\n" +
           sections +
           "\n"
           "Exit status: 0 done, 1 refused input, 2 the file could not be written,\n"
           "3 the build failed, 4 the cable or the calculator failed (send).\n";
}

}  // namespace

QStringList programArguments(int argc, char* argv[])
{
    QStringList args;
#ifdef Q_OS_WIN
    // argv holds the arguments in the ANSI code page, which lacks most
    // letters; the wide command line has them all.
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            args << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
        return args;
    }
#endif
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

bool isCommandLine(int argc, char* argv[])
{
    return argc >= 2 && windowsFile(argc, argv).isEmpty();
}

QString windowsFile(int argc, char* argv[])
{
    const QStringList args = programArguments(argc, argv);
    if (args.size() != 1)
        return {};
    const QString& path = args.constFirst();
    if (subcommandOf(path.toStdString()) || path.startsWith(QLatin1Char('-')))
        return {};
    return QFileInfo(path).isFile() ? path : QString();
}

int runCommandLine(int argc, char* argv[])
{
    // No display is needed: only the non-graphical part of Qt is started.
    QCoreApplication app(argc, argv);
    const std::string word = argv[1];
    if (word == "--help" || word == "-h") {
        std::fputs(usage().c_str(), stdout);
        return kDone;
    }
    if (word == "--version") {
        say(stdout, std::string(kProgram) + " " + PALVORN_VERSION + "\n" + kLicence);
        return kDone;
    }
    if (const cli::Subcommand* command = subcommandOf(word))
        return command->run(programArguments(argc, argv).mid(1));
    // One line naming the word, and where to look: the whole usage would
    // bury the line.
    say(stderr, std::string(kProgram) + ": \"" + word + "\" is " +
                    (word.rfind('-', 0) == 0 ? "not an option" : "neither a command nor an existing file"));
    say(stderr, "Try --help");
    return cli::kRefused;
}
