#include "Pen.h"

#include <algorithm>
#include <utility>

#include "EnemyModel.h"
#include "SpriteView.h"
#include "Widgets.h"

namespace {

// The pixels a line from a to b may touch.
QRect lineBounds(QPoint a, QPoint b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

}  // namespace

Pen::Pen(EnemyModel& model, SpriteView* box, QObject* parent) : QObject(parent), model_(model)
{
    connect(box, &SpriteView::strokeStarted, this, &Pen::start);
    connect(box, &SpriteView::strokeMoved, this, &Pen::moveTo);
    connect(box, &SpriteView::strokeEnded, this, &Pen::end);
}

bool Pen::isDrawing() const
{
    return model_.isLive() && model_.liveTag() == this && model_.livePose() == pose_;
}

palvorn::PixelRect Pen::lastChanged() const
{
    return {changed_.x(), changed_.y(), changed_.width(), changed_.height()};
}

void Pen::start(QPoint pixel, bool set)
{
    if (model_.enemy().sprites.at(static_cast<std::size_t>(pose_)).isEmpty())
        return;  // the size boxes make a sprite to draw on
    const QString pose = widgets::poseName(pose_);
    model_.beginLive(pose_, QStringLiteral("%1 on %2").arg(set ? QStringLiteral("Draw") : QStringLiteral("Erase"), pose),
                     this);
    sets_ = set;
    from_ = last_ = pixel;
    drawn_ = changed_ = lineBounds(pixel, pixel);
    model_.editLive(
        [&](palvorn::Sprite& sprite) { palvorn::drawLine(sprite, pixel.x(), pixel.y(), pixel.x(), pixel.y(), set); });
}

void Pen::moveTo(QPoint pixel, bool straight)
{
    if (!isDrawing())
        return;  // the stroke was ended by another change
    if (pixel == last_ && !straight)
        return;
    QString name;
    QPoint from = last_;  // from the last point reported, so that a fast move leaves no gap
    bool redraw = false;
    if (straight) {
        // One straight line from where the stroke began, in place of what it drew.
        from = from_;
        redraw = true;
        changed_ = drawn_ | lineBounds(from_, pixel);
        name = QStringLiteral("%1 on %2").arg(sets_ ? QStringLiteral("Line") : QStringLiteral("Erase line"),
                                              widgets::poseName(pose_));
    } else {
        changed_ = lineBounds(last_, pixel);
    }
    drawn_ |= changed_;
    last_ = pixel;
    model_.editLive(
        [&](palvorn::Sprite& sprite) {
            if (redraw)
                sprite = model_.liveBefore().sprite;
            palvorn::drawLine(sprite, from.x(), from.y(), pixel.x(), pixel.y(), sets_);
        },
        name);
}

void Pen::end()
{
    if (!isDrawing())
        return;
    ending_ = true;
    model_.commitLive();
    ending_ = false;
}
