#pragma once
// The command line: making and showing enemies without any window or
// display, with the same checks and messages as the windows.

#include <string>

// Whether these arguments ask for the command line rather than the windows:
// a command word ("create", "show"), --help / --version, or any other word
// (an unknown command) except one enemy file to open in the windows.
bool isCommandLine(int argc, char* argv[]);

// Whether a lone argument names an enemy file for the windows to open: an
// existing file, or a name ending in ".asm" (the windows say why it cannot
// be read).
bool isEnemyFileArgument(const std::string& argument);

// Runs the command and returns the exit status: 0 done, 1 refused input (a
// message on standard error names the option or file), 2 the file could not
// be written, 3 the build failed.
int runCommandLine(int argc, char* argv[]);
