#include "Subcommand.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "EnemyReader.h"

namespace cli {

void say(std::FILE* stream, const std::string& text)
{
    std::fputs(text.c_str(), stream);
    std::fputc('\n', stream);
}

std::string inQuotes(std::string_view text)
{
    // Built by appending: GCC 12 warns falsely (-Wrestrict) about a literal
    // put in front of a temporary string.
    std::string result = "\"";
    result += text;
    result += '"';
    return result;
}

int refuse(const std::string& what, const std::string& message)
{
    say(stderr, std::string(kProgram) + ": " + what + ": " + message);
    return kRefused;
}

int refuse(const QString& what, const std::string& message)
{
    return refuse(what.toLocal8Bit().toStdString(), message);
}

int refuse(const char* what, const std::string& message)
{
    return refuse(std::string(what), message);
}

QString optionName(std::string_view option)
{
    while (option.starts_with('-'))
        option.remove_prefix(1);
    return QString::fromLatin1(option.data(), static_cast<qsizetype>(option.size()));
}

namespace {

// An argument's option name: its dashes and any "=VALUE" dropped.
QString nameOfArgument(const QString& arg)
{
    const QString name = arg.section(QLatin1Char('='), 0, 0);
    return name.mid(name.startsWith(QLatin1String("--")) ? 2 : 1);
}

// The argument as given, up to its "=": "--colour" for "--colour=red".
QString spelled(const QString& arg)
{
    return arg.section(QLatin1Char('='), 0, 0);
}

}  // namespace

std::optional<int> parseArguments(QCommandLineParser& parser, const Subcommand& command, const QStringList& args)
{
    // Single-dash words are options too, as a whole: "-x" is the option x.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QList<QCommandLineOption> options = command.options();
    parser.addOptions(options);
    if (parser.parse(QStringList{QString::fromLatin1(command.word)} + args))
        return std::nullopt;
    const QString notAnOption = QStringLiteral("is not an option of %1 (see --help)").arg(command.word);
    const QStringList unknown = parser.unknownOptionNames();
    for (const QString& arg : args) {
        if (arg == QLatin1String("--"))
            break;
        if (!arg.startsWith(QLatin1Char('-')) || arg.size() < 2)
            continue;
        if (unknown.contains(nameOfArgument(arg)))
            return refuse(spelled(arg), notAnOption.toStdString());
        // A value given to an option that takes none: not an option by that spelling.
        const bool hasValue = arg.contains(QLatin1Char('='));
        if (hasValue && std::none_of(options.begin(), options.end(), [&](const auto& option) {
                return option.names().contains(nameOfArgument(arg)) && !option.valueName().isEmpty();
            }))
            return refuse(spelled(arg), notAnOption.toStdString());
    }
    // What remains is an option that takes a value given last without one.
    return refuse(args.isEmpty() ? QString::fromLatin1(command.word) : spelled(args.last()), "needs a value");
}

std::optional<int> wholeNumber(const QString& text, int digits, palvorn::SliderRange range)
{
    if (text.isEmpty() || text.size() > digits ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }))
        return std::nullopt;
    const int number = text.toInt();
    if (number < range.minimum || number > range.maximum)
        return std::nullopt;
    return number;
}

std::optional<int> numberOption(const QCommandLineParser& parser, const QString& option, int digits,
                                palvorn::SliderRange range, int& value)
{
    if (!parser.isSet(option))
        return std::nullopt;
    const QString text = parser.value(option);
    if (const std::optional<int> number = wholeNumber(text, digits, range)) {
        value = *number;
        return std::nullopt;
    }
    return refuse(QStringLiteral("--") + option, "takes a whole number from " + std::to_string(range.minimum) +
                                                      " to " + std::to_string(range.maximum) + "; \"" +
                                                      text.toStdString() + "\" is not one");
}

int readEnemyArgument(const QString& path, palvorn::Enemy& enemy)
{
    try {
        enemy = palvorn::readEnemyFile(std::filesystem::path(path.toStdU16String()));
        return kDone;
    } catch (const palvorn::ReadError& e) {
        return refuse(path, e.what());
    } catch (const palvorn::EnemyFileError& e) {
        return refuse(path, e.reason());
    }
}

}  // namespace cli
