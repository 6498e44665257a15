#include "Platform.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include <QDir>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

namespace {

WarningBox& warningBox()
{
    static WarningBox box;
    return box;
}

QuestionBox& questionBox()
{
    static QuestionBox box;
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

FolderOpener& folderOpener()
{
    static FolderOpener opener;
    return opener;
}

// Why the script cannot be started, or an empty string. The interpreter
// would start and then fail on its own, unseen; a script that is not there
// must be reported before.
QString scriptMissing(const QString& script)
{
    const QFileInfo info(script);
    const QString shown = QDir::toNativeSeparators(script);
    if (!info.exists())
        return shown + QStringLiteral(" does not exist");
    if (!info.isFile())
        return shown + QStringLiteral(" is not a file");
    if (!info.isReadable())
        return shown + QStringLiteral(" cannot be read");
    return {};
}

// The process that runs the script in folder with the name as its one
// argument, hidden and without input; with a status file, the process also
// writes the script's exit status there when it ends.
void prepareScript(QProcess& process, const QString& script, const QString& argument, const QString& folder,
                   const QString& statusFile)
{
#ifdef Q_OS_WIN
    // cmd.exe runs the batch file, then records its exit status; "call" makes
    // the status the batch file's, and the caret delays the expansion until then.
    process.setProgram(QStringLiteral("cmd.exe"));
    QString command = QStringLiteral("call \"%1\" %2").arg(QDir::toNativeSeparators(script), batchArgument(argument));
    if (!statusFile.isEmpty())
        command += QStringLiteral(" & call echo %^errorlevel%> \"%1\"").arg(QDir::toNativeSeparators(statusFile));
    process.setNativeArguments(QStringLiteral("/d /c \"%1\"").arg(command));
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->flags |= CREATE_NO_WINDOW;
    });
#else
    // No shell parses the name: it reaches the script as one argument. The
    // outer shell only waits for the script and records how it ended.
    process.setProgram(QStringLiteral("/bin/sh"));
    if (statusFile.isEmpty())
        process.setArguments({script, argument});
    else
        process.setArguments({QStringLiteral("-c"), QStringLiteral("/bin/sh \"$1\" \"$2\"; echo $? > \"$3\""),
                              QStringLiteral("palvorn-build"), script, argument, statusFile});
#endif
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
}

QString launchDetached(const QString& script, const QString& argument, const QString& folder,
                       const QString& statusFile)
{
    if (const QString missing = scriptMissing(script); !missing.isEmpty())
        return missing;
    QProcess process;
    prepareScript(process, script, argument, folder, statusFile);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached())
        return QDir::toNativeSeparators(script) + QStringLiteral(": ") + process.errorString();
    return {};
}


}  // namespace

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

bool ask(QWidget* parent, const Question& question)
{
    if (questionBox())
        return questionBox()(parent, question);
    QMessageBox box(QMessageBox::Warning, question.title, question.text, QMessageBox::NoButton, parent);
    QPushButton* accept = box.addButton(question.accept, QMessageBox::AcceptRole);
    QPushButton* reject = box.addButton(question.reject, QMessageBox::RejectRole);
    box.setDefaultButton(reject);
    box.setEscapeButton(reject);
    box.exec();
    return box.clickedButton() == accept;
}

void setQuestionBox(QuestionBox box)
{
    questionBox() = std::move(box);
}

QString openFile(QWidget* parent, OpenFileRequest& request)
{
    if (openFileDialog())
        return openFileDialog()(parent, request);
    return QFileDialog::getOpenFileName(parent, request.title, request.folder, request.filter,
                                        &request.selectedFilter);
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

ScriptRun runScript(const QString& script, const QString& argument, const QString& folder)
{
    ScriptRun run;
    run.notStarted = scriptMissing(script);
    if (!run.notStarted.isEmpty())
        return run;
    QProcess process;
    prepareScript(process, script, argument, folder, QString());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForStarted(-1)) {
        run.notStarted = QDir::toNativeSeparators(script) + QStringLiteral(": ") + process.errorString();
        return run;
    }
    process.waitForFinished(-1);
    run.exitStatus = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

bool openFolder(const QString& folder)
{
    if (folderOpener())
        return folderOpener()(folder);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void setFolderOpener(FolderOpener opener)
{
    folderOpener() = std::move(opener);
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
