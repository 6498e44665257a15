// WebP through libwebp: lossy and lossless, with or without alpha. The size
// comes from the header, checked before any pixel memory is taken; libwebp
// then decodes the whole picture into one RGBA buffer, packed row by row.
// An animated WebP is refused by name.

#include <webp/decode.h>

#include <memory>
#include <vector>

#include "Decoders.h"

namespace pictures {
namespace {

using Kind = PictureError::Kind;

// The largest file read: a lossless 4096 × 4096 picture of noise, with room.
constexpr qint64 kMaxWebpBytes = kMaxPicturePixels * 4 + (qint64(1) << 20);

}  // namespace

TakenPicture decodeWebp(ByteSource& source)
{
    if (source.size() > kMaxWebpBytes)
        fail(Kind::Unsupported, QStringLiteral("a WebP picture of more than %1 MB").arg(kMaxWebpBytes >> 20));
    std::vector<std::uint8_t> copy;
    const std::uint8_t* data = source.view(0, source.size());
    if (!data) {
        copy.resize(std::size_t(source.size()));
        if (!source.readAt(0, copy.data(), source.size()))
            damaged();
        data = copy.data();
    }
    const auto size = std::size_t(source.size());

    WebPBitstreamFeatures features{};
    switch (WebPGetFeatures(data, size, &features)) {
    case VP8_STATUS_OK:
        break;
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        fail(Kind::Unsupported, QStringLiteral("a kind of WebP picture"));
    default:
        damaged();
    }
    if (features.has_animation)
        fail(Kind::Unsupported, QStringLiteral("an animated WebP picture"));
    checkBound(features.width, features.height);

    const int width = features.width;
    const int height = features.height;
    const std::size_t stride = std::size_t(width) * 4;
    std::vector<std::uint8_t> pixels(stride * std::size_t(height));
    if (!WebPDecodeRGBAInto(data, size, pixels.data(), pixels.size(), int(stride)))
        damaged();  // cut short, or inconsistent
    // The file's bytes are done with before the kept picture is taken.
    std::vector<std::uint8_t>().swap(copy);
    Canvas canvas(width, height, Canvas::Rows::AllWritten);
    canvas.startAtThreshold("WebP");
    for (int y = 0; y < height; ++y)
        canvas.packRgba(y, pixels.data() + stride * std::size_t(y));
    return canvas.finish();
}

}  // namespace pictures
