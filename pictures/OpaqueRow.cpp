#include "OpaqueRow.h"

#include <array>

// The AVX2 path is built where the compiler can target it per function and
// the processor is asked at run time. Windows is left out: there GCC does
// not align the stack for 32-byte spills.
#if defined(__x86_64__) && defined(__GNUC__) && defined(__ELF__)
#define PALVORN_AVX2_ROW 1
#include <immintrin.h>
#endif

namespace pictures {

namespace {

constexpr int kDarkBelow = palvorn::GreyPicture::kDarkBelow;
static_assert(palvorn::GreyPicture::kWhite < 0x8000 && std::int16_t(palvorn::GreyPicture::kBlack) == -1,
              "the rules read levels as signed 16-bit numbers");

}  // namespace

bool packOpaqueRowPlain(const std::uint8_t* pixels, int width, ChannelWeights weights, OpaqueRule rule, Level* levels,
                        std::uint8_t* set, std::uint8_t* marked)
{
    bool anyBlack = false;
    for (int x0 = 0; x0 < width; x0 += 8) {
        unsigned s = 0, m = 0;
        for (int x = x0; x < x0 + 8; ++x) {
            s <<= 1;
            m <<= 1;
            if (x >= width)
                continue;  // past the last pixel: clear
            const std::uint8_t* p = pixels + 3 * x;
            const unsigned l = weights.first * p[0] + weights.second * p[1] + weights.third * p[2];
            anyBlack |= l == 0;
            const Level level = l == 0 ? palvorn::GreyPicture::kBlack : Level(l / 10);
            levels[x] = level;
            const bool isSet = std::int16_t(level) < rule.setBelow;
            s |= isSet;
            m |= !isSet && std::int16_t(level) < kDarkBelow;
        }
        set[x0 / 8] = std::uint8_t(s);
        marked[x0 / 8] = std::uint8_t(m);
    }
    return anyBlack;
}

#ifdef PALVORN_AVX2_ROW

namespace {

using Mask = std::array<std::uint8_t, 16>;

// pshufb masks that gather channel c of sixteen pixels (48 bytes) from
// their k-th 16 bytes, to the pixel's place; 0x80 leaves a zero.
constexpr std::array<Mask, 9> gatherMasks()
{
    std::array<Mask, 9> masks{};
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 3; ++k)
            for (int i = 0; i < 16; ++i) {
                const int at = 3 * i + c;
                masks[std::size_t(3 * c + k)][std::size_t(i)] = std::uint8_t(at / 16 == k ? at % 16 : 0x80);
            }
    return masks;
}
constexpr auto kGather = gatherMasks();

// A pshufb mask that reverses the eight 16-bit numbers of 16 bytes.
constexpr Mask kReverseWords{14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1};

__attribute__((target("avx2"))) inline __m128i load16(const void* p)
{
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

__attribute__((target("avx2"))) inline __m128i channel(const __m128i block[3], int c)
{
    __m128i out = _mm_setzero_si128();
    for (int k = 0; k < 3; ++k)
        out = _mm_or_si128(out, _mm_shuffle_epi8(block[k], load16(kGather[std::size_t(3 * c + k)].data())));
    return out;
}

// A tenth of eight luminances, truncated; exact in float for luminances up
// to 255000, as in the one-at-a-time path.
__attribute__((target("avx2"))) inline __m256i tenths(__m256i l)
{
    return _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(l), _mm256_set1_ps(0.1f)));
}

__attribute__((target("avx2"))) bool packOpaqueRowAvx2(const std::uint8_t* pixels, int width, ChannelWeights weights,
                                                       OpaqueRule rule, Level* levels, std::uint8_t* set,
                                                       std::uint8_t* marked)
{
    // Pairs of 16-bit channels times pairs of weights, summed in 32 bits.
    const __m256i w01 = _mm256_set1_epi32(int(weights.first | weights.second << 16));
    const __m256i w2 = _mm256_set1_epi32(int(weights.third));
    const __m256i setBelow = _mm256_set1_epi16(std::int16_t(rule.setBelow));
    const __m256i markBelow = _mm256_set1_epi16(std::int16_t(kDarkBelow));
    const __m256i reverse = _mm256_broadcastsi128_si256(load16(kReverseWords.data()));
    const __m256i zero = _mm256_setzero_si256();
    __m128i black = _mm_setzero_si128();
    const int whole = width / 16 * 16;
    for (int x = 0; x < whole; x += 16) {
        const std::uint8_t* p = pixels + 3 * x;
        const __m128i block[3] = {load16(p), load16(p + 16), load16(p + 32)};
        const __m128i c0 = channel(block, 0), c1 = channel(block, 1), c2 = channel(block, 2);
        const __m128i isBlack = _mm_cmpeq_epi8(_mm_or_si128(_mm_or_si128(c0, c1), c2), _mm_setzero_si128());
        black = _mm_or_si128(black, isBlack);
        const __m256i wide0 = _mm256_cvtepu8_epi16(c0), wide1 = _mm256_cvtepu8_epi16(c1);
        const __m256i wide2 = _mm256_cvtepu8_epi16(c2);
        // Within each 128-bit lane, "low" holds pixels 0-3 (8-11) and
        // "high" pixels 4-7 (12-15); packus puts them back in order.
        const __m256i low = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(wide0, wide1), w01),
                                             _mm256_madd_epi16(_mm256_unpacklo_epi16(wide2, zero), w2));
        const __m256i high = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(wide0, wide1), w01),
                                              _mm256_madd_epi16(_mm256_unpackhi_epi16(wide2, zero), w2));
        const __m256i level = _mm256_or_si256(_mm256_packus_epi32(tenths(low), tenths(high)),
                                              _mm256_cvtepi8_epi16(isBlack));  // black: 0 | 0xFFFF
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(levels + x), level);
        // Leftmost pixel to the highest bit: the eight levels of each byte reversed.
        const __m256i r = _mm256_shuffle_epi8(level, reverse);
        const __m256i isSet = _mm256_cmpgt_epi16(setBelow, r);
        const __m256i dark = _mm256_cmpgt_epi16(markBelow, r);
        // Bytes: set and dark of pixels 0-7, then of pixels 8-15.
        const unsigned bits = unsigned(_mm256_movemask_epi8(_mm256_packs_epi16(isSet, dark)));
        set[x / 8] = std::uint8_t(bits);
        marked[x / 8] = std::uint8_t(bits >> 8 & ~bits);
        set[x / 8 + 1] = std::uint8_t(bits >> 16);
        marked[x / 8 + 1] = std::uint8_t(bits >> 24 & ~(bits >> 16));
    }
    const bool tailBlack = packOpaqueRowPlain(pixels + 3 * whole, width - whole, weights, rule, levels + whole,
                                              set + whole / 8, marked + whole / 8);
    return !_mm_testz_si128(black, black) || tailBlack;
}

}  // namespace

#endif

bool packOpaqueRow(const std::uint8_t* pixels, int width, ChannelWeights weights, OpaqueRule rule, Level* levels,
                   std::uint8_t* set, std::uint8_t* marked)
{
#ifdef PALVORN_AVX2_ROW
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        return packOpaqueRowAvx2(pixels, width, weights, rule, levels, set, marked);
#endif
    return packOpaqueRowPlain(pixels, width, weights, rule, levels, set, marked);
}

}  // namespace pictures
