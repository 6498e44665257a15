#pragma once
// How a picture becomes a sprite: the picture as the conversions see it (one
// level a pixel), and the conversion choices. Plain C++.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "Sprite.h"

namespace palvorn {

// The conversions, in the order the windows list them.
enum class ConvertMode { ExactBlack, Threshold, FloydSteinberg, Atkinson, Ordered };
inline constexpr int kConvertModes = 5;

// "Exact black", "Threshold", "Floyd-Steinberg dither", "Atkinson dither",
// "Ordered dither".
std::string_view convertModeName(ConvertMode mode);
// The command line's words: "exact", "threshold", "floyd-steinberg",
// "atkinson", "ordered".
std::string_view convertModeWord(ConvertMode mode);
// The mode a command-line word names; none for any other text.
std::optional<ConvertMode> convertModeFromWord(std::string_view word);

// The threshold in percent of full brightness, and the range its slider holds.
inline constexpr int kMinThreshold = 1;
inline constexpr int kMaxThreshold = 99;
inline constexpr int kDefaultThreshold = 50;

// The scale in percent of the picture's size a pose's picture is shrunk to
// before it is converted (see Scale.h).
inline constexpr int kMinScale = 1;
inline constexpr int kMaxScale = 100;

// A conversion choice: the picture scaled to `scale` percent, then
// converted by `mode`. The threshold counts for every mode but ExactBlack.
// A pose's conversion, so undo, copying a pose and giving one conversion to
// every pose carry the scale with it.
struct Conversion {
    ConvertMode mode = ConvertMode::ExactBlack;
    int threshold = kDefaultThreshold;  // kMinThreshold..kMaxThreshold
    int scale = kMaxScale;              // kMinScale..kMaxScale

