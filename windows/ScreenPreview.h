#pragma once
// The calculator screen as the battle will show the sprite of the current
// step (render::renderScreen), fixed at 96 × 64 times a whole zoom, with a
// note for the window to show when the sprite is cut off.

#include <QImage>
#include <QString>
#include <QWidget>

#include "Render.h"
#include "Sprite.h"

class ScreenPreview : public QWidget {
    Q_OBJECT

public:
    // objectName "ScreenPreview", zoom render::kDefaultZoom, an empty screen.
    explicit ScreenPreview(QWidget* parent = nullptr);

    // The sprite of the current step and the normal sprite that places it.
    // Cheap enough to call on every change: the screen is drawn at the next paint.
    void setScene(const palvorn::Sprite& shown, const palvorn::Sprite& normal);

    // Shows a battle sketch frame (the whole 96 × 64 screen) in place of
    // the scene until showScene; the scene keeps following setScene meanwhile.
    void showFrame(const palvorn::Sprite& screen);
    // The scene again, as setScene last set it.
    void showScene();
    bool showsFrame() const { return !frame_.isEmpty(); }

    // render::kMinWidgetZoom..render::kMaxZoom, else std::invalid_argument;
    // the widget's fixed size follows.
    void setZoom(int zoom);
    int zoom() const { return zoom_; }

    // render::screenNote for the scene; empty when the sprite fits.
    QString note() const { return note_; }

signals:
    void noteChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    palvorn::Sprite shown_;
    palvorn::Sprite normal_;
    palvorn::Sprite frame_;  // empty: the scene is shown
    int zoom_ = render::kDefaultZoom;
    QString note_;
    QImage image_;  // null when it must be drawn again
};
