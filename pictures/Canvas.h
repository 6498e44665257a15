#pragma once
// Inside the picture decoders: the pixel rule per colour, and the two packed
// bit planes a decode writes into, row by row.

#include <QtGlobal>

#include <cstdint>
#include <vector>

#include "Failure.h"
#include "TakePicture.h"

namespace pictures {

// How one pixel comes out. Invalid: a palette index past its palette.
enum Look : std::uint8_t { Clear = 0, Set = 1, Marked = 2, Invalid = 3 };

// The pixel rule on 8-bit channels (alpha 255 is opaque). Branch-free: it
// runs once a pixel.
constexpr Look look8(unsigned r, unsigned g, unsigned b, unsigned a)
{
    const unsigned set = unsigned(a == 255) & unsigned((r | g | b) == 0);
    // 0.299 R + 0.587 G + 0.114 B < 63.75, in integers; never for alpha 0.
    const unsigned dark = unsigned(a != 0) & unsigned(299 * r + 587 * g + 114 * b < 63750);
    return Look(set | (dark & ~set) << 1);
}

// The same on 16-bit channels (alpha 65535 is opaque): a 16-bit picture is
// judged at its own precision, so 1/65535 is not black.
constexpr Look look16(unsigned r, unsigned g, unsigned b, unsigned a)
{
    const unsigned set = unsigned(a == 65535) & unsigned((r | g | b) == 0);
    const unsigned dark = unsigned(a != 0) & unsigned(299u * r + 587u * g + 114u * b < 16383750u);
    return Look(set | (dark & ~set) << 1);
}

// Throws TooLarge unless width × height is a picture that may be taken.
void checkBound(qint64 width, qint64 height);

// The sprite and the marks being written, as packed rows (leftmost pixel in
// the highest bit), all clear to begin with.
class Canvas {
public:
    Canvas(int width, int height);  // within the bound (checkBound first)

    int width() const { return width_; }
    int height() const { return height_; }

    // Row y from `lookAt(x)` for x in 0..width-1, in two passes over the
    // whole row: the looks into a row of bytes (a plain loop the compiler
    // vectorises for the simple lookAts), then eight looks to a byte.
    // False if any pixel was Invalid (the caller refuses the picture).
    template <class LookAt>
    bool packRow(int y, LookAt lookAt)
    {
        std::uint8_t* looks = looks_.data();
        for (int x = 0; x < width_; ++x)
            looks[x] = std::uint8_t(lookAt(x));
        return packLooks(y);
    }

    // Row y from 24-bit pixels stored blue, green, red (a bitmap's order).
    void packBgr(int y, const std::uint8_t* pixels);
    // Row y from 32-bit pixels stored blue, green, red, alpha; without
    // useAlpha every pixel counts as opaque.
    void packBgra(int y, const std::uint8_t* pixels, bool useAlpha);
    // Row y from 8-bit red, green, blue, alpha pixels (a decoded PNG's).
    void packRgba(int y, const std::uint8_t* pixels);

    // n looks for pixels x0, x0 + dx, x0 + 2 dx, ... of row y; pixels past
    // the right edge are dropped. For interlaced rows and offset frames.
    // Returns false if any was Invalid.
    bool putLooks(int y, int x0, int dx, const std::uint8_t* looks, int n);

    // Rows from..to-1 all clear again.
    void clearRows(int from, int to);

    // The sprite and the marks; the canvas is spent.
    TakenPicture finish();

private:
    // Packs looks_ (width_ looks, then clear up to a whole byte) into row y.
    bool packLooks(int y);

    std::uint8_t* setRow(int y) { return set_.data() + std::size_t(y) * std::size_t(perRow_); }
    std::uint8_t* markRow(int y) { return mark_.data() + std::size_t(y) * std::size_t(perRow_); }

    int width_;
    int height_;
    int perRow_;
    palvorn::PackedRows set_;
    palvorn::PackedRows mark_;
    std::vector<std::uint8_t> looks_;  // one row's looks, a byte a pixel
};

}  // namespace pictures
