#pragma once
// The command line: making and showing enemies without any window or
// display, with the same checks and messages as the windows.

// Whether these arguments ask for the command line rather than the windows:
// a command word ("create", "show") or --help / --version.
bool isCommandLine(int argc, char* argv[]);

// Runs the command and returns the exit status: 0 done, 1 refused input (a
// message on standard error names the option or file), 2 the file could not
// be written, 3 the build failed.
int runCommandLine(int argc, char* argv[]);
