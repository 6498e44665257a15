#pragma once
// How a pose's kept picture becomes its sprite: the conversion box, the
// threshold slider, the scale box with Fit, and giving this conversion to
// every pose. A choice is one change on the model; a drag of the slider, or
// a hold of the scale box (arrows held, keys repeating, the wheel turning),
// is one live edit, shown as it goes and one change when it ends. Its
// controls are the window's own.

#include <QObject>

#include "History.h"

class QBoxLayout;
class QComboBox;
class QWidget;
class QLabel;
class QSlider;
class QSpinBox;
class QPushButton;
class QTimer;
class EnemyModel;

class ConversionControls : public QObject {
    Q_OBJECT

public:
    // Converts in model, which must outlive it, with controls on window.
    ConversionControls(EnemyModel& model, QWidget* window);

    // The controls in a column, for the window to place.
    QBoxLayout* layout() const { return layout_; }

    // Shows pose 0..4's conversion; choices convert it from now on.
    void showPose(int pose);

private slots:
    void changeMode(int index);
    void moveThreshold(int value);
    void endDrag();
    void changeScale(int value);
    void endHold();
    void fit();
    void applyToAll();

protected:
    // Tells a hold of the scale box from a single change.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showScaleControls(const palvorn::PoseState& state);
    bool liveIsMine() const;

    EnemyModel& model_;
    int pose_ = 0;
    QBoxLayout* layout_ = nullptr;
    QComboBox* ConvertMode = nullptr;
    QLabel* ThresholdLbl = nullptr;
    QSlider* ThresholdSlider = nullptr;
    QSpinBox* ScaleBox = nullptr;
    QPushButton* FitBut = nullptr;
    QPushButton* ApplyAllBut = nullptr;
    bool scaleHeld_ = false;       // an arrow or a stepping key is down
    QTimer* wheelEnd_ = nullptr;   // a turn of the wheel ends when it stops
};
