// GIF through giflib's line-by-line reading: the screen size is checked as
// soon as the screen descriptor is read, the frame size before its first
// row, and only one row of indices is ever held. The first frame is the
// picture, placed on the screen at its offset; the rest of the screen is
// clear, as is the frame's transparent colour.

#include <gif_lib.h>

#include <array>
#include <memory>
#include <vector>

#include "Decoders.h"

namespace pictures {
namespace {

struct Stream {
    Reader reader;
    bool failed = false;
    Failure failure;
};

int readStream(GifFileType* gif, GifByteType* out, int length)
{
    auto* stream = static_cast<Stream*>(gif->UserData);
    try {
        return int(stream->reader.read(out, length));
    } catch (const Failure& failure) {
        stream->failed = true;
        stream->failure = failure;
        return 0;
    }
}

void closeGif(GifFileType* gif)
{
    int ignored = 0;
    DGifCloseFile(gif, &ignored);
}

// The frame rows in the order an interlaced frame stores them: every 8th
// from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
std::vector<int> interlacedRows(int height)
{
    std::vector<int> rows;
    rows.reserve(std::size_t(height));
    for (const auto& [start, step] : {std::pair{0, 8}, std::pair{4, 8}, std::pair{2, 4}, std::pair{1, 2}})
        for (int y = start; y < height; y += step)
            rows.push_back(y);
    return rows;
}

}  // namespace

TakenPicture decodeGif(ByteSource& source)
{
    Stream stream{Reader(source, 0), false, {}};
    int error = 0;
    const std::unique_ptr<GifFileType, void (*)(GifFileType*)> owner(DGifOpen(&stream, readStream, &error),
                                                                      closeGif);
    GifFileType* gif = owner.get();
    const auto check = [&](bool ok) {
        if (stream.failed)
            throw stream.failure;
        if (!ok)
            damaged();
    };
    check(gif != nullptr);

    const qint64 screenWidth = gif->SWidth;
    const qint64 screenHeight = gif->SHeight;
    const bool screenGiven = screenWidth > 0 && screenHeight > 0;
    if (screenGiven)
        checkBound(screenWidth, screenHeight);

    // Extensions up to the first frame; only its graphic control (the
    // transparent colour) matters.
    int transparent = -1;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        check(DGifGetRecordType(gif, &type) == GIF_OK);
        if (type == IMAGE_DESC_RECORD_TYPE)
            break;
        if (type != EXTENSION_RECORD_TYPE)
            damaged();  // the end, or garbage, before any frame
        int code = 0;
        GifByteType* block = nullptr;
        check(DGifGetExtension(gif, &code, &block) == GIF_OK);
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] == 4) {
            GraphicsControlBlock control{};
            if (DGifExtensionToGCB(4, block + 1, &control) == GIF_OK)
                transparent = control.TransparentColor;
        }
        while (block)
            check(DGifGetExtensionNext(gif, &block) == GIF_OK);
    }
    check(DGifGetImageDesc(gif) == GIF_OK);

    const GifImageDesc& frame = gif->Image;
    checkBound(frame.Width, frame.Height);
    // A screen of no size is taken to be the frame's extent.
    const qint64 width = screenGiven ? screenWidth : qint64(frame.Left) + frame.Width;
    const qint64 height = screenGiven ? screenHeight : qint64(frame.Top) + frame.Height;
    checkBound(width, height);

    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || !map->Colors)
        damaged();
    std::array<Level, 256> palette{};
    palette.fill(kInvalid);
    for (int i = 0; i < map->ColorCount && i < 256; ++i) {
        const GifColorType& c = map->Colors[i];
        palette[size_t(i)] = level8(c.Red, c.Green, c.Blue, i == transparent ? 0 : 255);
    }

    Canvas canvas(static_cast<int>(width), static_cast<int>(height));
    const int frameWidth = frame.Width;
    const int frameHeight = frame.Height;
    const int left = frame.Left;
    const int top = frame.Top;
    const std::vector<int> order = frame.Interlace ? interlacedRows(frameHeight) : std::vector<int>();
    std::vector<GifPixelType> line(static_cast<std::size_t>(frameWidth));
    std::vector<Level> levels(static_cast<std::size_t>(frameWidth));
    for (int i = 0; i < frameHeight; ++i) {
        check(DGifGetLine(gif, line.data(), frameWidth) == GIF_OK);
        const qint64 y = qint64(top) + (frame.Interlace ? order[size_t(i)] : i);
        if (y >= height || left >= width)
            continue;  // off the screen
        bool ok = true;
        if (left == 0 && frameWidth == width) {
            ok = canvas.packRow(int(y), [&](int x) { return palette[line[size_t(x)]]; });
        } else {
            for (int x = 0; x < frameWidth; ++x)
                levels[size_t(x)] = palette[line[size_t(x)]];
            ok = canvas.putLevels(int(y), left, 1, levels.data(), frameWidth);
        }
        if (!ok)
            damaged();  // a pixel names a colour past the colour table
    }
    return canvas.finish();
}

}  // namespace pictures
