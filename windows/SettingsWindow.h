#pragma once
// The settings window "Character Settings" ("CharSettings"): edits a working
// copy of an enemy's settings and runs Create on that copy. The wizard's
// "Finish" makes it with the enemy and the enemy's own file; a successful
// write is handed back by `created`, which the wizard keeps in its enemy.
// Closing it ("Cancel", the title bar, the wizard's "New") drops the edits
// made since, and closes the Sprites window.

#include <QPointer>
#include <QWidget>
#include <filesystem>

#include "Enemy.h"
#include "ValueLine.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class SpritesWindow;

class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    // Shows enemy's settings; ownFile is the NAME.asm it was opened from or
    // last written to (empty for none), which Create replaces without asking.
    explicit SettingsWindow(const palvorn::Enemy& enemy, const std::filesystem::path& ownFile,
                            QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // The enemy as the window holds it: the settings as edited here.
    const palvorn::Enemy& enemy() const { return enemy_; }
    // The wizard's sprites changed; Create writes these from now on.
    void setSprites(const std::array<palvorn::Sprite, palvorn::kPoses>& sprites);

    // The Sprites window of the last Create, or nullptr.
    SpritesWindow* spritesWindow() const;
    // Closed, and waiting for the event loop to delete it.
    bool isClosed() const { return closed_; }

public slots:
    void CreateBut_Click();

signals:
    // Create wrote this enemy to file.
    void created(const palvorn::Enemy& enemy, const QString& file);
    // "Ok" in the Sprites window: this enemy is done.
    void okClicked();

private slots:
    void CharName_Change(const QString& text);
    void txtMinHP_Change(const QString& text);
    void txtMaxHP_Change(const QString& text);
    void txtRobotMoney_Change(const QString& text);
    void cmbItem_Edit(const QString& text);
    void cmbItem_Choose(int position);
    void CancelBut_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct SliderRow {
        QSlider* slider;
        QLabel* caption;
        QString prefix;
        int palvorn::EnemySettings::*value;
    };

    void setUpNameRows();
    void setUpItemAndNumbers();
    void setUpSliders();
    void setUpInstructionAndButtons();
    void setUpTabOrder();
    void connectControls();

    QSlider* addSlider(const char* sliderName, const char* captionName, palvorn::Field field);
    void sliderMoved(const SliderRow& row);
    void showProgramName();
    void showEnemyFolder();
    void showItemNote();
    bool mayReplace(const std::filesystem::path& target);

    palvorn::Enemy enemy_;             // the working copy
    std::filesystem::path ownFile_;
    QPointer<SpritesWindow> sprites_;
    bool closed_ = false;

    // Controls named as the tests find them (objectName is the same).
    QLineEdit* CharName = nullptr;
    QLabel* ProgramName = nullptr;
    QComboBox* cmbItem = nullptr;
    QLabel* ItemNote = nullptr;
    QLineEdit* txtMinHP = nullptr;
    QLineEdit* txtMaxHP = nullptr;
    QLineEdit* txtRobotMoney = nullptr;
    QSlider* UpDefSlider = nullptr;
    QSlider* LowDefSlider = nullptr;
    QSlider* UpAtkSlider = nullptr;
    QSlider* LowAtkSlider = nullptr;
    QSlider* SpecAtkSlider = nullptr;
    QSlider* AtksSlider = nullptr;
    QSlider* BlksSlider = nullptr;
    QLabel* Instruct = nullptr;
    QLabel* EnemyFolder = nullptr;
    QPushButton* CreateBut = nullptr;
    QPushButton* CancelBut = nullptr;
    QGridLayout* grid_ = nullptr;
};
