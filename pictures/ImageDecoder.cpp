// A picture Qt already decoded (the clipboard's, a dropped image): rows read
// in place when stored as 32-bit ARGB, otherwise converted a strip of rows
// at a time, so a large picture is never copied whole. Pictures with more
// than 8 bits a channel are judged at 16 bits.

#include <QColor>

#include <algorithm>
#include <cstring>

#include "Decoders.h"

namespace pictures {

TakenPicture decodeImage(const QImage& image)
{
    if (image.isNull())
        fail(PictureError::Kind::NotAPicture);
    checkBound(image.width(), image.height());
    const int width = image.width();
    const int height = image.height();
    Canvas canvas(width, height);

    const bool deep = judgedAt16Bits(image);
    const QImage::Format target = deep ? QImage::Format_RGBA64 : QImage::Format_ARGB32;
    const bool inPlace = image.format() == target || (!deep && image.format() == QImage::Format_RGB32);
    constexpr int kStrip = 64;

    for (int first = 0; first < height; first += kStrip) {
        const int rows = std::min(kStrip, height - first);
        const QImage strip = inPlace ? QImage() : image.copy(0, first, width, rows).convertToFormat(target);
        for (int r = 0; r < rows; ++r) {
            const uchar* line = inPlace ? image.constScanLine(first + r) : strip.constScanLine(r);
            if (deep) {
                const auto* px = reinterpret_cast<const QRgba64*>(line);
                canvas.packRow(first + r, [&](int x) {
                    const QRgba64 c = px[x];
                    return level16(c.red(), c.green(), c.blue(), c.alpha());
                });
            } else {
                const auto* px = reinterpret_cast<const QRgb*>(line);
                canvas.packRow(first + r, [&](int x) {
                    const QRgb c = px[x];
                    return level8(unsigned(qRed(c)), unsigned(qGreen(c)), unsigned(qBlue(c)), unsigned(qAlpha(c)));
                });
            }
        }
    }
    return canvas.finish();
}

}  // namespace pictures
