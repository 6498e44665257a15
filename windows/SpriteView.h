#pragma once
// The picture box: the sprite as it will be packed, scaled by a whole factor
// to fill the box (render::renderBox), with the scale and a note about the
// picture as texts for the window to show beside it. It is also the pen:
// presses, drags and arrow keys arrive as signals in sprite pixels, for the
// window to change the enemy by; the box itself changes nothing.

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include "Render.h"
#include "Sprite.h"
#include "SpriteOps.h"

class SpriteView : public QWidget {
    Q_OBJECT

public:
    explicit SpriteView(QWidget* parent = nullptr);

    // Shows this sprite, read where it lies and never copied: it and
    // `marked` must outlive the view or be replaced by another setSprite.
    // `marked` flags the pixels that looked dark in the picture (empty:
    // none). A mask of another size throws std::invalid_argument and changes
    // nothing. An empty sprite shows an empty box. The box is drawn whole.
    void setSprite(const palvorn::Sprite& sprite, const palvorn::Sprite& marked);
    void setSprite(const palvorn::Sprite& sprite);
    void setSprite(palvorn::Sprite&&, const palvorn::Sprite&) = delete;
    void setSprite(const palvorn::Sprite&, palvorn::Sprite&&) = delete;
    void setSprite(palvorn::Sprite&&) = delete;
    // Shows nothing (an empty box).
    void clear();
    // The shown sprite changed in place inside `pixels` only, as a pen stroke
    // changes it: only those are drawn again. Same size and marks as before.
    void pixelsChanged(const palvorn::PixelRect& pixels);
    const palvorn::Sprite& sprite() const { return *sprite_; }
    const palvorn::Sprite& marked() const { return *marked_; }

    // The scale at the current size (1:1 without a picture) and its text
    // ("shown at 4:1"; empty without a picture).
    render::Scale scale() const;
    QString scaleText() const;
    // pictureNote for the sprite shown.
    QString note() const { return note_; }

    // The sprite pixel shown at `point` of the box; outside the sprite (and
    // past its edges) where the point is off the picture.
    QPoint pixelAt(QPoint point) const;
    // The centre of sprite pixel `pixel` in the box, for tests and benchmarks
    // that drive the pen.
    QPoint pointOf(QPoint pixel) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Sent when a text changes: by a new sprite, or for the scale also by a
    // resize (for a hidden widget, once the resize event arrives).
    void scaleTextChanged(const QString& text);
    void noteChanged(const QString& text);

    // A stroke: pressed at pixel (left button sets, right clears), moved to
    // pixel (straight: Shift held, a line from where it was pressed), ended
    // at release. Only over a sprite; every move in between is reported.
    void strokeStarted(QPoint pixel, bool set);
    void strokeMoved(QPoint pixel, bool straight);
    void strokeEnded();
    // An arrow key while the box has focus: move the sprite one pixel.
    void shiftRequested(int dx, int dy);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void updateScaleText();
    // Where the scaled picture's top left lies in the box.
    QPoint pictureOrigin() const;

    // note as the one shown, sent when it differs.
    void showNote(QString note);

    const palvorn::Sprite* sprite_;  // the owner's; never null
    const palvorn::Sprite* marked_;
    QString scaleText_;  // as last sent
    QString note_;
    QImage image_;  // the box at its current size; null when it must be drawn again
    Qt::MouseButton strokeButton_ = Qt::NoButton;  // the button of the stroke under way
};