    friend bool operator==(const Conversion&, const Conversion&) = default;
};

// The allocator of a picture's levels: through allocateRows, as packed rows,
// but levels made without a value are left unset, since whoever makes them
// writes every one (a 4096 × 4096 picture's 32 MB are then written once).
template <class T>
struct LevelAllocator : RowAllocator<T> {
    template <class U>
    struct rebind {
        using other = LevelAllocator<U>;
    };
    LevelAllocator() = default;
    template <class U>
    constexpr LevelAllocator(const LevelAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// A picture as the conversions see it: one 16-bit level a pixel, row by row,
// (0, 0) top left. A level is one of:
//  - 0..kWhite: alpha at least 128 of 255, and the luminance
//    floor((299 R + 587 G + 114 B) / 10) on 8-bit channels: 0 is black,
//    kWhite pure white. Luminance L (0..255000) is under T × 2550 exactly
//    when this level is under T × 255, so the threshold rule is exact.
//  - kBlack: fully opaque, red, green and blue 0 at the picture's own
//    precision: the one pixel Exact black sets. Its luminance is 0.
//  - kFaintDark, kFaint: alpha 1..127; clear in every mode and passing no
//    error on. FaintDark when the luminance is under a quarter (looks dark).
//  - kTransparent: alpha 0.
class GreyPicture {
public:
    static constexpr std::uint16_t kWhite = 25500;
    static constexpr std::uint16_t kTransparent = 0xFFFC;
    static constexpr std::uint16_t kFaint = 0xFFFD;
    static constexpr std::uint16_t kFaintDark = 0xFFFE;
    static constexpr std::uint16_t kBlack = 0xFFFF;
    // Levels under this look dark: a luminance under a quarter of full scale.
    static constexpr std::uint16_t kDarkBelow = 6375;
    // Whether v is one of the levels above.
    static constexpr bool isLevel(std::uint16_t v) { return v <= kWhite || v >= kTransparent; }

    // Levels as a picture keeps them: a large picture's in memory that may
    // be backed by huge pages, as packed rows are. Levels(n) leaves them unset.
    using Levels = std::vector<std::uint16_t, LevelAllocator<std::uint16_t>>;

    GreyPicture() = default;  // 0 × 0
    // Throws std::invalid_argument for a side outside 0..Sprite::kMaxSide,
    // levels not width × height long, or a level that is none of the above.
    GreyPicture(int width, int height, Levels levels);
    GreyPicture(int width, int height, const std::vector<std::uint16_t>& levels);
    GreyPicture(int width, int height, std::initializer_list<std::uint16_t> levels);
    // For levels their maker has held to the rules above as it wrote each
    // one (a picture decoder does, as it packs each row): only the sides and
    // the length are checked, sparing a second pass over a large picture.
    struct Checked {};
    GreyPicture(int width, int height, Levels levels, Checked);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ == 0 || height_ == 0; }
    // Row y's levels, width() of them (0 <= y < height).
    const std::uint16_t* row(int y) const { return levels_.data() + std::size_t(y) * std::size_t(width_); }
    // Throws std::out_of_range outside the picture.
    std::uint16_t level(int x, int y) const;
    // The memory the picture holds, roughly.
    std::size_t bytes() const { return sizeof(*this) + levels_.size() * sizeof(std::uint16_t); }

    // The part x..x+width-1, y..y+height-1; throws std::out_of_range unless
    // it lies inside the picture.
    GreyPicture cropped(int x, int y, int width, int height) const;

    friend bool operator==(const GreyPicture&, const GreyPicture&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    Levels levels_;
};

// The level of one pixel from 8-bit channels (alpha 255 opaque).
constexpr std::uint16_t greyLevel8(unsigned r, unsigned g, unsigned b, unsigned a)
{
    const unsigned luminance = 299 * r + 587 * g + 114 * b;
    if (a == 0)
        return GreyPicture::kTransparent;
    if (a < 128)
        return luminance < 63750 ? GreyPicture::kFaintDark : GreyPicture::kFaint;
    if (a == 255 && luminance == 0)
        return GreyPicture::kBlack;
    return static_cast<std::uint16_t>(luminance / 10);
}

// The same from 16-bit channels (alpha 65535 opaque): Exact black is judged
// at 16 bits, the luminance as on the channels scaled to 8 bits.
constexpr std::uint16_t greyLevel16(unsigned r, unsigned g, unsigned b, unsigned a)
{
    const std::uint64_t luminance = 299ull * r + 587ull * g + 114ull * b;  // 257 × the 8-bit one
    if (a == 0)
        return GreyPicture::kTransparent;
    if (a < 128 * 257)
        return luminance < 63750ull * 257 ? GreyPicture::kFaintDark : GreyPicture::kFaint;
    if (a == 65535 && luminance == 0)
        return GreyPicture::kBlack;
    return static_cast<std::uint16_t>(luminance / 2570);
}

// A picture's sprite under a conversion, and its marks: the pixels that
// look dark (alpha not 0, luminance under a quarter) but are clear. Both
// are the picture's size.
struct Converted {
    Sprite sprite;
    Sprite marked;
};

// The picture converted: first scaled to conversion.scale percent
// (scaledPicture in Scale.h), so the sprite and marks are of the scaled
// size; then, with T the threshold:
//  - ExactBlack: set exactly at kBlack.
//  - Threshold: set where the level is under T × 255 (kBlack counts as 0;
//    faint and transparent pixels are clear).
//  - FloydSteinberg, Atkinson: error diffusion on the level, rows left to
//    right, deciding at T × 255; Floyd-Steinberg passes 7/16 right, 3/16
//    below left, 5/16 below, 1/16 below right; Atkinson 1/8 to x+1, x+2,
//    x-1 and x below, x+1 below, x two rows below. Faint and transparent
//    pixels are clear and pass on no error. Integer arithmetic throughout.
//  - Ordered: with b the 4 × 4 Bayer matrix entry (0..15) at (x mod 4,
//    y mod 4) and D = T × 255, set where level × 16 < (2 b + 1) × D for
//    levels up to D, and where (white - level) × 16 >= (31 - 2 b) ×
//    (white - D) above it: black sets all, a grey at the threshold half,
//    white none, at any threshold.
// Throws std::invalid_argument for a threshold or scale outside its range.
Converted convert(const GreyPicture& picture, const Conversion& conversion);

}  // namespace palvorn
