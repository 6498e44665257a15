#pragma once
// Inside the picture decoders: the pixel rule per colour, and the two packed
// bit planes a decode writes into, row by row. Not for the windows.

#include <QtGlobal>

#include <cstdint>
#include <vector>

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

// Why a decoder stopped; turned into a PictureError naming the file by the
// caller. width and height only for TooLarge.
struct Failure {
    PictureError::Kind kind;
    qint64 width = 0;
    qint64 height = 0;
    QString detail;  // Unreadable: the system's reason; Unsupported: what kind
};

[[noreturn]] void fail(PictureError::Kind kind, const QString& detail = {});
[[noreturn]] inline void damaged() { fail(PictureError::Kind::Damaged); }

// Throws TooLarge unless width × height is a picture that may be taken.
void checkBound(qint64 width, qint64 height);

// The sprite and the marks being written, as packed rows (leftmost pixel in
// the highest bit), all clear to begin with.
class Canvas {
public:
    Canvas(int width, int height);  // within the bound (checkBound first)

    int width() const { return width_; }
    int height() const { return height_; }

    // Row y from `lookAt(x)` for x in 0..width-1, eight pixels a byte.
    // False if any pixel was Invalid (the caller refuses the picture).
    template <class LookAt>
    bool packRow(int y, LookAt lookAt)
    {
        std::uint8_t* s = setRow(y);
        std::uint8_t* m = markRow(y);
        unsigned bad = 0;
        const auto pack = [&](int x, int count, int byte) {
            unsigned sb = 0;
            unsigned mb = 0;
            for (int k = 0; k < count; ++k) {
                const unsigned look = lookAt(x + k);
                sb = sb << 1 | (look & 1u);
                mb = mb << 1 | (look >> 1);
                bad |= unsigned(look == Invalid);
            }
            // Invalid has both bits; it is in neither plane.
            s[byte] = std::uint8_t((sb & ~mb) << (8 - count));
            m[byte] = std::uint8_t((mb & ~sb) << (8 - count));
        };
        const int whole = width_ / 8;
        for (int byte = 0; byte < whole; ++byte)
            pack(byte * 8, 8, byte);  // a fixed count: unrolled
        if (width_ % 8)
            pack(whole * 8, width_ % 8, whole);
        return bad == 0;
    }

    // n looks for pixels x0, x0 + dx, x0 + 2 dx, ... of row y; pixels past
    // the right edge are dropped. For interlaced rows and offset frames.
    // Returns false if any was Invalid.
    bool putLooks(int y, int x0, int dx, const std::uint8_t* looks, int n);

    // Rows from..to-1 all clear again.
    void clearRows(int from, int to);

    TakenPicture finish() const;

private:
    std::uint8_t* setRow(int y) { return set_.data() + std::size_t(y) * std::size_t(perRow_); }
    std::uint8_t* markRow(int y) { return mark_.data() + std::size_t(y) * std::size_t(perRow_); }

    int width_;
    int height_;
    int perRow_;
    std::vector<std::uint8_t> set_;
    std::vector<std::uint8_t> mark_;
};

}  // namespace pictures
