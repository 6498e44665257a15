#include "Canvas.h"

#include <algorithm>
#include <cstring>

namespace pictures {

void fail(PictureError::Kind kind, const QString& detail)
{
    throw Failure{kind, 0, 0, detail};
}

void checkBound(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        damaged();
    if (width > palvorn::Sprite::kMaxSide || height > palvorn::Sprite::kMaxSide ||
        width * height > kMaxPicturePixels)
        throw Failure{PictureError::Kind::TooLarge, width, height, {}};
}

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      perRow_(palvorn::bytesPerRow(width)),
      set_(std::size_t(perRow_) * std::size_t(height)),
      mark_(std::size_t(perRow_) * std::size_t(height))
{
}

bool Canvas::putLooks(int y, int x0, int dx, const std::uint8_t* looks, int n)
{
    std::uint8_t* s = setRow(y);
    std::uint8_t* m = markRow(y);
    unsigned bad = 0;
    for (int i = 0, x = x0; i < n && x < width_; ++i, x += dx) {
        const unsigned look = looks[i];
        bad |= look == Invalid;
        const auto bit = std::uint8_t(0x80u >> (x & 7));
        s[x >> 3] = std::uint8_t(look == Set ? s[x >> 3] | bit : s[x >> 3] & ~bit);
        m[x >> 3] = std::uint8_t(look == Marked ? m[x >> 3] | bit : m[x >> 3] & ~bit);
    }
    return bad == 0;
}

void Canvas::clearRows(int from, int to)
{
    if (from >= to)
        return;
    const std::size_t begin = std::size_t(from) * std::size_t(perRow_);
    const std::size_t count = std::size_t(to - from) * std::size_t(perRow_);
    std::memset(set_.data() + begin, 0, count);
    std::memset(mark_.data() + begin, 0, count);
}

namespace {

// Sprite offers pixels one at a time; a fresh sprite is all clear, so only
// the set bits are written, a whole zero byte skipped at once.
palvorn::Sprite toSprite(int width, int height, int perRow, const std::vector<std::uint8_t>& bits)
{
    palvorn::Sprite sprite(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = bits.data() + std::size_t(y) * std::size_t(perRow);
        for (int i = 0; i < perRow; ++i) {
            for (unsigned byte = row[i]; byte != 0; byte &= byte - 1) {
                sprite.setPixel(i * 8 + 7 - __builtin_ctz(byte), y, true);  // lowest set bit
            }
        }
    }
    return sprite;
}

}  // namespace

TakenPicture Canvas::finish() const
{
    return {toSprite(width_, height_, perRow_, set_), toSprite(width_, height_, perRow_, mark_)};
}

}  // namespace pictures
