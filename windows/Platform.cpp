#include "Platform.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

#include <QDir>

#ifdef Q_OS_WIN
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

QString launchDetached(const QString& script, const QString& argument, const QString& folder,
                       const QString& statusFile)
{
    // The interpreter would start and then fail on its own, unseen; a script
    // that is not there must be reported here.
    const QFileInfo info(script);
    const QString shown = QDir::toNativeSeparators(script);
    if (!info.exists())
        return shown + QStringLiteral(" does not exist");
    if (!info.isFile())
        return shown + QStringLiteral(" is not a file");
    if (!info.isReadable())
        return shown + QStringLiteral(" cannot be read");

    QProcess process;
#ifdef Q_OS_WIN
    // cmd.exe runs the batch file, then records its exit status; "call" makes
    // the status the batch file's, and the caret delays the expansion until then.
    process.setProgram(QStringLiteral("cmd.exe"));
    process.setNativeArguments(QStringLiteral("/d /c \"call \"%1\" %2 & call echo %^errorlevel%> \"%3\"\"")
                                   .arg(QDir::toNativeSeparators(script), batchArgument(argument),
                                        QDir::toNativeSeparators(statusFile)));
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->flags |= CREATE_NO_WINDOW;
    });
#else
    // No shell parses the name: it reaches the script as one argument. The
    // outer shell only waits for the script and records how it ended.
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({QStringLiteral("-c"), QStringLiteral("/bin/sh \"$1\" \"$2\"; echo $? > \"$3\""),
                          QStringLiteral("palvorn-build"), script, argument, statusFile});
#endif
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached())
        return shown + QStringLiteral(": ") + process.errorString();
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

QString openFile(QWidget* parent, const OpenFileRequest& request)
{
    if (openFileDialog())
        return openFileDialog()(parent, request);
    return QFileDialog::getOpenFileName(parent, request.title, request.folder, request.filter);
}

void setOpenFileDialog(OpenFileDialog dialog)
{
    openFileDialog() = std::move(dialog);
}

QString startScript(const QString& script, const QString& argument, const QString& folder,
                    const QString& statusFile)
{
    return scriptLauncher() ? scriptLauncher()(script, argument, folder, statusFile)
                            : launchDetached(script, argument, folder, statusFile);
}

void setScriptLauncher(ScriptLauncher launcher)
{
    scriptLauncher() = std::move(launcher);
}

QString batchArgument(const QString& name)
{
    // cmd.exe splits words at these and gives the rest their own meaning.
    static const QString special = QStringLiteral(" \t,;=&|<>()^!'`+[]{}~");
    for (const QChar c : name)
        if (special.contains(c))
            return QLatin1Char('"') + name + QLatin1Char('"');
    return name.isEmpty() ? QStringLiteral("\"\"") : name;
}

}  // namespace platform
