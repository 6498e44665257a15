#pragma once
// The wizard window ("Main"), alive for the whole run: it owns the enemy
// (EnemyModel) and walks five steps, one a pose, shown at a glance in the
// step strip, each edited by the pose editor and filled by the picture
// intake. "Finish" opens the settings window; "New", "Open" and the Sprites
// window's "Ok" start another enemy, undoably; closing asks first when work
// would be lost. The title names the enemy, marked while changes are unwritten.

#include <QWidget>

#include "EnemyModel.h"
#include "OwnedWindow.h"
#include "SettingsWindow.h"
#include "TakePicture.h"

class QAction;
class QLabel;
class QPushButton;
class PictureIntake;
class PoseEditor;
class StepStrip;

class WizardWindow : public QWidget {
    Q_OBJECT

public:
    explicit WizardWindow(QWidget* parent = nullptr);

    static constexpr int kSteps = palvorn::kPoses;

    const EnemyModel& model() const { return model_; }
    int curStep() const { return pose_ + 1; }  // the current step as the window numbers it, 1..5
    const palvorn::Enemy& enemy() const { return model_.enemy(); }
    const palvorn::EnemyDocument& document() const { return model_.document(); }
    const palvorn::History& history() const { return model_.history(); }
    // The packed size of step 1..5's sprite; 0 when none was taken in.
    int spriteSize(int step) const { return model_.spriteSize(step - 1); }
    SettingsWindow* settingsWindow() const { return settings_.get(); }  // the open one, or nullptr

    // Puts a sprite (and the marks of its picture, or none) into the
    // current step as one undoable change named "WHAT into POSE".
    void takeIn(const palvorn::Sprite& sprite, const palvorn::Sprite& marked = {},
                const QString& what = QStringLiteral("picture"));
    // The same for a taken picture; see PictureIntake::takeIn.
    void takeIn(const TakenPicture& taken, const QString& what = QStringLiteral("picture"));
    // Open: reads an enemy source file into the steps and settings, undoably,
    // then opens the settings window; a refused file changes nothing.
    void openEnemy(const QString& path);

public slots:
    void startNew();

private slots:
    void open();
    void finish();
    void showDocument();
    void showTitle();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setUpControls();
    void setUpLayout();
    void setUpActions();

    // Shows pose 0..4 as the current step; a live edit going on ends.
    void showStep(int pose);
    // The one rule for Back, Next and Finish, from the current step and
    // its sprite; run after every change.
    void updateButtons();

    EnemyModel model_;
    int pose_ = 0;
    OwnedWindow<SettingsWindow> settings_;
    PictureIntake* intake_ = nullptr;
    QAction* nextAction_ = nullptr;
    QAction* backAction_ = nullptr;

    QPushButton* NextBut = nullptr;
    QPushButton* FinishBut = nullptr;
    QLabel* instruct = nullptr;
    QPushButton* BackBut = nullptr;
    QPushButton* Browse = nullptr;
    QPushButton* ClipboardBut = nullptr;
    QPushButton* NewBut = nullptr;
    QPushButton* OpenBut = nullptr;
    QPushButton* UndoBut = nullptr;
    QPushButton* RedoBut = nullptr;
    QLabel* StepLbl = nullptr;
    StepStrip* Strip = nullptr;  // objectName "StepStrip"
    PoseEditor* Editor = nullptr;
};
