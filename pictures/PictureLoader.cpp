#include "PictureLoader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cstring>

#include "Sprite.h"

namespace {

// Qt decodes a bitmap into at most 4 bytes a pixel, so this many megabytes
// hold any picture within kMaxPicturePixels.
constexpr int kAllocationLimitMB = int(kMaxPicturePixels * 4 / (1024 * 1024));

// Also no side longer than a sprite can have: a 20000 × 1 strip is few
// pixels but no sprite.
bool withinBound(qint64 w, qint64 h)
{
    return w > 0 && h > 0 && w <= palvorn::Sprite::kMaxSide && h <= palvorn::Sprite::kMaxSide &&
           w * h <= kMaxPicturePixels;
}

bool withinBound(const QSize& size) { return withinBound(size.width(), size.height()); }

// Decodes from `start` into a picture whose every byte is `fill` beforehand,
// when the header told the size and format: Qt's decoder writes into a
// picture it is given if that has the size and format it needs. Null when
// the decoder fails.
QImage decode(QIODevice* device, qint64 start, QSize size, QImage::Format format, uchar fill)
{
    if (!device->seek(start))
        return {};
    QImageReader reader(device, "bmp");
    reader.setAutoDetectImageFormat(false);
    QImage image;
    if (format != QImage::Format_Invalid) {
        image = QImage(size, format);
        if (image.isNull())
            return {};
        std::memset(image.bits(), fill, size_t(image.sizeInBytes()));
    }
    if (!reader.read(&image))
        return {};
    return image;
}

// Whether every pixel of a palette picture names a colour of its palette.
// A bitmap may point past a short palette; Qt then reads past the end of
// the colour table when it compares or converts the picture.
bool paletteCovers(const QImage& image)
{
    const int colours = int(image.colorCount());
    switch (image.format()) {
    case QImage::Format_Indexed8:
        if (colours >= 256)
            return true;
        for (int y = 0; y < image.height(); ++y) {
            const uchar* line = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x)
                if (line[x] >= colours)
                    return false;
        }
        return true;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        if (colours >= 2)
            return true;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelIndex(x, y) >= colours)
                    return false;
        return true;
    default:
        return true;
    }
}

// Little-endian fields of a header; 0 past its end.
quint32 le32(const QByteArray& bytes, int at)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | (at + i < bytes.size() ? uchar(bytes.at(at + i)) : 0u);
    return value;
}

quint16 le16(const QByteArray& bytes, int at) { return quint16(le32(bytes, at) & 0xFFFFu); }

// Bytes of a device from a position on, read in bounded pieces.
class ByteStream {
public:
    explicit ByteStream(QIODevice* device) : device_(device) {}
    bool next(uchar* byte)
    {
        if (at_ == chunk_.size()) {
            chunk_ = device_->read(64 * 1024);
            at_ = 0;
            if (chunk_.isEmpty())
                return false;
        }
        *byte = uchar(chunk_[at_++]);
        return true;
    }
    bool skip(int count)
    {
        uchar byte = 0;
        while (count-- > 0)
            if (!next(&byte))
                return false;
        return true;
    }

private:
    QIODevice* device_;
    QByteArray chunk_;
    qsizetype at_ = 0;
};

// Whether a run-length stream (8 or 4 bits a pixel) goes on to its end mark
// or past its last row before the data ends.
bool runLengthComplete(ByteStream& in, qint64 height, bool fourBits)
{
    qint64 y = 0;
    uchar count = 0;
    uchar code = 0;
    while (in.next(&count) && in.next(&code)) {
        if (count > 0)
            continue;  // a run: count pixels of one colour pair
        if (code == 1)
            return true;  // end of picture
        if (code == 0) {
            if (++y >= height)
                return true;
        } else if (code == 2) {
            uchar dx = 0;
            uchar dy = 0;
            if (!in.next(&dx) || !in.next(&dy))
                return false;
            if ((y += dy) >= height)
                return true;
        } else {
            // Literal pixels, padded to a whole 16-bit word.
            const int bytes = fourBits ? (code + 1) / 2 : code;
            if (!in.skip(bytes + bytes % 2))
                return false;
        }
    }
    return false;
}

