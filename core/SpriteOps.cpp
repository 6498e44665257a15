#include "SpriteOps.h"

#include <algorithm>
#include <bit>
#include <vector>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace palvorn {

namespace {

// Eight pixels of a row `width` wide from pixel x on, as one byte, first
// pixel in the top bit; pixels from width on read clear. The row's padding
// is clear, as a sprite keeps it. Whole bytes at a time keep a step on a
// 4096 × 4096 sprite to a few milliseconds.
std::uint8_t byteAt(const std::uint8_t* row, int width, int x)
{
    if (x >= width)
        return 0;
    const int b = x >> 3, s = x & 7;
    unsigned v = unsigned(row[b]) << s;
    if (s != 0 && (b + 1) * 8 < width)
        v |= row[b + 1] >> (8 - s);
    if (x + 8 > width)
        v &= 0xFFu << (x + 8 - width);
    return static_cast<std::uint8_t>(v);
}

// A sprite w × h whose row y is made by fill(y, out row).
template <class Fill>
Sprite rowWise(int width, int height, Fill fill)
{
    const std::size_t perRow = std::size_t(palvorn::bytesPerRow(width));
    PackedRows rows(perRow * std::size_t(height));
    for (int y = 0; y < height; ++y)
        fill(y, rows.data() + std::size_t(y) * perRow);
    return Sprite(width, height, std::move(rows));  // clears the padding
}

std::uint8_t reversedBits(std::uint8_t b)
{
    b = static_cast<std::uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<std::uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<std::uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

}  // namespace

Sprite resized(const Sprite& sprite, int width, int height)
{
    const int keep = std::min(sprite.bytesPerRow(), palvorn::bytesPerRow(width));
    return rowWise(width, height, [&](int y, std::uint8_t* out) {
        if (y < sprite.height())
            std::copy_n(sprite.row(y), keep, out);  // the old padding is clear, the rest clear
    });
}

Sprite cropped(const Sprite& sprite, const PixelRect& rect)
{
    if (rect.left < 0 || rect.top < 0 || rect.width < 0 || rect.height < 0 ||
        rect.left > sprite.width() - rect.width || rect.top > sprite.height() - rect.height)
        throw std::out_of_range("part (" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ") " +
                                std::to_string(rect.width) + " x " + std::to_string(rect.height) +
                                " is outside the sprite");
    return rowWise(rect.width, rect.height, [&](int y, std::uint8_t* out) {
        const std::uint8_t* row = sprite.row(y + rect.top);
        for (int i = 0; i * 8 < rect.width; ++i)
            out[i] = byteAt(row, sprite.width(), rect.left + i * 8);
    });
}

PixelRect setBounds(const Sprite& sprite)
{
    int left = sprite.width(), right = -1, top = sprite.height(), bottom = -1;
    const int perRow = sprite.bytesPerRow();
    for (int y = 0; y < sprite.height(); ++y) {
        const std::uint8_t* row = sprite.row(y);
        const std::uint8_t* first = std::find_if(row, row + perRow, [](std::uint8_t b) { return b != 0; });
        if (first == row + perRow)
            continue;
        const std::uint8_t* last = row + perRow - 1;
        while (*last == 0)
            --last;
        top = std::min(top, y);
        bottom = y;
        left = std::min(left, int(first - row) * 8 + std::countl_zero(*first));
        right = std::max(right, int(last - row) * 8 + 7 - std::countr_zero(*last));
    }
    if (bottom < 0)
        return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

Sprite flippedLeftRight(const Sprite& sprite)
{
    // Each row's bytes reversed, bit by bit, then moved left by the padding.
    const int perRow = sprite.bytesPerRow(), padded = perRow * 8, pad = padded - sprite.width();
    std::vector<std::uint8_t> reversed(std::size_t(perRow) + 1);
    return rowWise(sprite.width(), sprite.height(), [&](int y, std::uint8_t* out) {
        const std::uint8_t* row = sprite.row(y);
        for (int i = 0; i < perRow; ++i)
            reversed[std::size_t(i)] = reversedBits(row[perRow - 1 - i]);
        for (int i = 0; i < perRow; ++i)
            out[i] = byteAt(reversed.data(), padded, pad + i * 8);
    });
}

Sprite flippedTopBottom(const Sprite& sprite)
{
    const int h = sprite.height();
    return rowWise(sprite.width(), h, [&](int y, std::uint8_t* out) {
        std::copy_n(sprite.row(h - 1 - y), sprite.bytesPerRow(), out);
    });
}

Sprite inverted(const Sprite& sprite)
{
    PackedRows rows(static_cast<std::size_t>(sprite.packedSize()));
    for (int y = 0; y < sprite.height(); ++y)
        for (int i = 0; i < sprite.bytesPerRow(); ++i)
            rows[std::size_t(y) * std::size_t(sprite.bytesPerRow()) + std::size_t(i)] =
                static_cast<std::uint8_t>(~sprite.row(y)[i]);
    return Sprite(sprite.width(), sprite.height(), std::move(rows));  // clears the padding again
}

Sprite shifted(const Sprite& sprite, int dx, int dy)
{
    const int w = sprite.width(), h = sprite.height();
    if (w == 0 || h == 0)
        return sprite;
    // The remainder first: negating INT_MIN itself would overflow.
    const int sx = (w - dx % w) % w, sy = (h - dy % h) % h;
    // Pixel x of a row is the source's x + sx, wrapping round at the right.
    return rowWise(w, h, [&](int y, std::uint8_t* out) {
        const std::uint8_t* row = sprite.row((y + sy) % h);
        for (int i = 0; i * 8 < w; ++i) {
            const int x = (i * 8 + sx) % w;
            std::uint8_t v = byteAt(row, w, x);
            if (x + 8 > w)
                v = static_cast<std::uint8_t>(v | byteAt(row, w, 0) >> (w - x));
            out[i] = v;
        }
    });
}

void drawLine(Sprite& sprite, int x0, int y0, int x1, int y1, bool set)
{
    // Bresenham: each step moves one pixel, so a fast stroke leaves no gap.
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        if (x0 >= 0 && y0 >= 0 && x0 < sprite.width() && y0 < sprite.height())
            sprite.setPixel(x0, y0, set);
        if (x0 == x1 && y0 == y1)
            break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y0 += stepY;
        }
    }
}

}  // namespace palvorn
