#include "SpritePixmap.h"

#include <cstring>

QImage spriteImage(const palvorn::Sprite& sprite)
{
    if (sprite.isEmpty())
        return {};
    // A one-bit image stores rows exactly as the sprite packs them.
    QImage image(sprite.width(), sprite.height(), QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < sprite.height(); ++y)
        std::memcpy(image.scanLine(y), sprite.row(y), static_cast<std::size_t>(sprite.bytesPerRow()));
    return image;
}
