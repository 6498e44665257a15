#pragma once
// What every subcommand of the command line shares: its row in the dispatch
// table, the exit statuses, and the messages and parsing all of them use.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "Enemy.h"
#include "ValueLine.h"

namespace cli {

inline constexpr int kDone = 0;
inline constexpr int kRefused = 1;
inline constexpr int kNotWritten = 2;
inline constexpr int kBuildFailed = 3;

inline constexpr const char* kProgram = "palvorn-enemy-creator";

// One subcommand: its word, its options and its work. The usage text is made
// from these rows, so a new subcommand is one file and one row of the table.
struct Subcommand {
    const char* word;
    // The options its parser takes, in the order the help shows them. An
    // option's description starts its help line ('\n' continues it,
    // indented); an empty one has no line; "LABEL\t" first shows LABEL
    // instead of the option. An option flagged HiddenFromHelp is left out of
    // the synopsis (the positional syntax names it).
    QList<QCommandLineOption> (*options)();
    // The positional arguments as the synopsis shows them after the options.
    const char* positional;
    // Options the subcommand cannot go without, in the order their absence
    // is refused; the synopsis shows them without brackets.
    QStringList required;
    // The paragraph above the option lines, each line ended by '\n'.
    const char* about;
    // Runs with the arguments after the word; returns the exit status.
    int (*run)(const QStringList& args);
};

// Writes text and a line end to stream.
void say(std::FILE* stream, const std::string& text);
// text in double quotes, as a refusal names a word it did not take.
std::string inQuotes(std::string_view text);
// "palvorn-enemy-creator: WHAT: MESSAGE" on standard error; kRefused.
int refuse(const std::string& what, const std::string& message);
int refuse(const QString& what, const std::string& message);
int refuse(const char* what, const std::string& message);

// Parses args (those after word) with the subcommand's options. Returns the
// refusal's exit status when they do not parse: an option the subcommand
// does not have, or one without its value; nullopt when they parse.
std::optional<int> parseArguments(QCommandLineParser& parser, const Subcommand& command, const QStringList& args);

// The one number parser: text of at most digits digits, all of them digits,
// within range. Otherwise nullopt.
std::optional<int> wholeNumber(const QString& text, int digits, palvorn::SliderRange range);
// The value of a number option as wholeNumber reads it, into value when the
// option is given; the refusal's exit status when it is not one.
std::optional<int> numberOption(const QCommandLineParser& parser, const QString& option, int digits,
                                palvorn::SliderRange range, int& value);

// An option's name without its leading dashes, as the parser knows it.
QString optionName(std::string_view option);

// Reads the enemy source file path into enemy; kDone, or the refusal naming it.
int readEnemyArgument(const QString& path, palvorn::Enemy& enemy);

// The subcommands, each in its own file.
Subcommand createCommand();
Subcommand showCommand();
Subcommand exportCommand();
Subcommand sendCommand();  // SendCommand.cpp

}  // namespace cli
