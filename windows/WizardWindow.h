#pragma once
// The wizard window: the startup window, alive for the whole run. Five steps,
// one sprite slot per step, taking each sprite from a bitmap file or the
// clipboard and measuring it. "Finish" opens the settings window; "New" and
// the worker window's "Ok" reset it; closing it closes the other windows.

#include <QImage>
#include <QWidget>
#include <array>

class QFrame;
class QLabel;
class QPushButton;

class WizardWindow : public QWidget {
    Q_OBJECT

public:
    explicit WizardWindow(QWidget* parent = nullptr);
    ~WizardWindow() override;

    static constexpr int kSizeLimit = 200;  // packed bytes a step may hold
    static constexpr int kSteps = 5;

    int CurStep = 1;
    std::array<int, 6> SpriteSize{};      // index 1..5 used
    std::array<QImage, 10> SaveSprite;    // slots 1..5 used

    void ShowStep(int stepnum);
    void SaveSpriteTo(int which);
    void LoadSpriteFrom(int which);
    void InitPic();
    // Puts a picture into the Sprite box (an intake, before InitPic).
    void setSpritePicture(const QImage& picture);
    QImage spritePicture() const { return picture_; }

    // The pose word of a step, 1..5.
    static QString poseWord(int step);

public slots:
    void NewBut_Click();

private slots:
    void NextBut_Click();
    void BackBut_Click();
    void FinishBut_Click();
    void Browse_Click();
    void ClipboardBut_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void centreSprite();
    void showSizeOf(int step);

    QImage picture_;  // what the Sprite box shows
    QPushButton* NextBut = nullptr;
    QPushButton* FinishBut = nullptr;
    QLabel* instruct = nullptr;
    QPushButton* BackBut = nullptr;
    QPushButton* Browse = nullptr;
    QLabel* Sprite = nullptr;
    QLabel* SizeLbl = nullptr;
    QPushButton* ClipboardBut = nullptr;
    QPushButton* NewBut = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
};
