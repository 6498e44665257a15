#include "Canvas.h"

#include <algorithm>
#include <utility>
#include <cstring>

namespace pictures {

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
      mark_(std::size_t(perRow_) * std::size_t(height)),
      looks_(std::size_t(perRow_) * 8, Clear)
{
}

namespace {

// The channel loops below are plain loops over a whole row, which the
// compiler vectorises; reading every third or fourth byte needs byte
// shuffles that the x86-64 baseline lacks, so there an AVX2 copy is made
// beside the baseline one and the processor picks at load time (an ELF
// feature: Windows executables have no such load-time choice).
#if defined(__x86_64__) && defined(__GNUC__) && defined(__ELF__)
#define PALVORN_ROW_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define PALVORN_ROW_LOOP
#endif

// The looks of n pixels of one channel order into out, a byte each.
PALVORN_ROW_LOOP void looksBgr(const std::uint8_t* __restrict p, std::uint8_t* __restrict out, int n)
{
    for (int x = 0; x < n; ++x)
        out[x] = look8(p[3 * x + 2], p[3 * x + 1], p[3 * x], 255);
}

PALVORN_ROW_LOOP void looksBgra(const std::uint8_t* __restrict p, std::uint8_t* __restrict out, int n,
                                unsigned opaque)
{
    for (int x = 0; x < n; ++x)
        out[x] = look8(p[4 * x + 2], p[4 * x + 1], p[4 * x], p[4 * x + 3] | opaque);
}

PALVORN_ROW_LOOP void looksRgba(const std::uint8_t* __restrict p, std::uint8_t* __restrict out, int n)
{
    for (int x = 0; x < n; ++x)
        out[x] = look8(p[4 * x], p[4 * x + 1], p[4 * x + 2], p[4 * x + 3]);
}

}  // namespace

void Canvas::packBgr(int y, const std::uint8_t* pixels)
{
    looksBgr(pixels, looks_.data(), width_);
    packLooks(y);
}

void Canvas::packBgra(int y, const std::uint8_t* pixels, bool useAlpha)
{
    looksBgra(pixels, looks_.data(), width_, useAlpha ? 0u : 255u);
    packLooks(y);
}

void Canvas::packRgba(int y, const std::uint8_t* pixels)
{
    looksRgba(pixels, looks_.data(), width_);
    packLooks(y);
}

bool Canvas::packLooks(int y)
{
    std::uint8_t* s = setRow(y);
    std::uint8_t* m = markRow(y);
    // The bytes past the last pixel were set Clear once and are never written.
    const std::uint8_t* looks = looks_.data();
    unsigned bad = 0;
    for (int i = 0; i < perRow_; ++i) {
        const unsigned sb = palvorn::packedByte(looks + 8 * i, 0);
        const unsigned mb = palvorn::packedByte(looks + 8 * i, 1);
        // Invalid has both bits; it is in neither plane.
        s[i] = std::uint8_t(sb & ~mb);
        m[i] = std::uint8_t(mb & ~sb);
        bad |= sb & mb;
    }
    return bad == 0;
}

bool Canvas::putLooks(int y, int x0, int dx, const std::uint8_t* looks, int n)
{
    std::uint8_t* s = setRow(y);
    std::uint8_t* m = markRow(y);
    unsigned bad = 0;
    for (int i = 0, x = x0; i < n && x < width_; ++i, x += dx) {
        const unsigned look = looks[i];
        bad |= look == Invalid;
        const std::uint8_t bit = palvorn::pixelBit(x);
        const int at = palvorn::byteOf(x);
        s[at] = std::uint8_t(look == Set ? s[at] | bit : s[at] & ~bit);
        m[at] = std::uint8_t(look == Marked ? m[at] | bit : m[at] & ~bit);
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

TakenPicture Canvas::finish()
{
    return {palvorn::Sprite(width_, height_, std::move(set_)), palvorn::Sprite(width_, height_, std::move(mark_)), nullptr};
}

}  // namespace pictures
