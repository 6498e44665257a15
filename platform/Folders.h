#pragma once
// The two folders of the program. The tools folder holds the build script
// and its calculator file wrapper: the executable's own folder in a build
// tree or a copied program folder, the package's library folder when the
// program is installed. The enemy folder is where NAME.asm is written and
// the build script runs: the executable's folder when it is such a
// self-contained, writable program folder, otherwise the per-user folder
// "Palvorn Enemies". Both follow programFolder(), so a test that sets it
// never touches a real program or user folder. Qt Core only.

#include <QString>

namespace platform {

// Folder of the executable.
QString programFolder();
void setProgramFolder(const QString& folder);  // empty: back to the executable's folder

// Folder of the build script (and palvorn-8xp beside it).
QString toolsFolder();
// The build script the windows and the command line start.
QString buildScript();

// Where the windows write enemies; not created here (see makeEnemyFolder).
QString enemyFolder();
// Creates the enemy folder if it is missing. Returns an empty string when it
// exists, otherwise the message, naming the folder and the system's reason.
QString makeEnemyFolder();

}  // namespace platform
