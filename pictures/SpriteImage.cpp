#include "SpriteImage.h"

#include "TakePicture.h"

palvorn::Sprite spriteFromImage(const QImage& image)
{
    try {
        return takeImage(image).sprite;
    } catch (const PictureError&) {
        return {};
    }
}
