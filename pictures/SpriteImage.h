#pragma once
// Turns a decoded picture into a sprite by the one pixel rule of the tool.

#include <QImage>

#include "Sprite.h"

// A pixel is set exactly when it is pure black (red, green, blue all 0) and,
// for a picture with alpha, fully opaque: the picture is judged as it looks on
// white, so a transparent pixel is clear whatever colour it stores.
palvorn::Sprite spriteFromImage(const QImage& image);
