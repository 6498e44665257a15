// JPEG through libjpeg-turbo: baseline and progressive, grey, colour and
// CMYK, a block of rows at a time straight into the kept picture. The size
// is checked from the header before libjpeg takes any memory for the
// pixels, and an EXIF orientation turns the picture upright afterwards.
//
// libjpeg reports errors by a call that must not return; it is written in C,
// so a C++ exception may not pass through it. Its errors, and a read error
// of the file underneath, leave through longjmp to the one function below
// that calls libjpeg, which holds nothing that needs destroying.

#include <cstdio>  // jpeglib.h needs FILE
#include <csetjmp>

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "Decoders.h"

namespace pictures {
namespace {

using Kind = PictureError::Kind;
using palvorn::GreyPicture;

// libjpeg's own memory for one picture: the coefficients of a progressive
// 4096 × 4096 colour picture (96 MB at full chroma) and its working rows.
constexpr long kJpegMemory = 112L << 20;

struct Session {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_source_mgr feed{};
    std::jmp_buf jump{};
    ByteSource* source = nullptr;
    qint64 at = 0;  // next byte of the source to feed
    std::vector<std::uint8_t> buffer;
    std::optional<Failure> failure;  // why it stopped, when not libjpeg's own error
    bool cutShort = false;
    bool created = false;

    ~Session()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

Session& sessionOf(j_common_ptr info) { return *static_cast<Session*>(info->client_data); }

[[noreturn]] void onError(j_common_ptr info)
{
    Session& s = sessionOf(info);
    // The kinds of JPEG this library does not read are named; the rest is damage.
    if (info->err->msg_code == JERR_BAD_PRECISION)
        s.failure = Failure{Kind::Unsupported, 0, 0, QStringLiteral("a JPEG picture of more than 8 bits a channel")};
    else if (info->err->msg_code == JERR_CONVERSION_NOTIMPL || info->err->msg_code == JERR_BAD_J_COLORSPACE)
        s.failure = Failure{Kind::Unsupported, 0, 0, QStringLiteral("a JPEG picture in an unknown colour space")};
    std::longjmp(s.jump, 1);
}

void onMessage(j_common_ptr info, int level)
{
    // A warning: only a file cut short matters, which libjpeg would pass
    // off as ending in grey.
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        sessionOf(info).cutShort = true;
}

void startFeed(j_decompress_ptr) {}

boolean fill(j_decompress_ptr info)
{
    Session& s = sessionOf(reinterpret_cast<j_common_ptr>(info));
    static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
    const qint64 n = std::min<qint64>(qint64(s.buffer.size()), s.source->size() - s.at);
    if (n <= 0) {
        // The file ends inside the picture: libjpeg is handed an end marker.
        s.cutShort = true;
        info->src->next_input_byte = kEnd;
        info->src->bytes_in_buffer = 2;
        return TRUE;
    }
    bool read = false;
    try {
        read = s.source->readAt(s.at, s.buffer.data(), n);
    } catch (const Failure& failure) {
        s.failure = failure;
    }
    if (!read) {
        if (!s.failure)
            s.failure = Failure{Kind::Damaged, 0, 0, {}};
        std::longjmp(s.jump, 1);
    }
    s.at += n;
    info->src->next_input_byte = s.buffer.data();
    info->src->bytes_in_buffer = std::size_t(n);
    return TRUE;
}

void skip(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr& feed = *info->src;
    while (count > long(feed.bytes_in_buffer)) {
        count -= long(feed.bytes_in_buffer);
        feed.bytes_in_buffer = 0;
        fill(info);
    }
    feed.next_input_byte += count;
    feed.bytes_in_buffer -= std::size_t(count);
}

void endFeed(j_decompress_ptr) {}

// The EXIF orientation (1..8) in a saved APP1 marker; 1 when none.
int exifOrientation(const jpeg_saved_marker_ptr markers)
{
    for (jpeg_saved_marker_ptr m = markers; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length < 14 || std::memcmp(m->data, "Exif\0\0", 6) != 0)
            continue;
        const JOCTET* tiff = m->data + 6;
        const std::size_t size = m->data_length - 6;
        const bool little = tiff[0] == 'I' && tiff[1] == 'I';
        if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
            return 1;
        const auto u16 = [&](std::size_t at) -> unsigned {
            return at + 2 > size ? 0 : little ? tiff[at] | tiff[at + 1] << 8 : tiff[at] << 8 | tiff[at + 1];
        };
        const auto u32 = [&](std::size_t at) -> std::size_t {
            return little ? u16(at) | std::size_t(u16(at + 2)) << 16 : std::size_t(u16(at)) << 16 | u16(at + 2);
        };
        const std::size_t ifd = u32(4);
        const unsigned entries = u16(ifd);
        for (unsigned i = 0; i < entries; ++i) {
            const std::size_t entry = ifd + 2 + 12 * std::size_t(i);
            if (entry + 12 > size)
                break;
            if (u16(entry) == 0x0112) {  // Orientation, a SHORT
                const unsigned value = u16(entry + 8);
                return value >= 1 && value <= 8 ? int(value) : 1;
            }
        }
        return 1;
    }
    return 1;
}

// How libjpeg gives the pixels, and how each row is packed.
enum class Pixels { Grey, Rgb, Cmyk, InvertedCmyk };

struct Decoded {
    int orientation = 1;
};

// The one function that calls libjpeg: everything it makes lives in s,
// canvas, rows and rgb, outside it, so that a longjmp here skips no
// destructor. False when libjpeg or the feed stopped (s.failure says why,
// if anyone).
bool runJpeg(Session& s, std::optional<Canvas>& canvas, std::vector<std::uint8_t>& rows,
             std::vector<std::uint8_t>& rgb, Decoded& out)
{
    if (setjmp(s.jump) != 0)
        return false;
    jpeg_create_decompress(&s.info);
    s.created = true;
    s.info.client_data = &s;
    s.info.mem->max_memory_to_use = kJpegMemory;
    s.info.src = &s.feed;
    jpeg_save_markers(&s.info, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&s.info, TRUE) != JPEG_HEADER_OK)
        return false;
    checkBound(s.info.image_width, s.info.image_height);  // before libjpeg takes memory for pixels
    out.orientation = exifOrientation(s.info.marker_list);

