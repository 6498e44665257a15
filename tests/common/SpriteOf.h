#pragma once
// The sprite a picture gives when it is taken in, for tests that build their
// expectations from pictures.

#include <QImage>

#include "TakePicture.h"

inline palvorn::Sprite spriteOf(const QImage& image)
{
    return takeImage(image).sprite;
}
