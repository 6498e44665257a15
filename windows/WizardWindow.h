#pragma once
// The wizard window ("Main"): the startup window, alive for the whole run. It
// owns the enemy being made. Five steps take the five sprites from picture
// files or the clipboard straight into the enemy; "Finish" opens the settings
// window on the same enemy; "New" and the Sprites window's "Ok" start a new
// enemy; closing it closes the other windows.

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

#include "Enemy.h"
#include "TakePicture.h"

class QFrame;
class QLabel;
class QMimeData;
class QPushButton;
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
    int CurStep = 1;

    const palvorn::Enemy& enemy() const { return enemy_; }
    // The packed size of step 1..5's sprite; 0 when none was taken in.
    int spriteSize(int step) const;
    // The open settings window, or nullptr.
    SettingsWindow* settingsWindow() const;

    void ShowStep(int stepnum);
    // Puts a sprite into the current step, then measures it (InitPic).
    // marked flags the pixels that looked dark in its picture but are clear
    // (empty, or the sprite's size).
    void takeIn(const palvorn::Sprite& sprite, const palvorn::Sprite& marked = {});
    void InitPic();
    // Open: reads an enemy source file into the five steps and the settings,
    // then opens the settings window. A refused file is reported by line and
    // changes nothing.
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
    void showSpriteNote();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Intakes of a picture file, a picture, or whatever the clipboard or a
    // drop holds (false: nothing usable). A refused picture is reported and
    // changes nothing.
    void takeFile(const QString& path);
    bool takeMimeData(const QMimeData* data);
    void takePicture(const std::function<TakenPicture()>& take);

    void showSprite();
    void showSizeOf(int step);
    void closeOtherWindows();
    // Step 1 of this enemy, the other windows closed (New and Open).
    void startOver(palvorn::Enemy enemy);

    palvorn::Enemy enemy_;
    // Per step, what the picture box marks as dark but clear; display only.
    std::array<palvorn::Sprite, palvorn::kPoses> marked_;
    QPointer<SettingsWindow> settings_;
    QString lastFolder_;  // where the file dialog starts; this run only

    QPushButton* NextBut = nullptr;
    QPushButton* FinishBut = nullptr;
    QLabel* instruct = nullptr;
    QPushButton* BackBut = nullptr;
    QPushButton* Browse = nullptr;
    SpriteView* Sprite = nullptr;
    QLabel* SizeLbl = nullptr;
    QPushButton* ClipboardBut = nullptr;
    QPushButton* NewBut = nullptr;
    QPushButton* OpenBut = nullptr;
    QLabel* SpriteNote = nullptr;   // the scale and the dark-pixel note
    ScreenPreview* Screen = nullptr;
    QLabel* ScreenNote = nullptr;   // what the screen cuts off
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
};
