#include "BuildReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

constexpr int kLogLinesShown = 6;  // of NAME.log, after "Build failed:"

}  // namespace

BuildReport judgeBuild(const QString& folder, const QString& name, const QDateTime& started, int exitStatus)
{
    const QDir dir(folder);
    const QFileInfo program(dir.filePath(name + QStringLiteral(".8XP")));
    // File times may be kept to the second only: a program from the second
    // the build started counts as new, and the exit status must agree too.
    const QDateTime since = started.addMSecs(-started.time().msec());
    if (exitStatus == 0 && program.isFile() && program.lastModified() >= since) {
        return {true, QStringLiteral("Built %1 (%2 bytes) in %3")
                          .arg(program.fileName())
                          .arg(program.size())
                          .arg(QDir::toNativeSeparators(dir.absolutePath()))};
    }
    QStringList lines;
    QFile log(dir.filePath(name + QStringLiteral(".log")));
    if (log.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!log.atEnd() && lines.size() < kLogLinesShown)
            lines << QString::fromLocal8Bit(log.readLine()).trimmed();
    }
    if (lines.isEmpty()) {
        lines << (exitStatus == 0 ? QStringLiteral("the build script ended without making a new %1.8XP").arg(name)
                                  : QStringLiteral("the build script ended with status %1 and left no %2.log")
                                        .arg(exitStatus)
                                        .arg(name));
    }
    return {false, QStringLiteral("Build failed:\n") + lines.join(QLatin1Char('\n'))};
}
