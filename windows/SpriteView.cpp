#include "SpriteView.h"

#include <QPainter>

#include "TakePicture.h"

SpriteView::SpriteView(QWidget* parent) : QWidget(parent)
{
    // Every pixel of the box is painted, so nothing below needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SpriteView::setSprite(const palvorn::Sprite& sprite, const palvorn::Sprite& marked)
{
    QString note = pictureNote(sprite, marked);  // checks the mask before anything changes
    sprite_ = sprite;
    marked_ = marked;
    image_ = QImage();
    update();
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

QSize SpriteView::sizeHint() const
{
    // Twice the calculator screen: a battle-sized sprite is shown at 2:1 or more.
    return {192, 128};
}

QSize SpriteView::minimumSizeHint() const
{
    return {32, 32};
}

void SpriteView::paintEvent(QPaintEvent*)
{
    if (image_.size() != size())
        image_ = render::renderBox(sprite_, marked_, size());
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void SpriteView::resizeEvent(QResizeEvent* event)
{
    image_ = QImage();
    updateScaleText();
    QWidget::resizeEvent(event);
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
