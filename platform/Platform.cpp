#include "Platform.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include "ScriptRunner.h"

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

SaveFileDialog& saveFileDialog()
{
    static SaveFileDialog dialog;
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

QString saveFile(QWidget* parent, SaveFileRequest& request)
{
    if (saveFileDialog())
        return saveFileDialog()(parent, request);
    QFileDialog dialog(parent, request.title, request.suggested, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.suffix);
    dialog.selectFile(request.suggested);
    if (!request.selectedFilter.isEmpty())
        dialog.selectNameFilter(request.selectedFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    request.selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

void setSaveFileDialog(SaveFileDialog dialog)
{
    saveFileDialog() = std::move(dialog);
}

QString startScript(const QString& script, const QString& argument, const QString& folder,
                    const QString& statusFile)
{
    return scriptLauncher() ? scriptLauncher()(script, argument, folder, statusFile)
                            : buildscript::launchDetached(script, argument, folder, statusFile);
}

void setScriptLauncher(ScriptLauncher launcher)
{
    scriptLauncher() = std::move(launcher);
}

bool openFolder(const QString& folder)
{
    if (folderOpener())
        return folderOpener()(folder);
#if defined(Q_OS_LINUX)
    // QDesktopServices says yes whenever xdg-open starts, even when it then
    // finds no file manager ("no method available", a non-zero exit). xdg-open
    // hands the folder on and ends at once, so its exit is waited for briefly;
    // one still running then has started a file manager itself.
    auto* opener = new QProcess;
    QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->start(QStringLiteral("xdg-open"), {QUrl::fromLocalFile(folder).toString()});
    if (!opener->waitForStarted()) {
        delete opener;
        return false;
    }
    constexpr int kOpenerWaitMs = 1500;
    if (!opener->waitForFinished(kOpenerWaitMs))
        return true;
    return opener->exitStatus() == QProcess::NormalExit && opener->exitCode() == 0;
#else
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
#endif
}

void setFolderOpener(FolderOpener opener)
{
    folderOpener() = std::move(opener);
}

}  // namespace platform
