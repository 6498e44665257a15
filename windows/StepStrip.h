#pragma once
// The five steps at a glance: each pose's sprite as it will be packed, small,
// with its pose word under it. A missing pose says "missing", a pose over the
// packing limit shows its word in the warning colour, the current step is
// the checked one, and a click on a pose asks to go to it.

#include <QWidget>
#include <array>

#include "Enemy.h"

class QToolButton;

class StepStrip : public QWidget {
    Q_OBJECT

public:
    // The box each thumbnail is fitted into.
    static constexpr QSize kThumbnailBox{48, 32};

    explicit StepStrip(QWidget* parent = nullptr);

    // Draws the five sprites again and checks `current` (0..4; any other
    // value checks none). Keeps only the drawn thumbnails.
    void showPoses(const std::array<palvorn::Sprite, palvorn::kPoses>& sprites, int current);

signals:
    // A thumbnail was clicked: go to that pose (0..4).
    void poseClicked(int pose);

private:
    std::array<QToolButton*, palvorn::kPoses> StepThumb{};
};
