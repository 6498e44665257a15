// Bitmaps (BMP): every header from the oldest 12-byte one to the 124-byte
// one; 1, 2, 4 and 8 bits through a palette, plain or run-length coded;
// 16 and 32 bits through bit fields, 24 and 32 bits plain. Rows go straight
// from the file into packed bits, a block of rows at a time.

#include <algorithm>
#include <array>
#include <vector>

#include "Decoders.h"

namespace pictures {
namespace {

using Kind = PictureError::Kind;

quint32 le32(const std::uint8_t* p) { return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24; }
quint32 le16(const std::uint8_t* p) { return quint32(p[0]) | quint32(p[1]) << 8; }

// One colour of a bit-field pixel: its bits, and the range they give.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint64 max = 0;

    explicit Channel(quint32 m = 0) : mask(m)
    {
        while (m && !(m & 1u)) {
            m >>= 1;
            ++shift;
        }
        max = m;
    }
    // The value scaled to 0..255; a channel without bits is 0.
    unsigned to8(quint32 pixel) const
    {
        return max ? unsigned(((quint64(pixel & mask) >> shift) * 255 + max / 2) / max) : 0;
    }
};

// A bit-field pixel by the rule. Black and opaque are judged on the stored
// bits, not the 8-bit widening: any colour bit set is not black.
struct Fields {
    Channel r, g, b, a;
    quint32 colourBits = 0;

