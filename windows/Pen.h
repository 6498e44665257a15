#pragma once
// The pen of the picture box: a stroke of presses, drags and releases on the
// box becomes one live edit of the pose on the model, one undo step. It
// tells what each point changed, so that the views draw only that again.

#include <QObject>
#include <QPoint>
#include <QRect>

#include "SpriteOps.h"

class EnemyModel;
class SpriteView;

class Pen : public QObject {
    Q_OBJECT

public:
    // Draws with box's strokes on model; both must outlive it. Draws on pose 0
    // until setPose.
    Pen(EnemyModel& model, SpriteView* box, QObject* parent);

    // Pose 0..4 the strokes draw on from now on.
    void setPose(int pose) { pose_ = pose; }
    // Whether the live edit going on is this pen's stroke on its pose.
    bool isDrawing() const;
    // Whether the model's change under way is this pen's stroke being ended
    // (the pose is then as the last point left it).
    bool isEnding() const { return ending_; }
    // The sprite pixels the latest point of the stroke changed, at most.
    palvorn::PixelRect lastChanged() const;

private slots:
    void start(QPoint pixel, bool set);
    void moveTo(QPoint pixel, bool straight);
    void end();

private:
    EnemyModel& model_;
    int pose_ = 0;
    QPoint from_;  // in sprite pixels
    QPoint last_;
    bool sets_ = true;
    QRect drawn_;    // what the stroke changed so far
    QRect changed_;  // what its latest point changed
    bool ending_ = false;
};
