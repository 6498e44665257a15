#pragma once
// What the user sees of the enemy model, as plain functions from sprites to
// images: the picture box (the sprite as it will be packed) and the calculator
// screen preview. The widgets SpriteView and ScreenPreview only show these
// images, so the pictures are tested here pixel for pixel.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtGui/qrgb.h>
#include <array>

#include "Enemy.h"
#include "Sprite.h"
#include "SpriteOps.h"

namespace render {

// The picture box.
inline constexpr QRgb kSetColour = qRgb(0, 0, 0);           // packed as a set bit
inline constexpr QRgb kClearColour = qRgb(255, 255, 255);   // packed as a clear bit
inline constexpr QRgb kMarkedColour = qRgb(255, 96, 0);     // looks dark, packed clear
inline constexpr QRgb kBoxColour = qRgb(212, 212, 212);     // the box around the picture

// The calculator screen: a light LCD background with dark ink.
inline constexpr QRgb kScreenColour = qRgb(199, 207, 161);
inline constexpr QRgb kScreenInk = qRgb(36, 44, 28);
// The outline of where the enemy steps to when it attacks (RobotTo).
inline constexpr QRgb kRobotToColour = qRgb(160, 170, 126);

// The texts the widgets show.
inline constexpr char kScaleText[] = "shown at %1:%2";
inline constexpr char kCutOff[] = "Cut off: %1.";
inline constexpr char kWider[] = "wider than the %1-pixel screen";
inline constexpr char kTaller[] = "taller than the %1-pixel screen";
inline constexpr char kPastEdgeOne[] = "1 pixel past the %1 edge";
inline constexpr char kPastEdgeMany[] = "%1 pixels past the %2 edge";

// Zooms the screen preview takes; the widget starts at kDefaultZoom.
inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 16;
inline constexpr int kDefaultZoom = 2;
inline constexpr int kMinWidgetZoom = 2;

// How a picture is shown in a box: `up` screen pixels per sprite pixel, or
// one shown pixel per `down` × `down` block of sprite pixels. At most one of
// them is above 1.
struct Scale {
    int up = 1;
    int down = 1;
    friend bool operator==(const Scale&, const Scale&) = default;
};

// The largest whole enlargement that fits the picture into the box, at least
// 1:1; a picture larger than the box is shrunk by the smallest whole divisor
// that fits it. An empty picture or an empty box gives 1:1.
Scale scaleFor(QSize picture, QSize box);
// The picture's size once scaled: up times it, or ceil(side / down).
QSize scaledSize(QSize picture, Scale scale);
// "shown at 4:1", "shown at 1:1", "shown at 1:3".
QString scaleText(Scale scale);

// The sprite as it will be packed, scaled: set pixels kSetColour, clear ones
// kClearColour, and clear pixels that `marked` flags (the picture had them
// dark) kMarkedColour. When shrinking, a shown pixel takes the darkest of its
// block (set, then marked, then clear), so no thin line vanishes from view.
// `marked` is empty (nothing flagged) or exactly the sprite's size, otherwise
// std::invalid_argument. An empty sprite gives a null image.
QImage renderSprite(const palvorn::Sprite& sprite, const palvorn::Sprite& marked = {}, Scale scale = {});

// The whole picture box: kBoxColour, with the sprite scaled by scaleFor(box)
// centred in it (left/top take the odd pixel). Same rules on `marked`.
// With grid, at an enlargement of kGridZoom or more, the top row and left
// column of each sprite pixel's square are gridColour() of its colour.
// An empty box gives a null image.
QImage renderBox(const palvorn::Sprite& sprite, const palvorn::Sprite& marked, QSize box, bool grid = false);

// Draws again the sprite pixels `part` of a box that renderBox drew (same
// size, same grid) for a sprite of this one's size, from sprite and marked:
// the box then is what renderBox gives for them, where only those pixels
// changed. Returns the rectangle of the box drawn again. Draws nothing and
// returns an empty rectangle when the picture is shrunk in the box (a shown
// pixel stands for several: draw the box whole). Same rules on `marked`.
QRect redrawBoxPart(QImage& box, const palvorn::Sprite& sprite, const palvorn::Sprite& marked,
                    const palvorn::PixelRect& part, bool grid = false);

// The enlargement from which the editing box shows a grid.
inline constexpr int kGridZoom = 8;
// A shown colour a sixth of the way to mid grey: a faint line on any pixel.
constexpr QRgb gridColour(QRgb colour)
{
    const auto toGrey = [](int c) { return c + (128 - c) / 6; };
    return qRgb(toGrey(qRed(colour)), toGrey(qGreen(colour)), toGrey(qBlue(colour)));
}

// The 96 × 64 screen scaled by zoom (kMinZoom..kMaxZoom, else
// std::invalid_argument): kScreenColour, the shown sprite's set pixels in
// kScreenInk with its top left at the normal sprite's (RobotX, RobotY), and
// the outline of the shown sprite's box at (RobotTo, RobotY) in
// kRobotToColour wherever no set pixel is. Whatever falls off the screen is
// cut off. While the normal sprite is empty, the shown sprite is placed as
// if it were the normal one.
QImage renderScreen(const palvorn::Sprite& shown, const palvorn::Sprite& normal, int zoom);

// A whole screen (96 × 64, else std::invalid_argument), a battle sketch
// frame, scaled by zoom as renderScreen is: kScreenColour with its set
// pixels in kScreenInk.
QImage renderFrame(const palvorn::Sprite& screen, int zoom);

// What renderScreen cut off of the shown sprite, e.g. "Cut off: wider than
// the 96-pixel screen." or "Cut off: 4 pixels past the bottom edge."; empty
// when the sprite fits (or there is none).
QString screenNote(const palvorn::Sprite& shown, const palvorn::Sprite& normal);

// The five poses for the Sprites window, all at one scale: the one at which
// the widest and the tallest pose fit the box (scaleFor of their largest
// width and height), so a larger pose never looks smaller. An empty sprite
// gives a null image.
std::array<QImage, palvorn::kPoses> renderPoses(const std::array<palvorn::Sprite, palvorn::kPoses>& sprites,
                                                QSize box);

}  // namespace render
