#pragma once
// Old entry, kept only until the windows take pictures through
// TakePicture.h; it will be removed.

#include <QImage>

#include "Sprite.h"

// takeImage(image).sprite; the empty sprite for a null image or one
// takeImage refuses (over the size bound).
palvorn::Sprite spriteFromImage(const QImage& image);
