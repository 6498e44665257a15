#pragma once
// The settings window "Character Settings": the enemy's name, hit points,
// money, item and seven fighting values, and the "Create" action that writes
// NAME.asm and starts the build script. Opened without being modal by the
// wizard's "Finish"; closed by its "Cancel", the worker window's "Ok", the
// wizard's "New" and the wizard closing.

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "EnemySource.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    // Shows the open window unchanged, or creates it in its initial state.
    static SettingsWindow* showWindow();
    static SettingsWindow* existing();
    static void closeIfOpen();

    // Wiring to the wizard: the picture of sprite slot 1..5, read by Create.
    static void setSpriteSlots(std::function<QImage(int)> pictures);

    // What the worker window's WriteFile reads from here.
    void fillEnemyValues(palvorn::EnemyValues& values) const;

public slots:
    void CreateBut_Click();

private slots:
    void CharName_Change(const QString& text);
    void txtMaxHP_Change(const QString& text);
    void txtRobotMoney_Change(const QString& text);
    void cmbItem_Edit(const QString& text);
    void CancelBut_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct SliderRow {
        QSlider* slider;
        QLabel* caption;
        QString prefix;
    };

    explicit SettingsWindow(QWidget* parent = nullptr);
    bool eventFilter(QObject* watched, QEvent* event) override;
    QSlider* addSlider(const char* sliderName, const char* captionName, const QString& prefix, int minimum,
                       bool followsValue);
    void refreshCaption(const QSlider* slider);

    static QPointer<SettingsWindow> current_;
    // Controls named as the tests find them (objectName is the same).
    QLineEdit* CharName = nullptr;
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
    QPushButton* CreateBut = nullptr;
    QPushButton* CancelBut = nullptr;
    QList<SliderRow> sliderRows_;
    QGridLayout* grid_ = nullptr;
};
