// Five poses from one picture. A GIF's frames are drawn onto a screen of
// their own, as a viewer shows them, then each is taken as a decoded picture
// is, so the pixel rule and the kept picture are those of any other intake.

#include "TakeSheet.h"

#include <gif_lib.h>

#include <QFile>
#include <QImage>
#include <cstring>
#include <memory>

#include "Decoders.h"
#include "Failure.h"
#include "Sheet.h"
#include "SpriteOps.h"

namespace pictures {
namespace {

// The frames of a sheet hold at most kMaxPicturePixels; their LZW codes
// take at most 12 bits a pixel, and a file more than that is not one.
constexpr qint64 kMaxSheetFileBytes = kMaxPicturePixels * 3 / 2 + (qint64(1) << 20);

struct Stream {
    const QByteArray* bytes;
    qint64 at = 0;
};

int readBytes(GifFileType* gif, GifByteType* out, int length)
{
    auto* stream = static_cast<Stream*>(gif->UserData);
    const qint64 n = std::min<qint64>(length, stream->bytes->size() - stream->at);
    std::memcpy(out, stream->bytes->constData() + stream->at, std::size_t(n));
    stream->at += n;
    return int(n);
}

std::vector<TakenPicture> gifFrames(const QByteArray& bytes, int maxFrames)
{
    Stream stream{&bytes};
    int error = 0;
    const auto close = [](GifFileType* gif) {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    };
    const std::unique_ptr<GifFileType, decltype(close)> owner(DGifOpen(&stream, readBytes, &error), close);
    GifFileType* gif = owner.get();
    if (!gif)
        damaged();
    const auto check = [](int result) {
        if (result != GIF_OK)
            damaged();
    };
    checkBound(gif->SWidth, gif->SHeight);
    const int width = gif->SWidth;
    const int height = gif->SHeight;
    const qint64 framePixels = qint64(width) * height;

    QImage screen(width, height, QImage::Format_ARGB32);
    if (screen.isNull())
        fail(PictureError::Kind::TooLarge);
    screen.fill(Qt::transparent);
    QImage saved;  // the screen before a frame that asks to be undone afterwards
    std::vector<TakenPicture> frames;
    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    int disposal = DISPOSAL_UNSPECIFIED;
    QRect last;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        check(DGifGetRecordType(gif, &type));
        if (type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            check(DGifGetExtension(gif, &code, &block));
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] == 4)
                DGifExtensionToGCB(4, block + 1, &control);
            while (block)
                check(DGifGetExtensionNext(gif, &block));
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            damaged();
        check(DGifGetImageDesc(gif));
        if (int(frames.size()) == maxFrames) {
            frames.emplace_back();  // one more than asked for
            return frames;
        }
        if (qint64(frames.size() + 1) * framePixels > kMaxPicturePixels)
            throw Failure{PictureError::Kind::TooLarge, width, qint64(height) * qint64(frames.size() + 1), {}};

        // What the frame before asked for once shown.
        if (disposal == DISPOSE_BACKGROUND) {
            for (int y = std::max(0, last.top()); y <= std::min(height - 1, last.bottom()); ++y)
                for (int x = std::max(0, last.left()); x <= std::min(width - 1, last.right()); ++x)
                    screen.setPixel(x, y, 0);
        } else if (disposal == DISPOSE_PREVIOUS && !saved.isNull()) {
            screen = saved;
        }
        disposal = control.DisposalMode;
        if (disposal == DISPOSE_PREVIOUS)
            saved = screen.copy();

