#include "SavePicture.h"

#include <QBuffer>
#include <QImage>
#include <cstring>
#include <stdexcept>
#include <string>

QByteArray spritePng(const palvorn::Sprite& sprite)
{
    if (sprite.isEmpty())
        throw std::invalid_argument("an empty sprite makes no picture");
    // A mono image keeps eight pixels a byte, leftmost in the highest bit,
    // as a sprite's rows do: the rows copy over whole.
    QImage image(sprite.width(), sprite.height(), QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < sprite.height(); ++y)
        std::memcpy(image.scanLine(y), sprite.row(y), static_cast<std::size_t>(sprite.bytesPerRow()));
    return pngBytes(image, "the sprite");
}

QByteArray pngBytes(const QImage& image, const char* what)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw std::runtime_error(std::string("the PNG writer refused ") + what);
    return bytes;
}
