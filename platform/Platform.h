#pragma once
// Every call the windows make to the platform that a test must be able to
// answer without a modal loop or a real process: the program folder (in
// Folders.h), warning boxes, questions, the file-open and file-save dialogs, the build
// script launcher and the file manager. Each has a real default; tests
// install their own with the set* functions (an empty function restores the
// default).

#include <QString>
#include <QStringList>
#include <functional>

#include "Folders.h"  // the program folder seam

class QWidget;

namespace platform {

enum class Buttons { Ok, OkCancel };
using WarningBox = std::function<void(QWidget* parent, const QString& title, const QString& text, Buttons)>;
// A modal warning box (exclamation icon); returns when it is closed.
void warn(QWidget* parent, const QString& title, const QString& text, Buttons buttons = Buttons::Ok);
void setWarningBox(WarningBox box);

// A modal question (warning icon) with two buttons, e.g. "Replace" and
// "Cancel"; the second is the default. Returns true for the first.
struct Question {
    QString title;
    QString text;
    QString accept;
    QString reject;
};
using QuestionBox = std::function<bool(QWidget* parent, const Question& question)>;
bool ask(QWidget* parent, const Question& question);
void setQuestionBox(QuestionBox box);

// A file-open dialog with its title, the folder it starts in, its filter
// (entries separated by ";;") and the entry chosen at the start (empty: the
// first). Returns the chosen file, or an empty string when the user
// cancelled; selectedFilter then holds the entry the user left chosen.
struct OpenFileRequest {
    QString title;
    QString folder;
    QString filter;
    QString selectedFilter;
};
using OpenFileDialog = std::function<QString(QWidget* parent, OpenFileRequest& request)>;
QString openFile(QWidget* parent, OpenFileRequest& request);
void setOpenFileDialog(OpenFileDialog dialog);

// A file-save dialog with its title, the file it suggests (folder and
// name), its filters (";;" between them) and the suffix added to a name
// typed without one. Returns the chosen file, or an empty string when the
// user cancelled; selectedFilter then holds the filter the user chose. The
// dialog asks before an existing file is replaced.
struct SaveFileRequest {
    QString title;
    QString suggested;
    QString filter;
    QString suffix;
    QString selectedFilter;
};
using SaveFileDialog = std::function<QString(QWidget* parent, SaveFileRequest& request)>;
QString saveFile(QWidget* parent, SaveFileRequest& request);
void setSaveFileDialog(SaveFileDialog dialog);

// Starts the build script detached, hidden, in folder, with the enemy name
// as its one argument, so that it goes on when the program ends. When the
// script ends, its exit status is written as decimal text to statusFile (if
// that can still be written). Returns an empty string on success, otherwise
// the reason, naming the script.
using ScriptLauncher = std::function<QString(const QString& script, const QString& argument, const QString& folder,
                                             const QString& statusFile)>;
QString startScript(const QString& script, const QString& argument, const QString& folder,
                    const QString& statusFile);
void setScriptLauncher(ScriptLauncher launcher);

// Opens folder in the desktop's file manager. Returns false when no
// program took it: on Linux, when xdg-open could not start or ended with a
// failure (it is looked up on PATH).
using FolderOpener = std::function<bool(const QString& folder)>;
bool openFolder(const QString& folder);
void setFolderOpener(FolderOpener opener);

}  // namespace platform
