#include "Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

#include "Create.h"

// Where the installed program's tools lie, seen from its executable.
#ifndef PALVORN_TOOLS_FROM_PROGRAM
#error "PALVORN_TOOLS_FROM_PROGRAM must name the installed tools folder relative to the executable's"
#endif

namespace platform {

namespace {

const QString kScript = QString::fromLatin1(palvorn::kBuildScript);

QString& folderOverride()
{
    static QString folder;
    return folder;
}

// The installed layout: no build script beside the executable, but one in
// the package's library folder.
bool installed()
{
    const QDir program(programFolder());
    return !program.exists(kScript) &&
           QFileInfo(QDir(program.filePath(QStringLiteral(PALVORN_TOOLS_FROM_PROGRAM))).filePath(kScript)).isFile();
}

// "Palvorn Enemies" in the user's documents folder, or in the home folder
// when there is no documents folder.
QString userEnemyFolder()
{
    QString parent = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (parent.isEmpty() || !QFileInfo(parent).isDir())
        parent = QDir::homePath();
    return QDir(parent).filePath(QStringLiteral("Palvorn Enemies"));
}

}  // namespace

QString programFolder()
{
    return folderOverride().isEmpty() ? QCoreApplication::applicationDirPath() : folderOverride();
}

void setProgramFolder(const QString& folder)
{
    folderOverride() = folder;
}

QString toolsFolder()
{
    if (!installed())
        return programFolder();
    return QDir::cleanPath(QDir(programFolder()).filePath(QStringLiteral(PALVORN_TOOLS_FROM_PROGRAM)));
}

QString buildScript()
{
    return QDir(toolsFolder()).filePath(kScript);
}

QString enemyFolder()
{
    // An installed program never writes beside itself, not even for root,
    // who may write into any system folder.
    const QString program = programFolder();
    if (!installed() && QFileInfo(program).isWritable())
        return program;
    return userEnemyFolder();
}

QString makeEnemyFolder()
{
    const QString folder = enemyFolder();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdU16String()), error);
    if (!error)
        return {};
    return QStringLiteral("The folder %1 could not be created: %2")
        .arg(QDir::toNativeSeparators(folder), QString::fromLocal8Bit(error.message().c_str()));
}

}  // namespace platform
