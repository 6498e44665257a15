#include "Scale.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Rules.h"

namespace palvorn {

namespace {

// The source pixels one new pixel covers along one side, and the share of
// the new pixel's span each covers. Positions are in units of 1/(new side)
// of a source pixel, so every overlap is an exact integer and a pixel that
// is not covered never gets a weight.
struct Taps {
    std::vector<int> first;     // per new pixel, its first source pixel
    std::vector<int> count;     // per new pixel, how many source pixels
    std::vector<float> weight;  // all new pixels' weights in order; each new pixel's sum to 1
    std::vector<int> start;     // per new pixel, where its weights begin
};

Taps tapsFor(int from, int to)
{
    Taps taps;
    taps.first.resize(std::size_t(to));
    taps.count.resize(std::size_t(to));
    taps.start.resize(std::size_t(to));
    const auto span = std::int64_t(from);  // a new pixel spans `from` units, a source pixel `to`
    for (int t = 0; t < to; ++t) {
        const std::int64_t a = std::int64_t(t) * span, b = a + span;
        const int s0 = int(a / to), s1 = int((b + to - 1) / to);  // source pixels s0..s1-1
        taps.first[std::size_t(t)] = s0;
        taps.count[std::size_t(t)] = s1 - s0;
        taps.start[std::size_t(t)] = int(taps.weight.size());
        for (int s = s0; s < s1; ++s) {
            const std::int64_t overlap = std::min(b, std::int64_t(s + 1) * to) - std::max(a, std::int64_t(s) * to);
            taps.weight.push_back(float(double(overlap) / double(span)));
        }
    }
    return taps;
}

// Which codes a picture holds beyond plain levels: the scaling then
// averages only the channels it needs.
enum class Codes { Levels, WithBlack, All };

Codes codesIn(const GreyPicture& picture)
{
    bool black = false;
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint16_t* row = picture.row(y);
        bool other = false;  // transparent or faint
        for (int x = 0; x < picture.width(); ++x) {
            black |= row[x] == GreyPicture::kBlack;
            other |= row[x] > GreyPicture::kWhite && row[x] != GreyPicture::kBlack;
        }
        if (other)
            return Codes::All;
    }
    return black ? Codes::WithBlack : Codes::Levels;
}

// The channels averaged per code set, each a float a pixel:
//  0 luminance × opaque (kBlack as 0), 1 opaque but not kBlack, 2 opaque,
//  3 not transparent, 4 looks dark.
template <Codes kCodes>
constexpr int kChannels = kCodes == Codes::Levels ? 1 : kCodes == Codes::WithBlack ? 2 : 5;

template <Codes kCodes>
void channelsOf(const std::uint16_t* levels, int n, std::array<float*, 5> out)
{
    for (int x = 0; x < n; ++x) {
        const std::uint16_t v = levels[x];
        if constexpr (kCodes == Codes::Levels) {
            out[0][x] = float(v);
        } else if constexpr (kCodes == Codes::WithBlack) {
            const bool black = v == GreyPicture::kBlack;
            out[0][x] = black ? 0.0f : float(v);
            out[1][x] = black ? 0.0f : 1.0f;
        } else {
            const bool black = v == GreyPicture::kBlack;
            const bool opaque = v <= GreyPicture::kWhite || black;
            out[0][x] = v <= GreyPicture::kWhite ? float(v) : 0.0f;
            out[1][x] = v <= GreyPicture::kWhite ? 1.0f : 0.0f;
            out[2][x] = opaque ? 1.0f : 0.0f;
            out[3][x] = v != GreyPicture::kTransparent ? 1.0f : 0.0f;
            out[4][x] = v < GreyPicture::kDarkBelow || black || v == GreyPicture::kFaintDark ? 1.0f : 0.0f;
        }
    }
}

// The level of one new pixel from its averaged channels (each weight sums
// to 1 over the area), by the rule in Scale.h.
template <Codes kCodes>
std::uint16_t levelOf(const float* c)
{
    constexpr float kHalf = 0.5f - 1e-5f;  // the weights' sums carry float rounding
    const auto mean = [](float luminance, float opaque) {
        return std::uint16_t(std::min<float>(GreyPicture::kWhite, luminance / opaque + 0.5f));
    };
    if constexpr (kCodes == Codes::Levels) {
        return std::uint16_t(std::min<float>(GreyPicture::kWhite, c[0] + 0.5f));
    } else if constexpr (kCodes == Codes::WithBlack) {
        return c[1] == 0.0f ? GreyPicture::kBlack : mean(c[0], 1.0f);
    } else {
        if (c[2] >= kHalf)
            return c[1] == 0.0f ? GreyPicture::kBlack : mean(c[0], c[2]);
        if (c[3] >= kHalf)
            return c[4] * 2 >= c[3] ? GreyPicture::kFaintDark : GreyPicture::kFaint;
        return GreyPicture::kTransparent;
    }
}

template <Codes kCodes>
GreyPicture::Levels shrink(const GreyPicture& picture, int width, int height)
{
    constexpr int kN = kChannels<kCodes>;
    const int sw = picture.width();
    const Taps across = tapsFor(sw, width);
    const Taps down = tapsFor(picture.height(), height);
    // One source row's channels, the same row averaged across, and the new
    // row being summed: channel-major, so each loop runs over one array.
    std::vector<float> source(std::size_t(kN) * std::size_t(sw));
    std::vector<float> across1(std::size_t(kN) * std::size_t(width));
    std::vector<float> sum(std::size_t(kN) * std::size_t(width));
    std::array<float*, 5> channels{};
    for (int c = 0; c < kN; ++c)
        channels[std::size_t(c)] = source.data() + std::size_t(c) * std::size_t(sw);
    int averaged = -1;  // the source row across1 holds
    GreyPicture::Levels levels(std::size_t(width) * std::size_t(height));
    std::array<float, 5> pixel{};
    for (int ty = 0; ty < height; ++ty) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        const float* rowWeight = down.weight.data() + down.start[std::size_t(ty)];
        for (int k = 0; k < down.count[std::size_t(ty)]; ++k) {
            const int sy = down.first[std::size_t(ty)] + k;
            if (sy != averaged) {  // a row two new rows share is averaged once
                channelsOf<kCodes>(picture.row(sy), sw, channels);
                for (int c = 0; c < kN; ++c) {
                    const float* in = channels[std::size_t(c)];
                    float* out = across1.data() + std::size_t(c) * std::size_t(width);
                    for (int tx = 0; tx < width; ++tx) {
                        const float* w = across.weight.data() + across.start[std::size_t(tx)];
                        const float* p = in + across.first[std::size_t(tx)];
                        float v = 0;
                        for (int i = 0; i < across.count[std::size_t(tx)]; ++i)
                            v += w[i] * p[i];
                        out[tx] = v;
                    }
                }
                averaged = sy;
            }
            const float w = rowWeight[k];
            for (std::size_t i = 0; i < sum.size(); ++i)
                sum[i] += w * across1[i];
        }
        std::uint16_t* out = levels.data() + std::size_t(ty) * std::size_t(width);
        for (int tx = 0; tx < width; ++tx) {
            for (int c = 0; c < kN; ++c)
                pixel[std::size_t(c)] = sum[std::size_t(c) * std::size_t(width) + std::size_t(tx)];
            out[tx] = levelOf<kCodes>(pixel.data());
        }
    }
    return levels;
}

}  // namespace

