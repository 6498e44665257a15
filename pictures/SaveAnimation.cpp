#include "SaveAnimation.h"

#include <gif_lib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

int appendBytes(GifFileType* gif, const GifByteType* bytes, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), length);
    return length;
}

void check(int result, const char* what)
{
    if (result != GIF_OK)
        throw std::runtime_error(std::string("the GIF writer failed at ") + what);
}

// The rectangle where two frames differ, as left, top, right, bottom
// (inclusive); left > right when they are the same.
struct Box {
    int left, top, right, bottom;
};
Box changed(const palvorn::Sprite& before, const palvorn::Sprite& after)
{
    Box box{after.width(), after.height(), -1, -1};
    for (int y = 0; y < after.height(); ++y) {
        const std::uint8_t* a = before.row(y);
        const std::uint8_t* b = after.row(y);
        for (int i = 0; i < after.bytesPerRow(); ++i) {
            if (a[i] == b[i])
                continue;
            box.top = std::min(box.top, y);
            box.bottom = y;
            for (int x = i * 8; x < i * 8 + 8 && x < after.width(); ++x)
                if (palvorn::rowPixel(a, x) != palvorn::rowPixel(b, x)) {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                }
        }
    }
    return box;
}

}  // namespace

QByteArray animatedGif(const std::vector<palvorn::Sprite>& frames, int scale, int delayCs, QRgb paper, QRgb ink)
{
    if (frames.empty() || frames[0].isEmpty())
        throw std::invalid_argument("an animation needs frames that hold pixels");
    if (scale < 1 || scale > kMaxAnimationScale)
        throw std::invalid_argument("scale " + std::to_string(scale) + " is outside 1.." +
                                    std::to_string(kMaxAnimationScale));
    if (delayCs < 0 || delayCs > 65535)
        throw std::invalid_argument("a frame's delay must fit 16 bits");
    const int width = frames[0].width();
    const int height = frames[0].height();
    for (const palvorn::Sprite& frame : frames)
        if (frame.width() != width || frame.height() != height)
            throw std::invalid_argument("the frames of an animation must be of one size");
    if (std::int64_t(width) * scale > 65535 || std::int64_t(height) * scale > 65535)
        throw std::invalid_argument("a GIF's sides must fit 16 bits");

    QByteArray bytes;
    int error = 0;
    GifFileType* opened = EGifOpen(&bytes, appendBytes, &error);
    if (!opened)
        throw std::runtime_error("the GIF writer could not start");
    const auto close = [](GifFileType* gif) {
        int ignored = 0;
        EGifCloseFile(gif, &ignored);
    };
    std::unique_ptr<GifFileType, decltype(close)> gif(opened, close);
    EGifSetGifVersion(gif.get(), true);

    GifColorType colours[2] = {{GifByteType(qRed(paper)), GifByteType(qGreen(paper)), GifByteType(qBlue(paper))},
                               {GifByteType(qRed(ink)), GifByteType(qGreen(ink)), GifByteType(qBlue(ink))}};
    const std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> map(GifMakeMapObject(2, colours),
                                                                         GifFreeMapObject);
    if (!map)
        throw std::runtime_error("the GIF writer could not make its colour table");
    check(EGifPutScreenDesc(gif.get(), width * scale, height * scale, 1, 0, map.get()), "the screen");

    // Loop for ever: the application extension browsers and paint programs know.
    check(EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE), "the loop");
    check(EGifPutExtensionBlock(gif.get(), 11, "NETSCAPE2.0"), "the loop");
    const GifByteType loop[3] = {1, 0, 0};
    check(EGifPutExtensionBlock(gif.get(), 3, loop), "the loop");
    check(EGifPutExtensionTrailer(gif.get()), "the loop");

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delayCs;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);

    std::vector<GifPixelType> line;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const palvorn::Sprite& frame = frames[f];
        Box box{0, 0, width - 1, height - 1};
        if (f > 0) {
            box = changed(frames[f - 1], frame);
            if (box.left > box.right)
                box = Box{0, 0, 0, 0};  // nothing changed: one pixel again, as a frame must hold one
        }
        check(EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, extension), "a frame's timing");
        const int boxWidth = (box.right - box.left + 1) * scale;
        const int boxHeight = (box.bottom - box.top + 1) * scale;
        check(EGifPutImageDesc(gif.get(), box.left * scale, box.top * scale, boxWidth, boxHeight, false, nullptr),
              "a frame");
        line.assign(std::size_t(boxWidth), 0);
        for (int y = box.top; y <= box.bottom; ++y) {
            const std::uint8_t* row = frame.row(y);
            for (int x = box.left; x <= box.right; ++x)
                std::fill_n(line.begin() + (x - box.left) * scale, scale, GifPixelType(palvorn::rowPixel(row, x)));
            for (int k = 0; k < scale; ++k)
                check(EGifPutLine(gif.get(), line.data(), boxWidth), "a frame's pixels");
        }
    }
    GifFileType* done = gif.release();
    if (EGifCloseFile(done, &error) != GIF_OK)
        throw std::runtime_error("the GIF writer failed at its end");
    return bytes;
}
