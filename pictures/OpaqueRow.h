#pragma once
// Inside the picture decoders: a row of opaque three-channel 8-bit pixels
// (a JPEG's RGB, a bitmap's BGR) turned into its levels and its two packed
// bit planes in one pass. This is where a large photo's time goes, so on
// a processor with AVX2 it runs sixteen pixels at a time; elsewhere, and
// for the last pixels of a row, one at a time with the same result.

#include <cstdint>

#include "Canvas.h"

namespace pictures {

// The weights of the row's three channels in the order they are stored:
// a luminance is 299 red + 587 green + 114 blue (0..255000).
struct ChannelWeights {
    unsigned first, second, third;
};
inline constexpr ChannelWeights kRgbWeights{299, 587, 114};
inline constexpr ChannelWeights kBgrWeights{114, 587, 299};

// The rule a row is packed by, in levels read as signed 16-bit numbers,
// so that kBlack is -1, under every other: a pixel is set when its level
// is under setBelow, marked when it is under kDarkBelow and not set.
struct OpaqueRule {
    int setBelow;
};

// The rule of Exact black (set only at kBlack) and of Threshold at the
// default.
inline constexpr OpaqueRule kExactBlackRule{0};
inline constexpr OpaqueRule kDefaultThresholdRule{palvorn::kDefaultThreshold * 255};

// Writes width levels (greyLevel8 of each pixel with alpha 255) to levels,
// and (width + 7) / 8 packed bytes to set and to marked, leftmost pixel in
// the highest bit and the bits past the last pixel clear. pixels holds
// 3 × width bytes. Returns whether any pixel was pure black.
bool packOpaqueRow(const std::uint8_t* pixels, int width, ChannelWeights weights, OpaqueRule rule, Level* levels,
                   std::uint8_t* set, std::uint8_t* marked);

// The same one pixel at a time, for any processor; the tests hold the
// two to the same result.
bool packOpaqueRowPlain(const std::uint8_t* pixels, int width, ChannelWeights weights, OpaqueRule rule, Level* levels,
                        std::uint8_t* set, std::uint8_t* marked);

}  // namespace pictures
