// The picture kept beside its sprite for the conversions. The decoders pack
// straight into bits and never hold the colours, so a picture small enough
// to keep is read a second time by Qt's own reader, and kept only when its
// Exact black conversion is what the decoder gave: the decoder's sprite
// always wins, and a picture the two read differently is simply not kept.

#include <QBuffer>
#include <QImageReader>

#include "Decoders.h"

namespace pictures {

namespace {

// The levels of a picture, each pixel judged as decodeImage judges it.
std::shared_ptr<const palvorn::GreyPicture> levelsOf(const QImage& image)
{
    const int width = image.width();
    const int height = image.height();
    const bool deep = judgedAt16Bits(image);
    const QImage::Format target = deep ? QImage::Format_RGBA64 : QImage::Format_ARGB32;
    // 32-bit RGB holds alpha 255 in every pixel: read in place, as ARGB.
    const bool inPlace = image.format() == target || (!deep && image.format() == QImage::Format_RGB32);
    const QImage pixels = inPlace ? image : image.convertToFormat(target);
    if (pixels.isNull())
        return nullptr;
    std::vector<std::uint16_t> levels(std::size_t(width) * std::size_t(height));
    std::uint16_t* out = levels.data();
    for (int y = 0; y < height; ++y) {
        if (deep) {
            const auto* px = reinterpret_cast<const QRgba64*>(pixels.constScanLine(y));
            for (int x = 0; x < width; ++x)
                *out++ = palvorn::greyLevel16(px[x].red(), px[x].green(), px[x].blue(), px[x].alpha());
        } else {
            const auto* px = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
            for (int x = 0; x < width; ++x)
                *out++ = palvorn::greyLevel8(unsigned(qRed(px[x])), unsigned(qGreen(px[x])), unsigned(qBlue(px[x])),
                                             unsigned(qAlpha(px[x])));
        }
    }
    return std::make_shared<const palvorn::GreyPicture>(width, height, std::move(levels));
}

// Whether the bytes in device are a run-length coded bitmap. Qt's reader
// leaves the pixels such a bitmap skips as whatever memory held, so what it
// reads of one may differ from one read to the next: never kept.
bool runLengthBitmap(QIODevice& device)
{
    const QByteArray head = device.peek(34);
    if (head.size() < 34)
        return false;
    const auto at = [&head](int i) { return quint32(quint8(head[i])); };
    const quint32 headerSize = at(14) | at(15) << 8 | at(16) << 16 | at(17) << 24;
    const quint32 compression = at(30) | at(31) << 8 | at(32) << 16 | at(33) << 24;
    return headerSize >= 40 && (compression == 1 || compression == 2);
}

bool withinKeptBound(const palvorn::Sprite& sprite)
{
    return !sprite.isEmpty() && qint64(sprite.width()) * sprite.height() <= kMaxKeptPixels;
}

}  // namespace

void keepImage(TakenPicture& taken, const QImage& image)
{
    if (!withinKeptBound(taken.sprite) || image.width() != taken.sprite.width() ||
        image.height() != taken.sprite.height())
        return;
    auto picture = levelsOf(image);
    if (!picture)
        return;
    const palvorn::Converted exact = palvorn::convert(*picture, {});
    if (exact.sprite == taken.sprite && exact.marked == taken.marked)
        taken.picture = std::move(picture);
}

void keepRead(TakenPicture& taken, QIODevice& device, const char* format)
{
    if (!withinKeptBound(taken.sprite) || !device.seek(0) || (qstrcmp(format, "bmp") == 0 && runLengthBitmap(device)))
        return;
    QImageReader reader(&device, format);
    reader.setDecideFormatFromContent(false);
    // Nothing Qt would measure over the bound is read (a top-down bitmap's
    // height comes negative; a size Qt cannot tell is left to its own limit).
    const QSize size = reader.size();
    if (qint64(qAbs(size.width())) * qAbs(size.height()) > kMaxKeptPixels)
        return;
    const QImage image = reader.read();
    if (!image.isNull())
        keepImage(taken, image);
}

}  // namespace pictures