        const GifImageDesc& frame = gif->Image;
        checkBound(frame.Width, frame.Height);
        last = QRect(frame.Left, frame.Top, frame.Width, frame.Height);
        const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!map || !map->Colors)
            damaged();
        std::vector<GifPixelType> line(std::size_t(frame.Width));
        std::vector<int> rows;
        for (int y = 0; y < frame.Height; ++y)
            rows.push_back(y);
        if (frame.Interlace) {
            rows.clear();
            for (const auto& [start, step] : {std::pair{0, 8}, std::pair{4, 8}, std::pair{2, 4}, std::pair{1, 2}})
                for (int y = start; y < frame.Height; y += step)
                    rows.push_back(y);
        }
        for (const int row : rows) {
            check(DGifGetLine(gif, line.data(), frame.Width));
            const int y = frame.Top + row;
            if (y < 0 || y >= height)
                continue;
            auto* out = reinterpret_cast<QRgb*>(screen.scanLine(y));
            for (int i = 0; i < frame.Width; ++i) {
                const int x = frame.Left + i;
                const int index = line[std::size_t(i)];
                if (x >= width || index == control.TransparentColor)
                    continue;
                if (index >= map->ColorCount)
                    damaged();
                const GifColorType& c = map->Colors[index];
                out[x] = qRgb(c.Red, c.Green, c.Blue);
            }
        }
        frames.push_back(decodeImage(screen));
        startConversion(frames.back(), nullptr);
        control = GraphicsControlBlock{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
    }
    if (frames.empty())
        damaged();
    return frames;
}

}  // namespace
}  // namespace pictures

std::optional<PosePictures> sheetPoses(const TakenPicture& picture)
{
    const auto parts = picture.picture ? palvorn::sheetParts(*picture.picture)
                                       : palvorn::sheetParts(picture.sprite, picture.marked);
    if (!parts)
        return std::nullopt;
    PosePictures poses;
    for (int i = 0; i < palvorn::kPoses; ++i) {
        const palvorn::PixelRect& part = (*parts)[std::size_t(i)];
        TakenPicture& pose = poses[std::size_t(i)];
        pose.sprite = palvorn::cropped(picture.sprite, part);
        if (!picture.marked.isEmpty())
            pose.marked = palvorn::cropped(picture.marked, part);
        if (picture.picture)
            pose.picture = std::make_shared<const palvorn::GreyPicture>(
                picture.picture->cropped(part.left, part.top, part.width, part.height));
        // The sheet's conversion made the sprite cut here, so each part keeps it.
        pose.conversion = picture.conversion;
        pose.note = picture.note;
    }
    return poses;
}

std::vector<TakenPicture> takeGifFrames(const QByteArray& bytes, const QString& nameForMessages, int maxFrames)
{
    // Whatever the one-picture intake refuses is refused in its words.
    takePictureData(bytes, nameForMessages);
    if (!bytes.startsWith("GIF8"))
        return {takePictureData(bytes, nameForMessages)};
    const QString subject = nameForMessages.isEmpty() ? QStringLiteral("The picture")
                                                      : QStringLiteral("The file \"%1\"").arg(nameForMessages);
    try {
        return pictures::gifFrames(bytes, maxFrames);
    } catch (const pictures::Failure& failure) {
        if (failure.kind == PictureError::Kind::TooLarge)
            throw PictureError(failure.kind, subject + QStringLiteral(" holds more frames than can be taken: "
                                                                      "together over %1 pixels.")
                                                           .arg(kMaxPicturePixels));
        throw PictureError(PictureError::Kind::Damaged, subject + QStringLiteral(" is damaged or cut short."));
    }
}

std::optional<PosePictures> gifFramePoses(const QByteArray& bytes)
{
    if (!bytes.startsWith("GIF8"))
        return std::nullopt;
    std::vector<TakenPicture> frames;
    try {
        frames = pictures::gifFrames(bytes, palvorn::kPoses);
    } catch (const pictures::Failure&) {
        return std::nullopt;
    }
    if (frames.size() != std::size_t(palvorn::kPoses))
        return std::nullopt;
    PosePictures poses;
    std::move(frames.begin(), frames.end(), poses.begin());
    return poses;
}

std::optional<PosePictures> gifFramePosesFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    char head[4] = {};
    if (file.read(head, 4) != 4 || std::memcmp(head, "GIF8", 4) != 0)
        return std::nullopt;
    // A file larger than any five frames within the bound need be is no sheet.
    if (file.size() > pictures::kMaxSheetFileBytes)
        return std::nullopt;
    file.seek(0);
    return gifFramePoses(file.readAll());
}
