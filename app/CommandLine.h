#pragma once
// The command line: making and showing enemies without any window or
// display, with the same checks and messages as the windows.

#include <QString>
#include <QStringList>

// The arguments after the program's name, with every letter as typed: on
// Windows from the wide command line, elsewhere argv in the locale's encoding.
QStringList programArguments(int argc, char* argv[]);

// Whether these arguments ask for the command line rather than the windows:
// any argument but a lone existing file. Anything the command line does not
// know is refused there, whether or not a display is present.
bool isCommandLine(int argc, char* argv[]);

// The file the windows open at the start: the one argument when it is an
// existing file and no command word or option; otherwise empty.
QString windowsFile(int argc, char* argv[]);

// Runs the command and returns the exit status: 0 done, 1 refused input (a
// message on standard error names the option or file), 2 the file could not
// be written, 3 the build failed.
int runCommandLine(int argc, char* argv[]);
