#include "SpriteView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "TakePicture.h"

namespace {

// What an empty view points at.
const palvorn::Sprite kNoSprite;

}  // namespace

SpriteView::SpriteView(QWidget* parent) : QWidget(parent), sprite_(&kNoSprite), marked_(&kNoSprite)
{
    // Every pixel of the box is painted, so nothing below needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Focus for the arrow keys, by click or Tab.
    setFocusPolicy(Qt::StrongFocus);
}

void SpriteView::setSprite(const palvorn::Sprite& sprite, const palvorn::Sprite& marked)
{
    // Checks the mask before anything changes.
    QString note = pictureNote(sprite, marked);
    sprite_ = &sprite;
    marked_ = &marked;
    image_ = QImage();
    update();
    updateScaleText();
    showNote(std::move(note));
}

void SpriteView::setSprite(const palvorn::Sprite& sprite)
{
    setSprite(sprite, kNoSprite);
}

void SpriteView::clear()
{
    setSprite(kNoSprite, kNoSprite);
}

void SpriteView::pixelsChanged(const palvorn::PixelRect& changed)
{
    // Only the part on the sprite counts.
    const QRect on = QRect(changed.left, changed.top, changed.width, changed.height) &
                     QRect(0, 0, sprite_->width(), sprite_->height());
    const palvorn::PixelRect pixels{on.x(), on.y(), on.width(), on.height()};
    if (!pixels.isEmpty() && !image_.isNull() && image_.size() == size()) {
        // A pen stroke changes a few pixels at a time: only those are drawn again.
        const QRect redrawn = render::redrawBoxPart(image_, *sprite_, *marked_, pixels, true);
        if (redrawn.isEmpty())
            image_ = QImage();
        update(redrawn.isEmpty() ? rect() : redrawn);
    } else if (!pixels.isEmpty()) {
        update();  // drawn whole at the next paint
    }
    showNote(pictureNote(*sprite_, *marked_));
}

void SpriteView::showNote(QString note)
{
    if (note != note_) {
        note_ = std::move(note);
        emit noteChanged(note_);
    }
}

render::Scale SpriteView::scale() const
{
    return render::scaleFor(QSize(sprite_->width(), sprite_->height()), size());
}

QPoint SpriteView::pictureOrigin() const
{
    // As renderBox centres it.
    const QSize shown = render::scaledSize(QSize(sprite_->width(), sprite_->height()), scale());
    return {(width() - shown.width()) / 2, (height() - shown.height()) / 2};
}

QPoint SpriteView::pixelAt(QPoint point) const
{
    const render::Scale s = scale();
    const QPoint at = point - pictureOrigin();
    // Rounded down, so that the pixels left of and above the picture are negative.
    const auto toPixel = [&s](int offset) {
        return static_cast<int>(std::floor(double(offset) / s.up)) * s.down;
    };
    return {toPixel(at.x()), toPixel(at.y())};
}

QPoint SpriteView::pointOf(QPoint pixel) const
{
    const render::Scale s = scale();
    return pictureOrigin() + QPoint(pixel.x() / s.down * s.up + s.up / 2, pixel.y() / s.down * s.up + s.up / 2);
}

QSize SpriteView::sizeHint() const
{
    // Twice the calculator screen: a battle-sized sprite is shown at 2:1 or more.
    return {192, 128};
}

QSize SpriteView::minimumSizeHint() const
{
    return {32, 32};
}

void SpriteView::paintEvent(QPaintEvent* event)
{
    if (image_.size() != size())
        image_ = render::renderBox(*sprite_, *marked_, size(), true);
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
    if (hasFocus()) {
        // The arrow keys move the sprite now: the box says so by its edge.
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void SpriteView::resizeEvent(QResizeEvent* event)
{
    image_ = QImage();
    updateScaleText();
    QWidget::resizeEvent(event);
}

void SpriteView::mousePressEvent(QMouseEvent* event)
{
    const Qt::MouseButton button = event->button();
    if (strokeButton_ != Qt::NoButton || sprite_->isEmpty() ||
        (button != Qt::LeftButton && button != Qt::RightButton)) {
        event->ignore();
        return;
    }
    strokeButton_ = button;
    emit strokeStarted(pixelAt(event->position().toPoint()), button == Qt::LeftButton);
}

void SpriteView::mouseMoveEvent(QMouseEvent* event)
{
    if (strokeButton_ == Qt::NoButton) {
        event->ignore();
        return;
    }
    emit strokeMoved(pixelAt(event->position().toPoint()), event->modifiers().testFlag(Qt::ShiftModifier));
}

void SpriteView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != strokeButton_ || strokeButton_ == Qt::NoButton) {
        event->ignore();
        return;
    }
    // The release point counts: a click with Shift ends a line there.
    emit strokeMoved(pixelAt(event->position().toPoint()), event->modifiers().testFlag(Qt::ShiftModifier));
    strokeButton_ = Qt::NoButton;
    emit strokeEnded();
}

void SpriteView::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left: emit shiftRequested(-1, 0); break;
    case Qt::Key_Right: emit shiftRequested(1, 0); break;
    case Qt::Key_Up: emit shiftRequested(0, -1); break;
    case Qt::Key_Down: emit shiftRequested(0, 1); break;
    default: QWidget::keyPressEvent(event); return;
    }
}

void SpriteView::contextMenuEvent(QContextMenuEvent* event)
{
    // The right button clears pixels here; it opens no menu.
    event->accept();
}

QString SpriteView::scaleText() const
{
    return sprite_->isEmpty() ? QString() : render::scaleText(scale());
}

void SpriteView::updateScaleText()
{
    QString text = scaleText();
    if (text != scaleText_) {
        scaleText_ = std::move(text);
        emit scaleTextChanged(scaleText_);
    }
}
