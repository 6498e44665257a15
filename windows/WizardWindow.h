#pragma once
// The wizard window ("Main"): the startup window, alive for the whole run. It
// owns the enemy being made, as a document with its own file, and the undo
// history of every change to it. Five steps take the five sprites from
// picture files, the clipboard or a drop; each can be converted again from
// its kept picture, painted, resized, trimmed, flipped, inverted, shifted,
// copied from another step and saved as a picture. "Finish" opens the
// settings window on a copy of the enemy and keeps what its Create wrote; "New", "Open" and
// the Sprites window's "Ok" start another enemy, undoably; closing it closes
// the other windows, asking first when work would be lost.

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "History.h"
#include "TakePicture.h"
#include "TakeSheet.h"

class QComboBox;
class QFrame;
class QLabel;
class QMimeData;
class QPushButton;
class QSlider;
class QSpinBox;
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
    // picture but are clear (empty, or the sprite's size). The step keeps
    // no picture to convert again.
    void takeIn(const palvorn::Sprite& sprite, const palvorn::Sprite& marked = {},
                const QString& what = QStringLiteral("picture"));
    // The same for a taken picture: its sprite and marks, and its picture,
    // when it was kept, for the conversion controls. A new picture starts at
    // Exact black; the step's threshold stays as it was.
    void takeIn(const TakenPicture& taken, const QString& what = QStringLiteral("picture"));
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

    void ConvertMode_Change(int index);
    void ThresholdSlider_Change(int value);
    void ThresholdSlider_Release();
    void SpriteSize_Change();
    void TrimBut_Click();
    void FlipHBut_Click();
    void FlipVBut_Click();
    void InvertBut_Click();
    void CopyFrom_Change(int index);
    void SavePoseBut_Click();
    void startStroke(QPoint pixel, bool set);
    void continueStroke(QPoint pixel, bool straight);
    void endStroke();
    void shiftSprite(int dx, int dy);
    void keepCreated(const palvorn::Enemy& written, const QString& file);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setUpControls();
    void setUpEditControls();
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
    // The conversion, size and shape controls as the current step's pose is.
    void showEditControls();
    void showCopyChoices();

    // The current step's pose, and a new state of it as one undoable change
    // named "WHAT" (none when nothing would change).
    palvorn::PoseState currentPose() const;
    void changePose(const QString& name, palvorn::PoseState after);
    // The current pose converted again from its kept picture (which it must have).
    palvorn::PoseState converted(const palvorn::Conversion& conversion) const;

    // An edit shown while it goes on (a pen stroke, a slider drag): the
    // document holds its state as it is, and it becomes one undoable change
    // from `before` when it ends, or as soon as anything else happens.
    enum class LiveKind { Stroke, Threshold };
    struct LiveEdit {
        LiveKind kind;
        int pose;
        palvorn::PoseState before;
        QString name;
    };
    void beginLive(LiveKind kind, const QString& name);
    void showLive(const palvorn::PoseState& state);
    void finishLive();
    void closeOtherWindows();

    palvorn::EnemyDocument document_;
    palvorn::History history_;
    int curStep_ = 1;
    QPointer<SettingsWindow> settings_;
    std::optional<LiveEdit> live_;
    QPoint strokeFrom_;  // in sprite pixels
    QPoint strokeLast_;
    bool strokeSets_ = true;

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
    QComboBox* ConvertMode = nullptr;
    QLabel* ThresholdLbl = nullptr;
    QSlider* ThresholdSlider = nullptr;
    QSpinBox* SpriteWidth = nullptr;
    QLabel* TimesLbl = nullptr;
    QSpinBox* SpriteHeight = nullptr;
    QPushButton* TrimBut = nullptr;
    QPushButton* FlipHBut = nullptr;
    QPushButton* FlipVBut = nullptr;
    QPushButton* InvertBut = nullptr;
    QComboBox* CopyFrom = nullptr;
    QPushButton* SavePoseBut = nullptr;
    BattlePlayer* Battle = nullptr;  // Play, its pace and its note, on Screen
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
};
