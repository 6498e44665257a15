#include "Platform.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

#ifdef Q_OS_WIN
#include <QDir>
#include <windows.h>
#endif

namespace platform {

namespace {

QString& folderOverride()
{
    static QString folder;
    return folder;
}

WarningBox& warningBox()
{
    static WarningBox box;
    return box;
}

OpenFileDialog& openFileDialog()
{
    static OpenFileDialog dialog;
    return dialog;
}

ScriptLauncher& scriptLauncher()
{
    static ScriptLauncher launcher;
    return launcher;
}

QString launchDetached(const QString& script, const QString& argument, const QString& folder)
{
    // The interpreter would start and then fail on its own, unseen; a script
    // that is not there must be reported here.
    const QFileInfo info(script);
    if (!info.exists())
        return QStringLiteral("the file does not exist");
    if (!info.isFile())
        return QStringLiteral("it is not a file");
    if (!info.isReadable())
        return QStringLiteral("it cannot be read");

    QProcess process;
#ifdef Q_OS_WIN
    // cmd.exe runs the batch file; the argument is passed as one quoted word.
    process.setProgram(QStringLiteral("cmd.exe"));
    process.setNativeArguments(QStringLiteral("/c \"\"%1\" \"%2\"\"").arg(QDir::toNativeSeparators(script), argument));
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->flags |= CREATE_NO_WINDOW;
    });
#else
    // No shell parses the name: it reaches the script as one argument.
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({script, argument});
#endif
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached())
        return process.errorString();
    return {};
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

void warn(QWidget* parent, const QString& title, const QString& text, Buttons buttons)
{
    if (warningBox()) {
        warningBox()(parent, title, text, buttons);
        return;
    }
    QMessageBox::warning(parent, title, text,
                         buttons == Buttons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
}

void setWarningBox(WarningBox box)
{
    warningBox() = std::move(box);
}

QString openFile(QWidget* parent, const QString& filter)
{
    if (openFileDialog())
        return openFileDialog()(parent, filter);
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

void setOpenFileDialog(OpenFileDialog dialog)
{
    openFileDialog() = std::move(dialog);
}

QString startScript(const QString& script, const QString& argument, const QString& folder)
{
    return scriptLauncher() ? scriptLauncher()(script, argument, folder) : launchDetached(script, argument, folder);
}

void setScriptLauncher(ScriptLauncher launcher)
{
    scriptLauncher() = std::move(launcher);
}

QString buildScriptName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("asm.bat");
#else
    return QStringLiteral("asm.sh");
#endif
}

}  // namespace platform
