#pragma once
// A packed sprite as a picture: set pixels black, clear pixels white.

#include <QImage>
#include <QPixmap>

#include "Sprite.h"

QImage spriteImage(const palvorn::Sprite& sprite);
inline QPixmap spritePixmap(const palvorn::Sprite& sprite)
{
    return sprite.isEmpty() ? QPixmap() : QPixmap::fromImage(spriteImage(sprite));
}
