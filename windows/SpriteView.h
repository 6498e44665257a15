#pragma once
// The picture box: the sprite as it will be packed, scaled by a whole factor
// to fill the box (render::renderBox), with the scale and a note about the
// picture as texts for the window to show beside it.

#include <QImage>
#include <QString>
#include <QWidget>

#include "Render.h"
#include "Sprite.h"

class SpriteView : public QWidget {
    Q_OBJECT

public:
    explicit SpriteView(QWidget* parent = nullptr);

    // Shows this sprite; `marked` flags the pixels that looked dark in the
    // picture (empty: none). A mask of another size throws
    // std::invalid_argument and changes nothing. An empty sprite shows an
    // empty box.
    void setSprite(const palvorn::Sprite& sprite, const palvorn::Sprite& marked = {});
    void clear() { setSprite({}); }
    const palvorn::Sprite& sprite() const { return sprite_; }
    const palvorn::Sprite& marked() const { return marked_; }

    // The scale at the current size (1:1 without a picture) and its text
    // ("shown at 4:1"; empty without a picture).
    render::Scale scale() const;
    QString scaleText() const;
    // pictureNote for the sprite shown.
    QString note() const { return note_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Sent when a text changes: by a new sprite, or for the scale also by a
    // resize (for a hidden widget, once the resize event arrives).
    void scaleTextChanged(const QString& text);
    void noteChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateScaleText();

    palvorn::Sprite sprite_;
    palvorn::Sprite marked_;
    QString scaleText_;  // as last sent
    QString note_;
    QImage image_;  // the box at its current size; null when it must be drawn again
};
