#pragma once
// The settings window "Character Settings" ("CharSettings"): edits the
// settings of the enemy the wizard owns, and runs Create on it. The wizard's
// "Finish" makes it; it closes on "Cancel", on the Sprites window's "Ok" (via
// the wizard's reset), on the wizard's "New" and with the wizard. Closing it
// returns the settings to their initial values and closes the Sprites window.

#include <QPointer>
#include <QWidget>

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
    // enemy must outlive the window; its settings are shown and edited here.
    explicit SettingsWindow(palvorn::Enemy& enemy, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // The Sprites window of the last Create, or nullptr.
    SpritesWindow* spritesWindow() const;
    // Closed, and waiting for the event loop to delete it.
    bool isClosed() const { return closed_; }

public slots:
    void CreateBut_Click();

signals:
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

    QSlider* addSlider(const char* sliderName, const char* captionName, palvorn::Field field);
    void sliderMoved(const SliderRow& row);
    void showProgramName();
    void showEnemyFolder();

    palvorn::Enemy& enemy_;
    QPointer<SpritesWindow> sprites_;
    bool closed_ = false;

    // Controls named as the tests find them (objectName is the same).
    QLineEdit* CharName = nullptr;
    QLabel* ProgramName = nullptr;
    QComboBox* cmbItem = nullptr;
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
    QList<SliderRow> sliderRows_;
    QGridLayout* grid_ = nullptr;
};
