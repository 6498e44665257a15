#pragma once
// The Sprites window ("PicMatrix"): what Create wrote and how its build goes.
// It shows the five sprites as written, the path of NAME.asm and, in
// BuildStatus, the build of NAME.8XP from the moment the script starts until
// it ends. The settings window makes it before its Create runs, shows it
// after a successful write and closes it with itself; its "Ok" asks for a
// new enemy (okClicked). "Export..." gives the written enemy out as a pose
// sheet, the battle sketch or the calculator screen. "Send to Calculator"
// sends a built NAME.8XP, one transfer at a time; the outcome joins the
// build's status lines.

#include <QDateTime>
#include <QString>
#include <QWidget>
#include <array>
#include <QPointer>
#include <memory>

#include "Create.h"
#include "Enemy.h"

class QLabel;
class SendProgress;
class QPushButton;
class QSpinBox;
class QTemporaryDir;
class QTimer;

class SpritesWindow : public QWidget {
    Q_OBJECT

public:
    explicit SpritesWindow(QWidget* parent = nullptr);
    ~SpritesWindow() override;

    // Shows the sprites of the enemy that was just written and where it went.
    void showWritten(const palvorn::Enemy& enemy, const palvorn::CreateOutcome& outcome);

    // A fresh file for the build script's exit status, to hand to the
    // launcher before the build starts; a build watched earlier is let go.
    QString newStatusFile();
    // Follows the build started at `started` in folder until its status file
    // holds the exit status, then judges it: success needs status 0 and a
    // NAME.8XP written since the start.
    void watchBuild(const QString& folder, const QString& name, const QDateTime& started);
    // The script could not be started at all.
    void showNotStarted(const QString& reason);
    // A Create wrote nothing, for `reason`: the lines of an earlier write and
    // its build go, so they are not taken for this enemy's; the sprites stay
    // for Export, but nothing built is left to send.
    void showNotWritten(const QString& reason);

    QString buildStatus() const;

signals:
    void okClicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void finishEnemy();
    void openFolder();
    void exportWritten();
    void sendProgram();
    void showSent(bool ok, const QString& message);
    void checkBuild();
    // The build's status lines, which a send's outcome joins below.
    void showBuildLines(const QString& lines);
    // Send to Calculator can be pressed: a NAME.8XP is built, no transfer runs.
    void updateSendBut();

private:
    std::array<QLabel*, palvorn::kPoses> CopySprite{};
    std::array<QLabel*, palvorn::kPoses> CopyCaption{};
    QLabel* SourcePath = nullptr;
    QLabel* BuildStatus = nullptr;
    QPushButton* OkBut = nullptr;
    QPushButton* OpenFolderBut = nullptr;
    QPushButton* ExportBut = nullptr;
    QSpinBox* ExportScale = nullptr;  // the battle's and the screen's enlargement
    QPushButton* SendBut = nullptr;
    QString programFile_;             // the NAME.8XP the last build made; empty while none
    QString buildReport_;             // the build's status lines, above a send's outcome
    QPointer<SendProgress> sending_;  // the transfer under way
    palvorn::Enemy written_;  // what Export gives out
    QString writtenFolder_;  // where NAME.asm went, for "Open Folder"
    QTimer* buildTimer_ = nullptr;
    std::unique_ptr<QTemporaryDir> statusDir_;
    QString folder_;
    QString name_;
    QDateTime started_;
};
