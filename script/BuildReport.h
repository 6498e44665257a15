#pragma once
// How a build of NAME.8XP ended, in the words the user is shown, for the
// Sprites window and the command line alike.

#include <QDateTime>
#include <QString>

struct BuildReport {
    bool built = false;
    // "Built NAME.8XP (N bytes) in FOLDER", or "Build failed:" and, one a
    // line, the first lines of NAME.log (or why there is none).
    QString text;
};

// A build counts as done when the script's exit status is 0 and it left a
// NAME.8XP in folder written since `started`. exitStatus is -1 when the
// script did not end normally.
BuildReport judgeBuild(const QString& folder, const QString& name, const QDateTime& started, int exitStatus);
