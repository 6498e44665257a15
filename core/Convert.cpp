#include "Convert.h"

#include "Scale.h"

#include <array>
#include <stdexcept>
#include <string>

namespace palvorn {

namespace {

struct ModeNames {
    ConvertMode mode;
    std::string_view name;
    std::string_view word;
};
constexpr std::array<ModeNames, kConvertModes> kModeNames{{
    {ConvertMode::ExactBlack, "Exact black", "exact"},
    {ConvertMode::Threshold, "Threshold", "threshold"},
    {ConvertMode::FloydSteinberg, "Floyd-Steinberg dither", "floyd-steinberg"},
    {ConvertMode::Atkinson, "Atkinson dither", "atkinson"},
    {ConvertMode::Ordered, "Ordered dither", "ordered"},
}};

const ModeNames& namesOf(ConvertMode mode)
{
    for (const auto& names : kModeNames)
        if (names.mode == mode)
            return names;
    throw std::invalid_argument("unknown conversion");
}

// Whether a level takes part in a conversion by its luminance; faint and
// transparent pixels are clear whatever the mode.
bool opaqueEnough(std::uint16_t level)
{
    return level <= GreyPicture::kWhite || level == GreyPicture::kBlack;
}

int luminance(std::uint16_t level)
{
    return level == GreyPicture::kBlack ? 0 : level;
}

bool looksDark(std::uint16_t level)
{
    return level < GreyPicture::kDarkBelow || level == GreyPicture::kBlack || level == GreyPicture::kFaintDark;
}

// Packs one row of set flags (one byte a pixel, 0 or 1, at least
// bytesPerRow(width) × 8 of them, 0 past the width) into a row of packed bytes.
void packRow(const std::vector<std::uint8_t>& flags, std::uint8_t* out, int width)
{
    for (int i = 0; i < bytesPerRow(width); ++i)
        out[i] = packedByte(flags.data() + 8 * i, 0);
}

// Error diffusion: each row left to right; spread(x, error, below, twoBelow)
// passes a pixel's error on into this row's following pixels (cur) and the
// rows below. Errors are in level units.
template <class Spread>
void diffuse(const GreyPicture& picture, int level, PackedRows& rows, int rowsBelow, Spread spread)
{
    const int width = picture.width();
    const auto w = std::size_t(width) + 4;  // two pixels of margin on each side
    std::vector<std::vector<int>> errors(std::size_t(rowsBelow) + 1, std::vector<int>(w, 0));
    std::vector<std::uint8_t> flags(std::size_t(bytesPerRow(width)) * 8);
    const int perRow = bytesPerRow(width);
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint16_t* in = picture.row(y);
        int* cur = errors[0].data() + 2;
        for (int x = 0; x < width; ++x) {
            flags[std::size_t(x)] = 0;
            if (!opaqueEnough(in[x]))
                continue;  // clear, and whatever error reached it ends here
            const int value = luminance(in[x]) + cur[x];
            const bool set = value < level;
            flags[std::size_t(x)] = set;
            spread(x, value - (set ? 0 : int(GreyPicture::kWhite)), errors);
        }
        packRow(flags, rows.data() + std::size_t(y) * std::size_t(perRow), width);
        // The rows move up by one; the last starts clear.
        std::vector<int> first = std::move(errors[0]);
        for (std::size_t i = 0; i + 1 < errors.size(); ++i)
            errors[i] = std::move(errors[i + 1]);
        first.assign(w, 0);
        errors.back() = std::move(first);
    }
}

}  // namespace

std::string_view convertModeName(ConvertMode mode)
{
    return namesOf(mode).name;
}

std::string_view convertModeWord(ConvertMode mode)
{
    return namesOf(mode).word;
}

std::optional<ConvertMode> convertModeFromWord(std::string_view word)
{
    for (const auto& names : kModeNames)
        if (names.word == word)
            return names.mode;
    return std::nullopt;
}

GreyPicture::GreyPicture(int width, int height, const std::vector<std::uint16_t>& levels)
    : GreyPicture(width, height, Levels(levels.begin(), levels.end()))
{
}

GreyPicture::GreyPicture(int width, int height, std::initializer_list<std::uint16_t> levels)
    : GreyPicture(width, height, Levels(levels.begin(), levels.end()))
{
}

GreyPicture::GreyPicture(int width, int height, Levels levels) : GreyPicture(width, height, std::move(levels), Checked{})
{
    // One pass without an early exit, which the compiler vectorises; the
    // level named is found only once one is known to be wrong.
    // A level is wrong exactly when level - kWhite - 1 (in 16 bits) is under
    // kTransparent - kWhite - 1: one compare a level.
    constexpr std::uint16_t kGap = GreyPicture::kTransparent - GreyPicture::kWhite - 1;
    unsigned bad = 0;
    for (std::uint16_t level : levels_)
        bad |= unsigned(std::uint16_t(level - GreyPicture::kWhite - 1) < kGap);
    if (bad)
        for (std::uint16_t level : levels_)
            if (!GreyPicture::isLevel(level))
                throw std::invalid_argument("level " + std::to_string(level) + " is no pixel level");
}

