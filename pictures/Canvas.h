#pragma once
// Inside the picture decoders: the level of a pixel per colour, and the
// picture and the two packed bit planes a decode writes into, row by row.

#include <QtGlobal>

#include <cstdint>
#include <thread>
#include <vector>

#include "Failure.h"
#include "TakePicture.h"

namespace pictures {

// A pixel as the conversions see it (palvorn::GreyPicture's levels), or
// kInvalid: a palette index past its palette.
using Level = std::uint16_t;
inline constexpr Level kInvalid = 0xFFFB;

// The level of a pixel from 8-bit channels (alpha 255 is opaque).
constexpr Level level8(unsigned r, unsigned g, unsigned b, unsigned a) { return palvorn::greyLevel8(r, g, b, a); }
// The same from 16-bit channels (alpha 65535 is opaque): a 16-bit picture
// is judged at its own precision, so 1/65535 is not black.
constexpr Level level16(unsigned r, unsigned g, unsigned b, unsigned a) { return palvorn::greyLevel16(r, g, b, a); }

// Throws TooLarge unless width × height is a picture that may be taken.
void checkBound(qint64 width, qint64 height);

// The note of a picture that starts at Threshold (kThresholdNote, or for a
// JPEG or WebP with pure black in it, kLossyThresholdNote naming it).
QString thresholdNote(const char* lossyFormat, bool anyPureBlack);

struct ChannelWeights;  // OpaqueRow.h

// The picture being written, as levels, and from them its Exact black
// sprite and marks as packed rows (leftmost pixel in the highest bit), row
// by row while the row is still in the cache. All transparent to begin with.
class Canvas {
public:
    // Whether the decoder packs every row, once each, or throws (its levels
    // then need no clearing first), or may leave rows or pixels unwritten.
    enum class Rows { MayBeLeft, AllWritten };

    // Within the bound (checkBound first).
    Canvas(int width, int height, Rows rows = Rows::MayBeLeft);

    // Before any row: the sprite and marks are packed as Threshold at the
    // default sets them, the conversion a JPEG or WebP (lossyFormat, "JPEG"
    // or "WebP") starts with, instead of Exact black's.
    void startAtThreshold(const char* lossyFormat);

    int width() const { return width_; }
    int height() const { return height_; }

    // Row y from `levelAt(x)` for x in 0..width-1. False if any pixel was
    // kInvalid (the caller refuses the picture).
    template <class LevelAt>
    bool packRow(int y, LevelAt levelAt)
    {
        Level* row = levelRow(y);
        for (int x = 0; x < width_; ++x)
            row[x] = Level(levelAt(x));
        return packLevels(y);
    }

    // Row y from 24-bit pixels stored blue, green, red (a bitmap's order).
    void packBgr(int y, const std::uint8_t* pixels);
    // Row y from 32-bit pixels stored blue, green, red, alpha; without
    // useAlpha every pixel counts as opaque.
    void packBgra(int y, const std::uint8_t* pixels, bool useAlpha);
    // Row y from 8-bit red, green, blue, alpha pixels (a decoded PNG's).
    void packRgba(int y, const std::uint8_t* pixels);
    // Row y from 8-bit red, green, blue pixels (a decoded JPEG's).
    void packRgb(int y, const std::uint8_t* pixels);
    // Row y from 8-bit grey pixels.
    void packGrey(int y, const std::uint8_t* pixels);

    // n levels for pixels x0, x0 + dx, x0 + 2 dx, ... of row y; pixels past
    // the right edge are dropped. For interlaced rows and offset frames.
    // Returns false if any of the row was kInvalid.
    bool putLevels(int y, int x0, int dx, const Level* levels, int n);

    // Rows from..to-1 all transparent again.
    void clearRows(int from, int to);

    // The sprite, the marks, the picture kept, and the conversion they are
    // of (with its note); the canvas is spent.
    TakenPicture finish();

private:
    // Packs row y's levels into its set and marked bits.
    bool packLevels(int y);
    // Row y from opaque three-channel pixels weighted so.
    void packOpaque(int y, const std::uint8_t* pixels, ChannelWeights weights);
    // When every row will be written: a large picture's levels are fresh
    // memory, which the kernel would clear a page at a time as the decoder
    // first writes it; prefault_ has them cleared meanwhile instead.
    void prefaultLevels();

    Level* levelRow(int y) { return levels_.data() + std::size_t(y) * std::size_t(width_); }
    std::uint8_t* setRow(int y) { return set_.data() + std::size_t(y) * std::size_t(perRow_); }
    std::uint8_t* markRow(int y) { return mark_.data() + std::size_t(y) * std::size_t(perRow_); }

    Rows rows_;
    int width_;
    int height_;
    int perRow_;
    palvorn::GreyPicture::Levels levels_;
    palvorn::PackedRows set_;
    palvorn::PackedRows mark_;
    std::vector<std::uint8_t> looks_;  // one row's set (bit 0) and marked (bit 1) flags, a byte a pixel
    const char* lossyFormat_ = nullptr;  // packed at Threshold when not null
    bool anyPureBlack_ = false;
    int rowsPacked_ = 0;  // by the pack functions, a row each call
    bool noLevelSeen_ = false;  // a number that is no level was packed
    // Clears the fresh memory of a large picture's levels ahead of the rows,
    // on another core; joined before the levels are handed on or freed.
    std::jthread prefault_;
};

}  // namespace pictures
