#include "Platform.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
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
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void setFolderOpener(FolderOpener opener)
{
    folderOpener() = std::move(opener);
}

}  // namespace platform
