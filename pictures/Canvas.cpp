#include "Canvas.h"

#include <algorithm>
#include <utility>
#include <cstring>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "OpaqueRow.h"

namespace pictures {

void checkBound(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        damaged();
    if (width > palvorn::Sprite::kMaxSide || height > palvorn::Sprite::kMaxSide ||
        width * height > kMaxPicturePixels)
        throw Failure{PictureError::Kind::TooLarge, width, height, {}};
}

Canvas::Canvas(int width, int height, Rows rows)
    : rows_(rows),
      width_(width),
      height_(height),
      perRow_(palvorn::bytesPerRow(width)),
      levels_(std::size_t(width) * std::size_t(height)),
      set_(std::size_t(perRow_) * std::size_t(height)),
      mark_(std::size_t(perRow_) * std::size_t(height)),
      looks_(std::size_t(perRow_) * 8, 0)
{
    if (rows == Rows::MayBeLeft)
        std::fill(levels_.begin(), levels_.end(), palvorn::GreyPicture::kTransparent);
    else
        prefaultLevels();
}

void Canvas::prefaultLevels()
{
#ifdef MADV_POPULATE_WRITE
    // From about a 1500 × 1500 picture on, the clearing takes far longer than
    // starting a thread.
    constexpr std::size_t kFrom = std::size_t(4) << 20;
    const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(levels_.data());
    const std::uintptr_t first = (start + page - 1) / page * page;
    const std::uintptr_t end = start + levels_.size() * sizeof(Level);
    if (end - start < kFrom || first >= end)
        return;
    // A kernel without it refuses the advice, and the pages are cleared as
    // they are written.
    prefault_ = std::jthread([first, end] {
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
    });
#endif
}

void Canvas::startAtThreshold(const char* lossyFormat)
{
    lossyFormat_ = lossyFormat;
}

namespace {

// The channel loops below are plain loops over a whole row, which the
// compiler vectorises; reading every third or fourth byte needs byte
// shuffles that the x86-64 baseline lacks, so there an AVX2 copy is made
// beside the baseline one and the processor picks at load time (an ELF
// feature: Windows executables have no such load-time choice).
#if defined(__x86_64__) && defined(__GNUC__) && defined(__ELF__)
#define PALVORN_ROW_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define PALVORN_ROW_LOOP
#endif

// The level of an opaque 8-bit pixel: greyLevel8 with alpha 255, written
// without branches so that a row of them vectorises.
// The tenth is taken in float, which vectorises where a division does not:
// for luminances up to 255000 the product is never below the whole part of
// the true tenth nor up to the next, so truncating it is exact. Black (a
// tenth of 0) is or-ed up to kBlack without a branch.
inline Level opaqueLevel(unsigned r, unsigned g, unsigned b)
{
    const int luminance = int(299 * r + 587 * g + 114 * b);
    const int tenth = int(float(luminance) * 0.1f);
    static_assert(palvorn::GreyPicture::kBlack == 0xFFFF);
    return Level(unsigned(tenth) | (0u - unsigned(luminance == 0)));
}

PALVORN_ROW_LOOP void levelsGrey(const std::uint8_t* __restrict p, Level* __restrict out, int n)
{
    for (int x = 0; x < n; ++x)
        out[x] = opaqueLevel(p[x], p[x], p[x]);
}

PALVORN_ROW_LOOP void levelsBgra(const std::uint8_t* __restrict p, Level* __restrict out, int n, unsigned opaque)
{
    for (int x = 0; x < n; ++x)
        out[x] = level8(p[4 * x + 2], p[4 * x + 1], p[4 * x], p[4 * x + 3] | opaque);
}

PALVORN_ROW_LOOP void levelsRgba(const std::uint8_t* __restrict p, Level* __restrict out, int n)
{
    for (int x = 0; x < n; ++x)
        out[x] = level8(p[4 * x], p[4 * x + 1], p[4 * x + 2], p[4 * x + 3]);
}

// Each level's flags: bit 0 set (pure black), bit 1 marked (looks dark but
// is clear); a number that is no level (kInvalid among them) has both.
PALVORN_ROW_LOOP void flagsOf(const Level* __restrict levels, std::uint8_t* __restrict out, int n)
{
    using palvorn::GreyPicture;
    for (int x = 0; x < n; ++x) {
        const Level v = levels[x];
        const unsigned invalid = !GreyPicture::isLevel(v);
        const unsigned set = (v == GreyPicture::kBlack) | invalid;
        const unsigned marked = (v < GreyPicture::kDarkBelow) | (v == GreyPicture::kFaintDark) | invalid;
        out[x] = std::uint8_t(set | marked << 1);
    }
}

// The same under Threshold at the default (whose marks are the dark-looking
// pixels it leaves clear); true when some level is pure black.
PALVORN_ROW_LOOP bool thresholdFlagsOf(const Level* __restrict levels, std::uint8_t* __restrict out, int n)
{
    using palvorn::GreyPicture;
    constexpr unsigned kBelow = kDefaultThresholdRule.setBelow;
    unsigned black = 0;
    for (int x = 0; x < n; ++x) {
        const Level v = levels[x];
        const unsigned invalid = !GreyPicture::isLevel(v);
        const unsigned isBlack = v == GreyPicture::kBlack;
        black |= isBlack;
        const unsigned set = (v < kBelow) | isBlack;
        const unsigned marked = ((v < GreyPicture::kDarkBelow) | (v == GreyPicture::kFaintDark)) & ~set;
        out[x] = std::uint8_t((set | invalid) | (marked | invalid) << 1);
    }
    return black != 0;
}

}  // namespace

void Canvas::packBgr(int y, const std::uint8_t* pixels)
{
    packOpaque(y, pixels, kBgrWeights);
}

void Canvas::packRgb(int y, const std::uint8_t* pixels)
{
    packOpaque(y, pixels, kRgbWeights);
}

void Canvas::packOpaque(int y, const std::uint8_t* pixels, ChannelWeights weights)
{
    const OpaqueRule rule = lossyFormat_ ? kDefaultThresholdRule : kExactBlackRule;
    anyPureBlack_ |= packOpaqueRow(pixels, width_, weights, rule, levelRow(y), setRow(y), markRow(y));
    ++rowsPacked_;
}

void Canvas::packGrey(int y, const std::uint8_t* pixels)
{
    levelsGrey(pixels, levelRow(y), width_);
    packLevels(y);
}

void Canvas::packBgra(int y, const std::uint8_t* pixels, bool useAlpha)
{
    levelsBgra(pixels, levelRow(y), width_, useAlpha ? 0u : 255u);
    packLevels(y);
}

void Canvas::packRgba(int y, const std::uint8_t* pixels)
{
    levelsRgba(pixels, levelRow(y), width_);
    packLevels(y);
}

bool Canvas::packLevels(int y)
{
    // The bytes past the last pixel were set 0 once and are never written.
    if (lossyFormat_)
        anyPureBlack_ |= thresholdFlagsOf(levelRow(y), looks_.data(), width_);
    else
        flagsOf(levelRow(y), looks_.data(), width_);
    std::uint8_t* s = setRow(y);
    std::uint8_t* m = markRow(y);
    const std::uint8_t* looks = looks_.data();
    unsigned bad = 0;
    for (int i = 0; i < perRow_; ++i) {
        const unsigned sb = palvorn::packedByte(looks + 8 * i, 0);
        const unsigned mb = palvorn::packedByte(looks + 8 * i, 1);
        // Invalid has both bits; it is in neither plane.
        s[i] = std::uint8_t(sb & ~mb);
        m[i] = std::uint8_t(mb & ~sb);
        bad |= sb & mb;
    }
    ++rowsPacked_;
    noLevelSeen_ |= bad != 0;
    return bad == 0;
}

bool Canvas::putLevels(int y, int x0, int dx, const Level* levels, int n)
{
    Level* row = levelRow(y);
    for (int i = 0, x = x0; i < n && x < width_; ++i, x += dx)
        row[x] = levels[i];
    return packLevels(y);
}

void Canvas::clearRows(int from, int to)
{
    if (from >= to)
        return;
    std::fill(levelRow(from), levelRow(to), palvorn::GreyPicture::kTransparent);
    const std::size_t begin = std::size_t(from) * std::size_t(perRow_);
    const std::size_t count = std::size_t(to - from) * std::size_t(perRow_);
    std::memset(set_.data() + begin, 0, count);
    std::memset(mark_.data() + begin, 0, count);
}

TakenPicture Canvas::finish()
{
    if (prefault_.joinable())
        prefault_.join();
    // A decoder refuses a picture with a number that is no level as it packs
    // the row; these only hold if one did not. Then every level has been
    // checked, and the picture need not check them again.
    if (noLevelSeen_ || (rows_ == Rows::AllWritten && rowsPacked_ < height_))
        damaged();
    TakenPicture taken;
    taken.sprite = palvorn::Sprite(width_, height_, std::move(set_));
    taken.marked = palvorn::Sprite(width_, height_, std::move(mark_));
    taken.picture = std::make_shared<const palvorn::GreyPicture>(width_, height_, std::move(levels_),
                                                                 palvorn::GreyPicture::Checked{});
    if (lossyFormat_) {
        taken.conversion = {palvorn::ConvertMode::Threshold, palvorn::kDefaultThreshold, palvorn::kMaxScale};
        taken.note = thresholdNote(lossyFormat_, anyPureBlack_);
    }
    return taken;
}

}  // namespace pictures