// What Qt's bitmap decoder leaves unchecked: that the pixel data starts
// within the file, and that a run-length stream is not cut short, where Qt
// fills the rows it never reached with colour 0, most often black. An
// uncompressed bitmap too short for its rows is refused here before any
// pixel memory is taken; one cut in a way this misses is caught by decoding
// twice.
bool bitmapComplete(QIODevice* device, qint64 start, const QByteArray& header)
{
    const qint64 available = device->size() - start;
    const quint32 headerSize = le32(header, 14);
    qint64 width = 0;
    qint64 height = 0;
    quint16 bitsPerPixel = 0;
    quint32 compression = 0;
    if (headerSize == 12) {  // the oldest header: 16-bit sizes, no compression
        width = qint16(le16(header, 18));
        height = qAbs(qint16(le16(header, 20)));
        bitsPerPixel = le16(header, 24);
    } else if (headerSize == 40 || headerSize == 64 || headerSize == 108 || headerSize == 124) {
        width = qint32(le32(header, 18));
        height = qAbs(qint64(qint32(le32(header, 22))));
        bitsPerPixel = le16(header, 28);
        compression = le32(header, 30);
    } else {
        // Qt would read any other size as the oldest header, from bytes
        // that mean something else.
        return false;
    }
    // Qt seeks to the palette after the header and to the pixel data; a
    // place past the end reads on from wherever the device stopped.
    const quint32 offset = le32(header, 10);
    if (14 + qint64(headerSize) >= available || offset >= available)
        return false;
    const bool rle8 = compression == 1 && bitsPerPixel == 8;
    const bool rle4 = compression == 2 && bitsPerPixel == 4;
    if (!rle8 && !rle4) {
        // Rows are padded to whole 32-bit words.
        const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
        return width > 0 && offset + rowBytes * height <= available;
    }
    if (!device->seek(start + offset))
        return false;
    ByteStream in(device);
    return runLengthComplete(in, height, rle4);
}

// A bitmap whose alpha has fewer than 8 bits (A1R5G5B5, A4R4G4B4) is decoded
// with its highest alpha short of 255 (1 bit opaque gives 128), which would
// make its opaque black pixels count as see-through. Stretch the alpha back
// so its highest value is fully opaque.
void widenShortAlpha(QImage& image, const QByteArray& header)
{
    constexpr int kBitfields = 3;
    constexpr quint32 kV4HeaderSize = 108;
    if (!image.hasAlphaChannel() || le32(header, 30) != kBitfields ||
        le32(header, 14) < kV4HeaderSize)
        return;
    quint32 mask = le32(header, 66);
    while (mask && !(mask & 1))
        mask >>= 1;
    int bits = 0;
    while (mask & 1) {
        ++bits;
        mask >>= 1;
    }
    if (mask || bits == 0 || bits >= 8)  // gaps or a full byte: nothing to widen
        return;
    image.convertTo(QImage::Format_ARGB32);
    const int top = (1 << bits) - 1;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int stored = qAlpha(line[x]) >> (8 - bits);
            line[x] = (line[x] & 0x00FFFFFFu) | (quint32(stored * 255 / top) << 24);
        }
    }
}

}  // namespace

QImage loadPicture(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return loadPicture(&file);
}

QImage loadPicture(QIODevice* device)
{
    if (!device || !device->isReadable() || device->isSequential())
        return {};
    const qint64 start = device->pos();
    const QByteArray header = device->peek(128);
    if (!header.startsWith("BM"))
        return {};

    // The header's claim is checked before any pixel memory is taken: a few
    // bytes may claim 100000 × 100000.
    QSize size;
    QImage::Format format = QImage::Format_Invalid;
    {
        QImageReader reader(device, "bmp");
        reader.setAutoDetectImageFormat(false);
        size = reader.size();
        format = reader.imageFormat();
    }
    // A bitmap stored top row first reports its height negative.
    if (!withinBound(size.width(), qAbs(qint64(size.height()))))
        return {};
    size.setHeight(qAbs(size.height()));
    if (!bitmapComplete(device, start, header))
        return {};
    // Second guard, should the decode allocate by something other than the
    // size the header reported.
    QImageReader::setAllocationLimit(kAllocationLimitMB);

    // A truncated or lying file leaves pixels the decoder never wrote, and
    // some decoders still report success: those pixels would be whatever the
    // memory held. Decoding twice over different fillings shows them.
    QImage image = decode(device, start, size, format, 0x00);
    if (image.isNull() || !withinBound(image.size()) || !paletteCovers(image))
        return {};
    const QImage again = decode(device, start, size, format, 0xFF);
    if (!paletteCovers(again) || again != image)
        return {};
    widenShortAlpha(image, header);
    return image;
}

QImage loadPictureData(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    return loadPicture(&buffer);
}