    Pixels pixels = Pixels::Rgb;
    switch (s.info.jpeg_color_space) {
    case JCS_GRAYSCALE:
        s.info.out_color_space = JCS_GRAYSCALE;
        pixels = Pixels::Grey;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        s.info.out_color_space = JCS_CMYK;
        // Adobe's programs write CMYK inverted, and say so in their marker.
        pixels = s.info.saw_Adobe_marker ? Pixels::InvertedCmyk : Pixels::Cmyk;
        break;
    default:
        s.info.out_color_space = JCS_RGB;
        break;
    }
    jpeg_start_decompress(&s.info);
    const int width = int(s.info.output_width);
    const int components = s.info.output_components;
    canvas.emplace(width, int(s.info.output_height), Canvas::Rows::AllWritten);
    canvas->startAtThreshold("JPEG");
    JSAMPROW pointers[16];
    const int block = std::clamp(s.info.rec_outbuf_height * 4, 1, 16);
    const std::size_t stride = std::size_t(width) * std::size_t(components);
    rows.resize(stride * std::size_t(block));
    if (pixels == Pixels::Cmyk || pixels == Pixels::InvertedCmyk)
        rgb.resize(std::size_t(width) * 3);
    for (int i = 0; i < block; ++i)
        pointers[i] = rows.data() + stride * std::size_t(i);
    while (s.info.output_scanline < s.info.output_height) {
        const int first = int(s.info.output_scanline);
        const int got = int(jpeg_read_scanlines(&s.info, pointers, JDIMENSION(block)));
        for (int r = 0; r < got; ++r) {
            const std::uint8_t* p = pointers[r];
            switch (pixels) {
            case Pixels::Grey:
                canvas->packGrey(first + r, p);
                break;
            case Pixels::Rgb:
                canvas->packRgb(first + r, p);
                break;
            case Pixels::Cmyk:
            case Pixels::InvertedCmyk: {
                const unsigned flip = pixels == Pixels::Cmyk ? 255 : 0;
                for (int x = 0; x < width; ++x) {
                    const unsigned k = p[4 * x + 3] ^ flip;
                    for (int c = 0; c < 3; ++c)
                        rgb[std::size_t(3 * x + c)] = std::uint8_t(((p[4 * x + c] ^ flip) * k + 127) / 255);
                }
                canvas->packRgb(first + r, rgb.data());
                break;
            }
            }
        }
    }
    jpeg_finish_decompress(&s.info);
    return true;
}

// The picture turned as EXIF orientation `o` asks, so that it stands as
// its camera saw it.
GreyPicture oriented(const GreyPicture& picture, int o)
{
    const int w = picture.width(), h = picture.height();
    const bool across = o >= 5;  // the sides swap
    const int ow = across ? h : w, oh = across ? w : h;
    GreyPicture::Levels levels(std::size_t(ow) * std::size_t(oh));
    for (int y = 0; y < h; ++y) {
        const std::uint16_t* row = picture.row(y);
        for (int x = 0; x < w; ++x) {
            int tx = x, ty = y;
            switch (o) {
            case 2: tx = w - 1 - x; break;
            case 3: tx = w - 1 - x; ty = h - 1 - y; break;
            case 4: ty = h - 1 - y; break;
            case 5: tx = y; ty = x; break;
            case 6: tx = h - 1 - y; ty = x; break;
            case 7: tx = h - 1 - y; ty = w - 1 - x; break;
            case 8: tx = y; ty = w - 1 - x; break;
            default: break;
            }
            levels[std::size_t(ty) * std::size_t(ow) + std::size_t(tx)] = row[x];
        }
    }
    return GreyPicture(ow, oh, std::move(levels), GreyPicture::Checked{});  // the same levels, moved
}

}  // namespace

