#pragma once
// Every call the windows make to the platform that a test must be able to
// answer without a modal loop or a real process: the program folder, warning
// boxes, the file-open dialog and the build script launcher. Each has a real
// default; tests install their own with the set* functions (an empty function
// restores the default).

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace platform {

// Folder of the executable; NAME.asm goes there and the build script runs there.
QString programFolder();
void setProgramFolder(const QString& folder);  // empty: back to the executable's folder

enum class Buttons { Ok, OkCancel };
using WarningBox = std::function<void(QWidget* parent, const QString& title, const QString& text, Buttons)>;
// A modal warning box (exclamation icon); returns when it is closed.
void warn(QWidget* parent, const QString& title, const QString& text, Buttons buttons = Buttons::Ok);
void setWarningBox(WarningBox box);

// A file-open dialog with its title, the folder it starts in and its filter
// (entries separated by ";;", the first one chosen). Returns the chosen file,
// or an empty string when the user cancelled.
struct OpenFileRequest {
    QString title;
    QString folder;
    QString filter;
};
using OpenFileDialog = std::function<QString(QWidget* parent, const OpenFileRequest& request)>;
QString openFile(QWidget* parent, const OpenFileRequest& request);
void setOpenFileDialog(OpenFileDialog dialog);

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

}  // namespace platform
