#pragma once
// The wizard's editor of one pose: the picture box (also the pen), its size
// and shape tools, how its picture is converted, copying another pose into
// it, saving it as a picture, and the calculator screen with the battle
// sketch. Every edit is a change on the model; what it shows it reads from
// the model whenever the model says the pose changed. Its controls are the
// window's own, laid out by layout(), so that the window's layout rules
// reach each of them.

#include <memory>
#include <QObject>

#include "History.h"

class QBoxLayout;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class BattlePlayer;
class ConversionControls;
class EnemyModel;
class Pen;
class ScreenPreview;
class SpriteView;

class PoseEditor : public QObject {
    Q_OBJECT

public:
    // Edits model, which must outlive it, with controls on window; shows
    // pose 0 until showPose.
    PoseEditor(EnemyModel& model, QWidget* window);

    // The controls laid out, for the window to place.
    QBoxLayout* layout() const { return layout_; }

    // Shows pose 0..4 with its controls; edits go to it from now on.
    void showPose(int pose);
    int pose() const { return pose_; }

private slots:
    void showSpriteNote();
    void changeSize();
    void trim();
    void flipLeftRight();
    void flipTopBottom();
    void invert();
    void copyFrom(int index);
    void savePicture();
    void shift(int dx, int dy);
    void followModel(int pose);

private:
    void setUpControls();
    void setUpLayout();
    void setUpConnections();

    // The sprite, the screen and the battle as the model holds them.
    void showSprite();
    // The same after a point of a pen stroke: only what it changed is drawn again.
    void showStroke();
    // The conversion, size and shape controls as the pose is.
    void showEditControls();
    void showCopyChoices();
    // Why the pose is at Threshold when its picture has no pure black, as
    // the picture was taken in; empty otherwise.
    QString startNote();

    palvorn::PoseState current() const;
    void change(const QString& name, palvorn::PoseState after);

    EnemyModel& model_;
    QWidget* window_;
    QBoxLayout* layout_ = nullptr;
    int pose_ = 0;
    Pen* pen_ = nullptr;
    // The last picture checked for pure black, and what was found.
    std::weak_ptr<const palvorn::GreyPicture> blackChecked_;
    bool blackFound_ = false;

    SpriteView* PictureBox = nullptr;  // objectName "Sprite"
    QLabel* SizeLbl = nullptr;
    QLabel* SpriteNote = nullptr;  // the scale and the dark-pixel note, or why the step is held
    ScreenPreview* Screen = nullptr;
    QLabel* ScreenNote = nullptr;  // what the screen cuts off
    ConversionControls* Conversion = nullptr;
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
};
