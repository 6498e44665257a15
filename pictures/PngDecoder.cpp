// PNG through libspng, which bounds what it allocates: the image size from
// the header (limits set below) and every stored chunk (chunk and cache
// limits), before it reads the chunk. Rows are decoded one at a time into a
// row buffer and packed; interlaced passes put their pixels where they go.

#include <spng.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "Decoders.h"

namespace pictures {
namespace {

// Text, profiles and other metadata a PNG may carry are kept by libspng up
// to this much in all; more is refused rather than allocated.
constexpr std::size_t kChunkLimit = 64u << 20;

constexpr std::array<int, 7> kPassX = {0, 4, 0, 2, 0, 1, 0};
constexpr std::array<int, 7> kPassDx = {8, 8, 4, 4, 2, 2, 1};

struct Stream {
    Reader reader;
    bool failed = false;
    Failure failure;
};

// libspng's reader: exactly `length` bytes or an end. A read error of the
// file is kept to be thrown once back in C++.
int readStream(spng_ctx*, void* user, void* dest, std::size_t length)
{
    auto* stream = static_cast<Stream*>(user);
    try {
        if (stream->reader.read(dest, qint64(length)) != qint64(length))
            return SPNG_IO_EOF;
    } catch (const Failure& failure) {
        stream->failed = true;
        stream->failure = failure;
        return SPNG_IO_ERROR;
    }
    return 0;
}

quint32 be32(const std::uint8_t* p) { return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3]; }

}  // namespace

TakenPicture decodePng(ByteSource& source)
{
    // The claimed size straight from the header, so that the refusal can
    // tell it even beyond what libspng is told to accept.
    std::array<std::uint8_t, 24> head{};
    if (!source.readAt(0, head.data(), qint64(head.size())) || be32(&head[8]) != 13 ||
        std::memcmp(&head[12], "IHDR", 4) != 0)
        damaged();
    checkBound(be32(&head[16]), be32(&head[20]));

    Stream stream{Reader(source, 0), false, {}};
    const std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> owner(spng_ctx_new(0), spng_ctx_free);
    spng_ctx* ctx = owner.get();
    if (!ctx)
        throw std::bad_alloc();
    spng_set_image_limits(ctx, palvorn::Sprite::kMaxSide, palvorn::Sprite::kMaxSide);
    spng_set_chunk_limits(ctx, kChunkLimit, kChunkLimit);
    spng_set_png_stream(ctx, readStream, &stream);

    const auto check = [&](int result) {
        if (stream.failed)
            throw stream.failure;
        if (result != 0)
            damaged();
    };

    spng_ihdr ihdr{};
    check(spng_get_ihdr(ctx, &ihdr));
    const int width = int(ihdr.width);
    const int height = int(ihdr.height);
    const bool indexed = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;
    const bool deep = ihdr.bit_depth == 16;
    const bool interlaced = ihdr.interlace_method != SPNG_INTERLACE_NONE;

    // Palette pictures come as their indices, so that an index past the
    // palette is seen; others as RGBA at their own precision, with the
    // transparency chunk applied.
    const int format = indexed ? SPNG_FMT_PNG : deep ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
    check(spng_decode_image(ctx, nullptr, 0, format, SPNG_DECODE_PROGRESSIVE | SPNG_DECODE_TRNS));

    std::array<Level, 256> palette{};
    palette.fill(kInvalid);
    if (indexed) {
        spng_plte plte{};
        check(spng_get_plte(ctx, &plte));
        spng_trns trns{};
        if (spng_get_trns(ctx, &trns) != 0)
            trns.n_type3_entries = 0;
        for (quint32 i = 0; i < plte.n_entries && i < 256; ++i) {
            const spng_plte_entry& e = plte.entries[i];
            palette[i] = level8(e.red, e.green, e.blue, i < trns.n_type3_entries ? trns.type3_alpha[i] : 255);
        }
    }

    Canvas canvas(width, height);
    std::vector<std::uint8_t> line(std::size_t(width) * 8);
    std::vector<Level> levels(static_cast<std::size_t>(width));
    const unsigned depth = ihdr.bit_depth;
    const unsigned indexMask = (1u << (depth < 8 ? depth : 8)) - 1;

    const auto levelAt = [&](int k) -> Level {
        if (indexed) {
            const std::size_t bit = std::size_t(k) * depth;
            return palette[(line[bit / 8] >> (8 - depth - bit % 8)) & indexMask];
        }
        if (deep) {
            std::uint16_t c[4];
            std::memcpy(c, &line[std::size_t(k) * 8], 8);
            return level16(c[0], c[1], c[2], c[3]);
        }
        const std::uint8_t* c = &line[std::size_t(k) * 4];
        return level8(c[0], c[1], c[2], c[3]);
    };

    int result = 0;
    do {
        spng_row_info row{};
        result = spng_get_row_info(ctx, &row);
        if (result != 0)
            break;
        result = spng_decode_scanline(ctx, line.data(), line.size());
        if (result != 0 && result != SPNG_EOI)
            break;
        const int y = int(row.row_num);
        if (y < 0 || y >= height || row.pass < 0 || row.pass > 6)
            damaged();
        bool ok = true;
        if (!interlaced && !indexed && !deep) {
            canvas.packRgba(y, line.data());
        } else if (!interlaced) {
            ok = canvas.packRow(y, levelAt);
        } else {
            const int x0 = kPassX[size_t(row.pass)];
            const int dx = kPassDx[size_t(row.pass)];
            const int n = width > x0 ? (width - x0 + dx - 1) / dx : 0;
            for (int k = 0; k < n; ++k)
                levels[size_t(k)] = levelAt(k);
            ok = canvas.putLevels(y, x0, dx, levels.data(), n);
        }
        if (!ok)
            damaged();  // a pixel names a colour past the palette
    } while (result == 0);
    if (result != SPNG_EOI)
        check(result == 0 ? 1 : result);
    // On to the end chunk: a file cut after its pixels is cut short too.
    check(spng_decode_chunks(ctx));
    return canvas.finish();
}

}  // namespace pictures