PictureSize scaledSize(int width, int height, int scale)
{
    if (scale < kMinScale || scale > kMaxScale)
        throw std::invalid_argument("scale " + std::to_string(scale) + " is outside " + std::to_string(kMinScale) +
                                    ".." + std::to_string(kMaxScale));
    const auto side = [scale](int n) {
        return n == 0 ? 0 : std::max(1, int((std::int64_t(n) * scale + kMaxScale / 2) / kMaxScale));
    };
    return {side(width), side(height)};
}

GreyPicture areaScaled(const GreyPicture& picture, int width, int height)
{
    if (width < 1 || height < 1 || width > picture.width() || height > picture.height())
        throw std::invalid_argument("a picture " + std::to_string(picture.width()) + " x " +
                                    std::to_string(picture.height()) + " cannot shrink to " + std::to_string(width) +
                                    " x " + std::to_string(height));
    if (width == picture.width() && height == picture.height())
        return picture;
    switch (codesIn(picture)) {
    case Codes::Levels:
        return GreyPicture(width, height, shrink<Codes::Levels>(picture, width, height));
    case Codes::WithBlack:
        return GreyPicture(width, height, shrink<Codes::WithBlack>(picture, width, height));
    case Codes::All:
        break;
    }
    return GreyPicture(width, height, shrink<Codes::All>(picture, width, height));
}

GreyPicture scaledPicture(const GreyPicture& picture, int scale)
{
    const PictureSize size = scaledSize(picture.width(), picture.height(), scale);
    if (picture.isEmpty())
        return picture;
    return areaScaled(picture, size.width, size.height);
}

std::optional<int> fitScale(int width, int height)
{
    if (width <= 0 || height <= 0)
        return std::nullopt;
    // The packed size grows with the scale, so the first from the top that fits is the largest.
    for (int scale = kMaxScale; scale >= kMinScale; --scale) {
        const PictureSize size = scaledSize(width, height, scale);
        if (packedSize(size.width, size.height) <= kSizeLimit)
            return scale;
    }
    return std::nullopt;
}

}  // namespace palvorn
