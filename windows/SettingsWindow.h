#pragma once
// The settings window "Character Settings" ("CharSettings"): edits a working
// copy of the enemy's settings, never its sprites, and runs Create on the
// model's enemy with them. The wizard's "Finish" makes it, a window of its
// own that the wizard owns. Its fields are bound to the settings through
// the value table. A successful Create makes the written settings the
// model's; closing it ("Cancel", the title bar, the wizard's "New") drops
// the edits made since, and closes the Sprites window.

#include <QObject>
#include <QWidget>
#include <filesystem>

#include "Enemy.h"
#include "OwnedWindow.h"
#include "SpritesWindow.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class EnemyModel;

class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    // Shows model's settings; model must outlive it.
    explicit SettingsWindow(EnemyModel& model, QWidget* parent = nullptr);

    // The settings as edited here.
    const palvorn::EnemySettings& settings() const { return settings_; }
    // The enemy Create writes: the model's sprites with these settings.
    palvorn::Enemy enemy() const;
    // Where Create writes: the folder the enemy was opened from or last
    // written to, or the enemy folder for a new enemy.
    QString createFolder() const;

    // The Sprites window of the last Create, or nullptr.
    SpritesWindow* spritesWindow() const { return sprites_.get(); }

public slots:
    void create();

signals:
    // "Ok" in the Sprites window: this enemy is done.
    void okClicked();
    // Closed: the window is deleted as soon as the event loop comes to it.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setUpNameRows();
    void setUpItemAndNumbers();
    void setUpSliders();
    void setUpInstructionAndButtons();
    void setUpTabOrder();
    void bindFields();

    void showName();
    void showMaxHPNote();
    void showEnemyFolder();
    void showItemNote();
    void takeItemText(const QString& text);
    void chooseItem(int position);
    bool mayReplace(const std::filesystem::path& target);

    EnemyModel& model_;
    palvorn::EnemySettings settings_;  // the working copy
    OwnedWindow<SpritesWindow> sprites_;
    // The context of the fields' connections: it goes with the window's
    // data, before the base class hides the fields and they signal.
    QObject bindings_;

    // Controls named as the tests find them (objectName is the same).
    QLineEdit* CharName = nullptr;
    QLabel* ProgramName = nullptr;
    QComboBox* cmbItem = nullptr;
    QLabel* ItemNote = nullptr;
    QLineEdit* txtMinHP = nullptr;
    QLineEdit* txtMaxHP = nullptr;
    QLabel* MaxHPNote = nullptr;
    QLineEdit* txtRobotMoney = nullptr;
    QList<QWidget*> sliders_;  // in the window's order
    QLabel* Instruct = nullptr;
    QLabel* EnemyFolder = nullptr;
    QPushButton* CreateBut = nullptr;
    QPushButton* CancelBut = nullptr;
    QGridLayout* grid_ = nullptr;
};