    Level level(quint32 pixel, bool useAlpha) const
    {
        if (useAlpha && (pixel & a.mask) == 0)
            return palvorn::GreyPicture::kTransparent;
        if ((pixel & colourBits) == 0 && (!useAlpha || (pixel & a.mask) == a.mask))
            return palvorn::GreyPicture::kBlack;
        const Level widened = level8(r.to8(pixel), g.to8(pixel), b.to8(pixel), useAlpha ? a.to8(pixel) : 255);
        // Colour bits that widen to 0 are still not black.
        return widened == palvorn::GreyPicture::kBlack ? Level(0) : widened;
    }
};

enum class Coding { Plain, Rle8, Rle4, Fields };

struct Header {
    int width = 0;
    int height = 0;
    bool topDown = false;
    unsigned bpp = 0;
    Coding coding = Coding::Plain;
    Fields fields;       // 16 and 32 bits
    bool alpha = false;  // the pixels carry alpha (subject to the all-zero rule)
    qint64 offset = 0;   // of the pixel data
    std::array<Level, 256> palette{};  // level per index; kInvalid past the palette
};

Header readHeader(ByteSource& in)
{
    // File header, the longest info header, and up to four masks after it.
    std::array<std::uint8_t, 14 + 124 + 16> h{};
    const qint64 have = std::min<qint64>(in.size(), qint64(h.size()));
    if (have < 18 || !in.readAt(0, h.data(), have))
        damaged();
    const quint32 headerSize = le32(&h[14]);
    switch (headerSize) {
    case 12: case 40: case 52: case 56: case 64: case 108: case 124:
        break;
    default:
        damaged();
    }
    if (in.size() < 14 + qint64(headerSize))
        damaged();

    Header out;
    qint64 width = 0;
    qint64 height = 0;
    quint32 compression = 0;
    quint32 coloursUsed = 0;
    int entrySize = 4;
    if (headerSize == 12) {
        width = le16(&h[18]);
        height = le16(&h[20]);
        out.bpp = le16(&h[24]);
        entrySize = 3;
    } else {
        width = qint32(le32(&h[18]));
        height = qint32(le32(&h[22]));
        out.topDown = height < 0;
        height = out.topDown ? -height : height;
        out.bpp = le16(&h[28]);
        compression = le32(&h[30]);
        coloursUsed = le32(&h[46]);
    }
    checkBound(width, height);
    out.width = int(width);
    out.height = int(height);

    qint64 afterHeader = 14 + qint64(headerSize);
    const auto bppIs = [&](std::initializer_list<unsigned> allowed) {
        if (std::find(allowed.begin(), allowed.end(), out.bpp) == allowed.end())
            damaged();
    };
    if (headerSize == 64 && (compression == 3 || compression == 4))
        fail(Kind::Unsupported, QStringLiteral("an OS/2 bitmap with Huffman or 24-bit run-length coding"));
    switch (compression) {
    case 0:
        if (out.bpp == 64)
            fail(Kind::Unsupported, QStringLiteral("a 64-bit bitmap"));
        bppIs({1, 2, 4, 8, 16, 24, 32});
        break;
    case 1:
        bppIs({8});
        out.coding = Coding::Rle8;
        break;
    case 2:
        bppIs({4});
        out.coding = Coding::Rle4;
        break;
    case 3:  // bit fields
    case 6:  // bit fields with alpha
        bppIs({16, 32});
        out.coding = Coding::Fields;
        break;
    case 4:
        fail(Kind::Unsupported, QStringLiteral("a bitmap holding a JPEG picture"));
    case 5:
        fail(Kind::Unsupported, QStringLiteral("a bitmap holding a PNG picture"));
    default:
        damaged();
    }

    quint32 masks[4] = {};
    if (out.coding == Coding::Fields) {
        if (headerSize == 40) {  // the masks follow the header
            const int count = compression == 6 ? 4 : 3;
            if (in.size() < afterHeader + 4 * count)
                damaged();
            for (int i = 0; i < count; ++i)
                masks[i] = le32(&h[54 + 4 * i]);
            afterHeader += 4 * count;
        } else {
            for (int i = 0; i < 3; ++i)
                masks[i] = le32(&h[54 + 4 * i]);
            masks[3] = headerSize >= 56 ? le32(&h[66]) : 0;
        }
        if ((masks[0] | masks[1] | masks[2]) == 0)
            damaged();
        if (out.bpp == 16 && ((masks[0] | masks[1] | masks[2] | masks[3]) >> 16) != 0)
            damaged();
    } else if (out.bpp == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (out.bpp == 32) {
        // The fourth byte is alpha: writers that leave it unset leave it 0
        // everywhere, which the all-zero rule reads as opaque.
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
        masks[3] = 0xFF000000;
    }
    out.fields.r = Channel(masks[0]);
    out.fields.g = Channel(masks[1]);
    out.fields.b = Channel(masks[2]);
    out.fields.a = Channel(masks[3]);
    out.fields.colourBits = masks[0] | masks[1] | masks[2];
    out.alpha = masks[3] != 0;

    out.offset = le32(&h[10]);
    if (out.offset < afterHeader || out.offset >= in.size())
        damaged();

    out.palette.fill(kInvalid);
    if (out.bpp <= 8) {
        qint64 count = qint64(1) << out.bpp;
        if (coloursUsed != 0 && coloursUsed < count)
            count = coloursUsed;
        // A palette ends where the pixels start.
        count = std::min(count, (out.offset - afterHeader) / entrySize);
        std::array<std::uint8_t, 256 * 4> entries{};
        if (!in.readAt(afterHeader, entries.data(), count * entrySize))
            damaged();
        for (qint64 i = 0; i < count; ++i) {
            const std::uint8_t* e = &entries[size_t(i * entrySize)];
            out.palette[size_t(i)] = level8(e[2], e[1], e[0], 255);
        }
    }
    return out;
}

// A 16-bit pixel's level from a table of all 65536, made once per picture
// and alpha reading.
std::vector<Level> table16(const Fields& fields, bool useAlpha)
{
    std::vector<Level> table(65536);
    for (quint32 v = 0; v < 65536; ++v)
        table[v] = fields.level(v, useAlpha);
    return table;
}

bool standard32(const Fields& f)
{
    return f.r.mask == 0x00FF0000 && f.g.mask == 0x0000FF00 && f.b.mask == 0x000000FF &&
           (f.a.mask == 0 || f.a.mask == 0xFF000000);
}

// Uncompressed rows, a block at a time, bottom row first unless top-down.
void readPlain(ByteSource& in, const Header& h, Canvas& canvas)
{
    const qint64 rowBytes = (qint64(h.width) * h.bpp + 31) / 32 * 4;
    // The length the header implies, checked before the first row is read.
    if (h.offset + rowBytes * h.height > in.size())
        damaged();

    // Blocks small enough to stay in the cache and to cost few page faults.
    const int blockRows = int(std::max<qint64>(1, (64 << 10) / rowBytes));
    std::vector<std::uint8_t> buffer;
    bool alphaSeen = false;  // some alpha byte was not 0: alpha counts from now on
    std::vector<Level> lut16;
    const bool fast32 = h.bpp == 32 && standard32(h.fields);
    const int w = h.width;

    for (int first = 0; first < h.height; first += blockRows) {
        const int rows = std::min(blockRows, h.height - first);
        const qint64 at = h.offset + qint64(first) * rowBytes;
        const std::uint8_t* block = in.view(at, rows * rowBytes);
        if (!block) {
            buffer.resize(size_t(rows * rowBytes));
            if (!in.readAt(at, buffer.data(), rows * rowBytes))
                damaged();
            block = buffer.data();
        }
        for (int r = 0; r < rows; ++r) {
            const std::uint8_t* p = block + r * rowBytes;
            const int fileRow = first + r;
            const int y = h.topDown ? fileRow : h.height - 1 - fileRow;

            if (h.alpha && !alphaSeen) {
                bool any = false;
                if (h.bpp == 16)
                    for (int x = 0; x < w && !any; ++x)
                        any = (le16(p + 2 * x) & h.fields.a.mask) != 0;
                else
                    for (int x = 0; x < w && !any; ++x)
                        any = (le32(p + 4 * x) & h.fields.a.mask) != 0;
                if (any) {
                    // The rows before were all alpha 0: under alpha they are
                    // fully transparent, so clear.
                    alphaSeen = true;
                    if (h.topDown)
                        canvas.clearRows(0, y);
                    else
                        canvas.clearRows(y + 1, h.height);
                    lut16.clear();
                }
            }

            bool ok = true;
            switch (h.bpp) {
            case 1:
                // A 1-bit row is packed as a sprite row is.
                ok = canvas.packRow(y, [&](int x) { return h.palette[palvorn::rowPixel(p, x)]; });
                break;
            case 2:
                ok = canvas.packRow(y, [&](int x) { return h.palette[p[x >> 2] >> (6 - 2 * (x & 3)) & 3]; });
                break;
            case 4:
                ok = canvas.packRow(y, [&](int x) { return h.palette[p[x >> 1] >> (x & 1 ? 0 : 4) & 15]; });
                break;
            case 8:
                ok = canvas.packRow(y, [&](int x) { return h.palette[p[x]]; });
                break;
            case 24:
                canvas.packBgr(y, p);
                break;
            case 16:
                if (lut16.empty())
                    lut16 = table16(h.fields, alphaSeen);
                canvas.packRow(y, [&](int x) { return lut16[le16(p + 2 * x)]; });
                break;
            case 32:
                if (fast32) {
                    canvas.packBgra(y, p, alphaSeen);
                } else {
                    canvas.packRow(y, [&](int x) { return h.fields.level(le32(p + 4 * x), alphaSeen); });
                }
                break;
            }
            if (!ok)
                damaged();  // a pixel names a colour past the palette
        }
    }
}

// Run-length coded rows. Pixels the stream skips (by a jump, or by ending
// the picture early) stay transparent; runs past the right edge are cut there.
void readRunLength(ByteSource& in, const Header& h, Canvas& canvas)
{
    const bool four = h.coding == Coding::Rle4;
    Reader stream(in, h.offset);
    std::vector<Level> row(size_t(h.width), palvorn::GreyPicture::kTransparent);
    int fileRow = 0;
    int x = 0;
    bool bad = false;

    const auto flush = [&] {
        const int y = h.topDown ? fileRow : h.height - 1 - fileRow;
        canvas.packRow(y, [&](int i) { return row[size_t(i)]; });
        std::fill(row.begin(), row.end(), palvorn::GreyPicture::kTransparent);
    };
    const auto put = [&](unsigned index) {
        if (x < h.width) {
            const Level level = h.palette[index];
            bad |= level == kInvalid;
            row[size_t(x)] = level;
        }
        ++x;
    };

    std::array<std::uint8_t, 256> literal{};  // up to 255 pixels, padded
    for (;;) {
        std::uint8_t count = 0;
        std::uint8_t code = 0;
        if (!stream.next(&count) || !stream.next(&code))
            damaged();  // cut short: the stream ends inside the picture
        if (count > 0) {
            // A run; only the pixels within the row are placed.
            const int placed = std::max(0, std::min<int>(count, h.width - x));
            for (int i = 0; i < placed; ++i)
                put(four ? (i & 1 ? code & 15u : unsigned(code) >> 4) : code);
            x += count - placed;
            continue;
        }
        if (code == 0) {  // end of row
            flush();
            x = 0;
            if (++fileRow == h.height)
                break;
        } else if (code == 1) {  // end of picture
            flush();
            break;
        } else if (code == 2) {  // jump right and up
            std::uint8_t dx = 0;
            std::uint8_t dy = 0;
            if (!stream.next(&dx) || !stream.next(&dy))
                damaged();
            if (dy > 0) {
                flush();
                fileRow += dy;
            }
            x += dx;
            if (fileRow >= h.height)
                damaged();  // a jump out of the picture
        } else {  // code pixels given one by one, padded to a 16-bit word
            const int bytes = four ? (code + 1) / 2 : code;
            const int padded = bytes + (bytes & 1);
            if (stream.read(literal.data(), padded) != padded)
                damaged();
            for (int i = 0; i < code; ++i)
                put(four ? (i & 1 ? literal[size_t(i / 2)] & 15u : unsigned(literal[size_t(i / 2)]) >> 4)
                         : literal[size_t(i)]);
        }
        if (bad)
            damaged();  // a pixel names a colour past the palette
    }
    if (bad)
        damaged();
}

}  // namespace

TakenPicture decodeBmp(ByteSource& source)
{
    const Header header = readHeader(source);
    if (header.coding == Coding::Rle8 || header.coding == Coding::Rle4) {
        Canvas canvas(header.width, header.height);
        readRunLength(source, header, canvas);
        return canvas.finish();
    }
    // Plain rows are all there (checked from the file's length) or refused.
    Canvas canvas(header.width, header.height, Canvas::Rows::AllWritten);
    readPlain(source, header, canvas);
    return canvas.finish();
}

}  // namespace pictures