GreyPicture::GreyPicture(int width, int height, Levels levels, Checked)
{
    if (width < 0 || width > Sprite::kMaxSide || height < 0 || height > Sprite::kMaxSide)
        throw std::invalid_argument("picture size " + std::to_string(width) + " x " + std::to_string(height) +
                                    " is outside 0.." + std::to_string(Sprite::kMaxSide));
    if (levels.size() != std::size_t(width) * std::size_t(height))
        throw std::invalid_argument("levels for a picture " + std::to_string(width) + " x " +
                                    std::to_string(height) + " are " + std::to_string(levels.size()) + " long");
    width_ = width;
    height_ = height;
    levels_ = std::move(levels);
}

std::uint16_t GreyPicture::level(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is outside the picture");
    return row(y)[x];
}

GreyPicture GreyPicture::cropped(int x, int y, int width, int height) const
{
    if (x < 0 || y < 0 || width < 0 || height < 0 || x > width_ - width || y > height_ - height)
        throw std::out_of_range("part (" + std::to_string(x) + ", " + std::to_string(y) + ") " +
                                std::to_string(width) + " x " + std::to_string(height) + " is outside the picture");
    Levels levels;
    levels.reserve(std::size_t(width) * std::size_t(height));
    for (int r = y; r < y + height; ++r)
        levels.insert(levels.end(), row(r) + x, row(r) + x + width);
    GreyPicture part;
    part.width_ = width;
    part.height_ = height;
    part.levels_ = std::move(levels);
    return part;
}

Converted convert(const GreyPicture& original, const Conversion& conversion)
{
    if (conversion.threshold < kMinThreshold || conversion.threshold > kMaxThreshold)
        throw std::invalid_argument("threshold " + std::to_string(conversion.threshold) + " is outside " +
                                    std::to_string(kMinThreshold) + ".." + std::to_string(kMaxThreshold));
    // Scaled from the original each time, so no change of scale loses anything.
    GreyPicture scaled;
    if (conversion.scale != kMaxScale)
        scaled = scaledPicture(original, conversion.scale);
    const GreyPicture& picture = conversion.scale == kMaxScale ? original : scaled;
    const int width = picture.width();
    const int height = picture.height();
    const auto perRow = std::size_t(bytesPerRow(width));
    PackedRows set(perRow * std::size_t(height), 0);
    const int level = conversion.threshold * 255;  // T × 2.55 in level units
    std::vector<std::uint8_t> flags(perRow * 8);

    // The modes that decide each pixel on its own.
    const auto eachPixel = [&](auto decide) {
        for (int y = 0; y < height; ++y) {
            const std::uint16_t* in = picture.row(y);
            for (int x = 0; x < width; ++x)
                flags[std::size_t(x)] = decide(in[x], x, y);
            packRow(flags, set.data() + std::size_t(y) * perRow, width);
        }
    };
    switch (conversion.mode) {
    case ConvertMode::ExactBlack:
        eachPixel([](std::uint16_t v, int, int) { return v == GreyPicture::kBlack; });
        break;
    case ConvertMode::Threshold:
        eachPixel([level](std::uint16_t v, int, int) { return opaqueEnough(v) && luminance(v) < level; });
        break;
    case ConvertMode::Ordered: {
        static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
        // Scaled from black up to the threshold and, mirrored, from white
        // down to it: one scale for both sides would set white pixels at
        // thresholds over 50.
        constexpr int white = GreyPicture::kWhite;
        eachPixel([level](std::uint16_t v, int x, int y) {
            const int b = kBayer[y & 3][x & 3];
            const int l = luminance(v);
            return opaqueEnough(v) &&
                   (l <= level ? l * 16 < (2 * b + 1) * level : (white - l) * 16 >= (31 - 2 * b) * (white - level));
        });
        break;
    }
    case ConvertMode::FloydSteinberg:
        diffuse(picture, level, set, 1, [](int x, int error, std::vector<std::vector<int>>& e) {
            // The remainder goes below right, so no error is lost to rounding.
            const int right = error * 7 / 16, belowLeft = error * 3 / 16, below = error * 5 / 16;
            e[0][std::size_t(x) + 3] += right;
            e[1][std::size_t(x) + 1] += belowLeft;
            e[1][std::size_t(x) + 2] += below;
            e[1][std::size_t(x) + 3] += error - right - belowLeft - below;
        });
        break;
    case ConvertMode::Atkinson:
        diffuse(picture, level, set, 2, [](int x, int error, std::vector<std::vector<int>>& e) {
            // Six eighths go on; a quarter of the error is dropped on purpose.
            const int share = error / 8;
            const auto i = std::size_t(x) + 2;
            e[0][i + 1] += share;
            e[0][i + 2] += share;
            e[1][i - 1] += share;
            e[1][i] += share;
            e[1][i + 1] += share;
            e[2][i] += share;
        });
        break;
    }

    // The marks: dark-looking pixels the conversion left clear.
    PackedRows marked(perRow * std::size_t(height), 0);
    for (int y = 0; y < height; ++y) {
        const std::uint16_t* in = picture.row(y);
        for (int x = 0; x < width; ++x)
            flags[std::size_t(x)] = looksDark(in[x]);
        std::uint8_t* out = marked.data() + std::size_t(y) * perRow;
        packRow(flags, out, width);
        const std::uint8_t* setRow = set.data() + std::size_t(y) * perRow;
        for (std::size_t i = 0; i < perRow; ++i)
            out[i] &= std::uint8_t(~setRow[i]);
    }
    Converted out{Sprite(width, height, std::move(set)), Sprite(width, height, std::move(marked))};
    return out;
}

}  // namespace palvorn
