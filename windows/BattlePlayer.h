#pragma once
// The battle sketch beside the screen preview: "Play" runs the loop of
// palvorn::battleFrame on the preview at the pace SpeedSlider sets, "Stop"
// gives the preview its still scene back. A note says it is a sketch from
// the file's places, not the game.

#include <QWidget>

#include "Enemy.h"

class QLabel;
class QPushButton;
class QSlider;
class QTimer;
class ScreenPreview;

class BattlePlayer : public QWidget {
    Q_OBJECT

public:
    // Slowest to fastest; the middle step plays palvorn::kBattleFrameMs a frame.
    static constexpr int kMinSpeed = 1;
    static constexpr int kMaxSpeed = 8;
    static constexpr int kDefaultSpeed = 4;

    // Plays on `screen`, which must outlive this widget.
    explicit BattlePlayer(ScreenPreview* screen, QWidget* parent = nullptr);

    // The enemy to play, read where it lies, never copied: it must outlive
    // the player or be replaced by another setEnemy. While playing, the frame
    // on screen is drawn from it at once.
    void setEnemy(const palvorn::Enemy& enemy);

    bool isPlaying() const;
    // The frame on screen while playing, counted from 0 since Play.
    int frame() const { return frame_; }
    // How long a frame stands at the slider's pace.
    int frameMs() const;

private slots:
    void playOrStop();
    void changeSpeed();
    void showNextFrame();

private:
    void setUpControls();
    void setUpLayout();
    void setUpConnections();
    void showFrame();

    ScreenPreview* screen_;
    const palvorn::Enemy* enemy_ = nullptr;  // none: nothing to play yet
    int frame_ = 0;
    QTimer* timer_ = nullptr;
    QPushButton* PlayBut = nullptr;
    QSlider* SpeedSlider = nullptr;
    QLabel* BattleNote = nullptr;
};
