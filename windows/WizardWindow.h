#pragma once
// The wizard window ("Main"): the startup window, alive for the whole run. It
// owns the enemy being made, as a document with its own file, and the undo
// history of every change to it. Five steps take the five sprites from
// picture files, the clipboard or a drop; "Finish" opens the settings window
// on a copy of the enemy and keeps what its Create wrote; "New", "Open" and
// the Sprites window's "Ok" start another enemy, undoably; closing it closes
// the other windows, asking first when work would be lost.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "History.h"
#include "TakePicture.h"
#include "TakeSheet.h"

class QFrame;
class QLabel;
class QMimeData;
class QPushButton;
class BattlePlayer;
class ScreenPreview;
class SettingsWindow;
class SpriteView;

class WizardWindow : public QWidget {
    Q_OBJECT

public:
    explicit WizardWindow(QWidget* parent = nullptr);
    ~WizardWindow() override;

    static constexpr int kSteps = palvorn::kPoses;

    // The current step, 1..5.
    int curStep() const { return curStep_; }
    const palvorn::Enemy& enemy() const { return document_.enemy; }
    const palvorn::EnemyDocument& document() const { return document_; }
    const palvorn::History& history() const { return history_; }
    // The packed size of step 1..5's sprite; 0 when none was taken in.
    int spriteSize(int step) const;
    // The open settings window, or nullptr.
    SettingsWindow* settingsWindow() const;

    // Puts a sprite into the current step as one undoable change named
    // "WHAT into POSE". marked flags the pixels that looked dark in its
    // picture but are clear (empty, or the sprite's size).
    void takeIn(const palvorn::Sprite& sprite, const palvorn::Sprite& marked = {},
                const QString& what = QStringLiteral("picture"));
    // Open: reads an enemy source file into the five steps and the settings,
    // undoably, then opens the settings window. A refused file is reported
    // by line and changes nothing.
    void openEnemy(const QString& path);

public slots:
    void NewBut_Click();

private slots:
    void OpenBut_Click();
    void NextBut_Click();
    void BackBut_Click();
    void FinishBut_Click();
    void Browse_Click();
    void ClipboardBut_Click();
    void UndoBut_Click();
    void RedoBut_Click();
    void showSpriteNote();
    void keepCreated(const palvorn::Enemy& written, const QString& file);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setUpControls();
    void setUpLayout();
    void setUpConnections();
    void setUpShortcuts();

    // Intakes of a picture file, a picture, or whatever the clipboard or a
    // drop holds (false: nothing usable). A refused picture is reported and
    // changes nothing. what names the source in the change's name.
    void takeFile(const QString& path);
    bool takeMimeData(const QMimeData* data, const QString& what);
    // frames gives a GIF's five frames as poses, for the sheet question.
    void takePicture(const std::function<TakenPicture()>& take, const QString& what,
                     const std::function<std::optional<PosePictures>()>& frames = {});

    // Records and does a change, then shows its step.
    void apply(std::unique_ptr<palvorn::Change> change);
    // After a change was done or undone: the settings window follows (or
    // closes when its enemy was replaced) and the change's step is shown.
    void changed(const palvorn::Change& change);
    // Another document altogether (New, Open), undoably.
    void replaceDocument(const std::string& name, palvorn::EnemyDocument document);

    void showStep(int step);
    // The one rule for Back, Next, Finish, Undo and Redo, from the current
    // step and its sprite; run after every change.
    void updateButtons();
    void showSprite();
    void closeOtherWindows();

    palvorn::EnemyDocument document_;
    palvorn::History history_;
    int curStep_ = 1;
    QPointer<SettingsWindow> settings_;

    QPushButton* NextBut = nullptr;
    QPushButton* FinishBut = nullptr;
    QLabel* instruct = nullptr;
    QPushButton* BackBut = nullptr;
    QPushButton* Browse = nullptr;
    SpriteView* PictureBox = nullptr;  // objectName "Sprite"
    QLabel* SizeLbl = nullptr;
    QPushButton* ClipboardBut = nullptr;
    QPushButton* NewBut = nullptr;
    QPushButton* OpenBut = nullptr;
    QPushButton* UndoBut = nullptr;
    QPushButton* RedoBut = nullptr;
    QLabel* StepLbl = nullptr;
    QLabel* SpriteNote = nullptr;   // the scale and the dark-pixel note, or why the step is held
    ScreenPreview* Screen = nullptr;
    QLabel* ScreenNote = nullptr;   // what the screen cuts off
    BattlePlayer* Battle = nullptr;  // Play, its pace and its note, on Screen
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
};
