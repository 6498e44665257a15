#include "SpriteOps.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace palvorn {

namespace {

// A sprite w × h whose pixel (x, y) is source's pixel at from(x, y).
template <class From>
Sprite remapped(const Sprite& source, int width, int height, From from)
{
    Sprite out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto [sx, sy] = from(x, y);
            if (source.pixel(sx, sy))
                out.setPixel(x, y, true);
        }
    return out;
}

struct Point {
    int x;
    int y;
};

}  // namespace

Sprite resized(const Sprite& sprite, int width, int height)
{
    return remapped(sprite, width, height, [](int x, int y) { return Point{x, y}; });
}

Sprite cropped(const Sprite& sprite, const PixelRect& rect)
{
    if (rect.left < 0 || rect.top < 0 || rect.width < 0 || rect.height < 0 ||
        rect.left > sprite.width() - rect.width || rect.top > sprite.height() - rect.height)
        throw std::out_of_range("part (" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ") " +
                                std::to_string(rect.width) + " x " + std::to_string(rect.height) +
                                " is outside the sprite");
    return remapped(sprite, rect.width, rect.height,
                    [&rect](int x, int y) { return Point{x + rect.left, y + rect.top}; });
}

PixelRect setBounds(const Sprite& sprite)
{
    int left = sprite.width(), right = -1, top = sprite.height(), bottom = -1;
    for (int y = 0; y < sprite.height(); ++y) {
        const std::uint8_t* row = sprite.row(y);
        for (int i = 0; i < sprite.bytesPerRow(); ++i) {
            if (row[i] == 0)
                continue;
            top = std::min(top, y);
            bottom = y;
            for (int x = i * 8; x < i * 8 + 8 && x < sprite.width(); ++x)
                if (rowPixel(row, x)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        }
    }
    if (bottom < 0)
        return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

Sprite flippedLeftRight(const Sprite& sprite)
{
    const int w = sprite.width();
    return remapped(sprite, w, sprite.height(), [w](int x, int y) { return Point{w - 1 - x, y}; });
}

Sprite flippedTopBottom(const Sprite& sprite)
{
    const int h = sprite.height();
    return remapped(sprite, sprite.width(), h, [h](int x, int y) { return Point{x, h - 1 - y}; });
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
    return remapped(sprite, w, h, [=](int x, int y) { return Point{(x + sx) % w, (y + sy) % h}; });
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
