#include "SpriteView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "TakePicture.h"

SpriteView::SpriteView(QWidget* parent) : QWidget(parent)
{
    // Every pixel of the box is painted, so nothing below needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Focus for the arrow keys, by click or Tab.
    setFocusPolicy(Qt::StrongFocus);
}

namespace {

// The pixels, in whole bytes of rows, where two sprites of one size (and
// their marks, of one size too) differ; empty where they are the same.
palvorn::PixelRect differingPixels(const palvorn::Sprite& a, const palvorn::Sprite& b, const palvorn::Sprite& aMarks,
                                   const palvorn::Sprite& bMarks)
{
    int left = a.bytesPerRow(), right = -1, top = -1, bottom = -1;
    for (int y = 0; y < a.height(); ++y)
        for (int i = 0; i < a.bytesPerRow(); ++i)
            if (a.row(y)[i] != b.row(y)[i] || (!aMarks.isEmpty() && aMarks.row(y)[i] != bMarks.row(y)[i])) {
                top = top < 0 ? y : top;
                bottom = y;
                left = std::min(left, i);
                right = std::max(right, i);
            }
    if (top < 0)
        return {};
    const int x0 = left * 8;
    return {x0, top, std::min(a.width(), (right + 1) * 8) - x0, bottom - top + 1};
}

bool sameShape(const palvorn::Sprite& a, const palvorn::Sprite& b)
{
    return a.width() == b.width() && a.height() == b.height();
}

}  // namespace

void SpriteView::setSprite(const palvorn::Sprite& sprite, const palvorn::Sprite& marked)
{
    QString note = pictureNote(sprite, marked);  // checks the mask before anything changes
    // A pen stroke changes a few pixels at a time: only those are drawn again.
    const bool patch = !image_.isNull() && image_.size() == size() && sameShape(sprite, sprite_) &&
                       sameShape(marked, marked_);
    const palvorn::PixelRect changed = patch ? differingPixels(sprite_, sprite, marked_, marked) : palvorn::PixelRect{};
    sprite_ = sprite;
    marked_ = marked;
    if (!patch) {
        image_ = QImage();
        update();
    } else if (!changed.isEmpty()) {
        const QRect redrawn = render::redrawBoxPart(image_, sprite_, marked_, changed, true);
        if (redrawn.isEmpty())
            image_ = QImage();
        update(redrawn.isEmpty() ? rect() : redrawn);
    }
    updateScaleText();
    if (note != note_) {
        note_ = std::move(note);
        emit noteChanged(note_);
    }
}

render::Scale SpriteView::scale() const
{
    return render::scaleFor(QSize(sprite_.width(), sprite_.height()), size());
}

QPoint SpriteView::pictureOrigin() const
{
    // As renderBox centres it.
    const QSize shown = render::scaledSize(QSize(sprite_.width(), sprite_.height()), scale());
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
        image_ = render::renderBox(sprite_, marked_, size(), true);
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
    if (strokeButton_ != Qt::NoButton || sprite_.isEmpty() ||
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
    return sprite_.isEmpty() ? QString() : render::scaleText(scale());
}

void SpriteView::updateScaleText()
{
    QString text = scaleText();
    if (text != scaleText_) {
        scaleText_ = std::move(text);
        emit scaleTextChanged(scaleText_);
    }
}
