#pragma once
// How a pose's kept picture becomes its sprite: the conversion box and the
// threshold slider. A choice is one change on the model; a drag of the
// slider is one live edit, shown as it goes and one change when it ends.
// Its controls are the window's own.

#include <QObject>

class QBoxLayout;
class QComboBox;
class QWidget;
class QLabel;
class QSlider;
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

private:
    EnemyModel& model_;
    int pose_ = 0;
    QBoxLayout* layout_ = nullptr;
    QComboBox* ConvertMode = nullptr;
    QLabel* ThresholdLbl = nullptr;
    QSlider* ThresholdSlider = nullptr;
};
