#include "PictureLoader.h"

#include <cstring>

QImage loadPicture(const QString& fileName)
{
    TakenPicture taken;
    try {
        taken = takePictureFile(fileName);
    } catch (const PictureError&) {
        return {};
    }
    const palvorn::Sprite& sprite = taken.sprite;
    QImage image(sprite.width(), sprite.height(), QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    // Format_Mono stores its rows as the sprite packs them: leftmost pixel
    // in the highest bit, 1 for colour 1 (black).
    for (int y = 0; y < sprite.height(); ++y)
        std::memcpy(image.scanLine(y), sprite.row(y), size_t(sprite.bytesPerRow()));
    return image;
}
