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

    // The sprite of the current step and the normal sprite that places it,
    // read where they lie and never copied: they must outlive the preview or
    // be replaced by another setScene. Drawn at the next paint.
    void setScene(const palvorn::Sprite& shown, const palvorn::Sprite& normal);
    void setScene(palvorn::Sprite&&, const palvorn::Sprite&) = delete;
    void setScene(const palvorn::Sprite&, palvorn::Sprite&&) = delete;
    // The scene's sprites changed in place: drawn again at the next paint.
    void sceneChanged();

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
    const palvorn::Sprite* shown_;  // the owner's; never null
    const palvorn::Sprite* normal_;
    palvorn::Sprite frame_;  // empty: the scene is shown
    int zoom_ = render::kDefaultZoom;
    QString note_;
    QImage image_;  // null when it must be drawn again
};
