#pragma once
// Sprites given back as pictures, for a paint program or the intake.

#include <QByteArray>
#include <QImage>

#include "Sprite.h"

// The sprite as a 1-bit PNG, set pixels black on white: taken back in, it
// gives the same sprite. Throws std::invalid_argument for an empty sprite.
QByteArray spritePng(const palvorn::Sprite& sprite);

// The image as PNG bytes. Throws std::runtime_error naming what ("the
// sprite", "the screen") when the PNG writer refuses it.
QByteArray pngBytes(const QImage& image, const char* what);
