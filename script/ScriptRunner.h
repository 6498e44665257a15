#pragma once
// Starting the build script in the program folder with the enemy name as its
// one argument: detached for the windows, waited for by the command line.
// Both start it the same way, so that both see the same build.

#include <QString>

namespace buildscript {

// Starts the build script detached, hidden, in folder, with the enemy name
// as its one argument, so that it goes on when the program ends. When the
// script ends, its exit status is written as decimal text to statusFile (if
// that can still be written). Returns an empty string on success, otherwise
// the reason, naming the script.
QString launchDetached(const QString& script, const QString& argument, const QString& folder,
                       const QString& statusFile);

// Runs the build script as launchDetached starts it, but waits for it to end.
struct ScriptRun {
    int exitStatus = -1;  // -1 when it did not end normally
    QString notStarted;   // why it could not start, naming the script; empty when it ran
};
ScriptRun runScript(const QString& script, const QString& argument, const QString& folder);

// The enemy name as cmd.exe must see it for asm.bat to receive it as %1 bare:
// unchanged when it needs no quoting, otherwise in double quotes (a name
// never holds a double quote or "%").
QString batchArgument(const QString& name);

}  // namespace buildscript
