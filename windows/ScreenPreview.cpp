#include "ScreenPreview.h"

#include <QPainter>
#include <stdexcept>
#include <string>

#include "Rules.h"

namespace {

// What a preview without a scene points at.
const palvorn::Sprite kNoSprite;

}  // namespace

ScreenPreview::ScreenPreview(QWidget* parent) : QWidget(parent), shown_(&kNoSprite), normal_(&kNoSprite)
{
    setObjectName(QStringLiteral("ScreenPreview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(palvorn::kScreenWidth * zoom_, palvorn::kScreenHeight * zoom_);
}

void ScreenPreview::setScene(const palvorn::Sprite& shown, const palvorn::Sprite& normal)
{
    shown_ = &shown;
    normal_ = &normal;
    sceneChanged();
}

void ScreenPreview::sceneChanged()
{
    image_ = QImage();
    update();
    QString note = render::screenNote(*shown_, *normal_);
    if (note != note_) {
        note_ = std::move(note);
        emit noteChanged(note_);
    }
}

void ScreenPreview::showFrame(const palvorn::Sprite& screen)
{
    frame_ = screen;
    image_ = QImage();
    update();
}

void ScreenPreview::showScene()
{
    if (frame_.isEmpty())
        return;
    frame_ = palvorn::Sprite();
    image_ = QImage();
    update();
}

void ScreenPreview::setZoom(int zoom)
{
    if (zoom < render::kMinWidgetZoom || zoom > render::kMaxZoom)
        throw std::invalid_argument("screen preview zoom " + std::to_string(zoom) + " is outside " +
                                    std::to_string(render::kMinWidgetZoom) + ".." + std::to_string(render::kMaxZoom));
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    image_ = QImage();
    setFixedSize(palvorn::kScreenWidth * zoom_, palvorn::kScreenHeight * zoom_);
    update();
}

void ScreenPreview::paintEvent(QPaintEvent*)
{
    if (image_.isNull())
        image_ = frame_.isEmpty() ? render::renderScreen(*shown_, *normal_, zoom_) : render::renderFrame(frame_, zoom_);
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}