TakenPicture decodeJpeg(ByteSource& source)
{
    Session s;
    s.source = &source;
    s.buffer.resize(64 << 10);
    s.info.err = jpeg_std_error(&s.errors);
    s.errors.error_exit = onError;
    s.errors.emit_message = onMessage;
    s.feed.init_source = startFeed;
    s.feed.fill_input_buffer = fill;
    s.feed.skip_input_data = skip;
    s.feed.resync_to_restart = jpeg_resync_to_restart;
    s.feed.term_source = endFeed;
    if (const std::uint8_t* all = source.view(0, source.size())) {
        // Bytes in memory are fed whole; the end is handled as for a file.
        s.feed.next_input_byte = all;
        s.feed.bytes_in_buffer = std::size_t(source.size());
        s.at = source.size();
    }
    std::optional<Canvas> canvas;
    std::vector<std::uint8_t> rows;
    std::vector<std::uint8_t> rgb;
    Decoded decoded;
    const bool done = runJpeg(s, canvas, rows, rgb, decoded);
    if (s.failure)
        throw *s.failure;
    if (!done || s.cutShort)
        damaged();
    TakenPicture taken = canvas->finish();
    if (decoded.orientation != 1) {
        auto upright = std::make_shared<const GreyPicture>(oriented(*taken.picture, decoded.orientation));
        palvorn::Converted turned = palvorn::convert(*upright, taken.conversion);
        taken.sprite = std::move(turned.sprite);
        taken.marked = std::move(turned.marked);
        taken.picture = std::move(upright);
    }
    return taken;
}

}  // namespace pictures
