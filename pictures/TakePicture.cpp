#include "TakePicture.h"

#include <QDir>
#include <QFileInfo>

#include <QStringList>
#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>

#include "Decoders.h"

using Kind = PictureError::Kind;

PictureError::PictureError(Kind kind, const QString& message)
    : std::runtime_error(message.toStdString()), kind_(kind)
{
}

namespace pictures {
namespace {

enum class Format { Bmp, Png, Gif, Jpeg, Webp };

bool startsWith(const QByteArray& head, const char* magic, qsizetype length)
{
    return head.size() >= length && std::memcmp(head.constData(), magic, size_t(length)) == 0;
}

// Pictures in other formats, by their opening bytes, so that they are told
// apart from files that are no picture at all. Null when none matches.
const char* otherFormat(const QByteArray& head)
{
    if (startsWith(head, "II*\0", 4) || startsWith(head, "MM\0*", 4))
        return "a TIFF picture";
    if (head.mid(4, 4) == "ftyp" && (head.mid(8, 4) == "avif" || head.mid(8, 4) == "heic" ||
                                     head.mid(8, 4) == "heix" || head.mid(8, 4) == "mif1"))
        return "an AVIF or HEIF picture";
    if (startsWith(head, "\0\0\0\x0CjP  ", 8) || startsWith(head, "\xFF\x4F\xFF\x51", 4))
        return "a JPEG 2000 picture";
    if (startsWith(head, "\xFF\x0A", 2) || startsWith(head, "\0\0\0\x0CJXL ", 8))
        return "a JPEG XL picture";
    if (startsWith(head, "\0\0\1\0", 4) || startsWith(head, "\0\0\2\0", 4))
        return "an icon or cursor (ICO, CUR)";
    if (startsWith(head, "8BPS", 4))
        return "a Photoshop picture (PSD)";
    if (startsWith(head, "qoif", 4))
        return "a QOI picture";
    if (startsWith(head, "/* XPM */", 9))
        return "an XPM picture";
    if (startsWith(head, "#define ", 8) && head.contains("_width"))
        return "an XBM picture";
    if (head.size() >= 3 && head[0] == 'P' && head[1] >= '1' && head[1] <= '7' && QChar::isSpace(uchar(head[2])))
        return "a Netpbm picture (PBM, PGM, PPM)";
    if (head.contains("<svg"))
        return "an SVG drawing";
    return nullptr;
}

Format sniff(ByteSource& source)
{
    QByteArray head(int(std::min<qint64>(source.size(), 1024)), '\0');
    if (!source.readAt(0, head.data(), head.size()))
        damaged();
    if (head.isEmpty())
        fail(Kind::NotAPicture, QStringLiteral("empty"));
    if (startsWith(head, "BM", 2))
        return Format::Bmp;
    if (startsWith(head, "\x89PNG", 4)) {
        if (!startsWith(head, "\x89PNG\r\n\x1A\n", 8))
            damaged();  // line ends changed in transfer, or cut in the signature
        return Format::Png;
    }
    if (startsWith(head, "GIF8", 4))
        return Format::Gif;
    if (startsWith(head, "\xFF\xD8\xFF", 3))
        return Format::Jpeg;
    if (startsWith(head, "RIFF", 4) && head.mid(8, 4) == "WEBP")
        return Format::Webp;
    if (const char* other = otherFormat(head))
        fail(Kind::Unsupported, QString::fromLatin1(other));
    fail(Kind::NotAPicture);
}

// The picture in source, at the conversion it starts with.
TakenPicture decode(ByteSource& source)
{
    TakenPicture taken;
    const char* lossy = nullptr;
    switch (sniff(source)) {
    case Format::Bmp:
        taken = decodeBmp(source);
        break;
    case Format::Png:
        taken = decodePng(source);
        break;
    case Format::Gif:
        taken = decodeGif(source);
        break;
    case Format::Jpeg:
        taken = decodeJpeg(source);
        lossy = "JPEG";
        break;
    case Format::Webp:
        taken = decodeWebp(source);
        lossy = "WebP";
        break;
    }
    startConversion(taken, lossy);
    return taken;
}

bool anyPixel(const palvorn::Sprite& sprite)
{
    for (int y = 0; y < sprite.height(); ++y) {
        const std::uint8_t* row = sprite.row(y);
        if (std::any_of(row, row + sprite.bytesPerRow(), [](std::uint8_t b) { return b != 0; }))
            return true;
    }
    return false;
}

const QString kFormats = QStringLiteral(" Pictures can be BMP, PNG, GIF, JPEG or WebP files.");

// The user's message for a failure; `subject` names the file ("The file
// "x.png"") or the picture ("The picture"); `file` says which.
PictureError toError(const Failure& failure, const QString& subject, bool file)
{
    QString text;
    switch (failure.kind) {
    case Kind::NotAPicture:
        if (!file) {
            text = QStringLiteral("There is no picture to take.");
            break;
        }
        text = subject + (failure.detail == QLatin1String("empty") ? QStringLiteral(" is empty, not a picture.")
                                                                  : QStringLiteral(" is not a picture.")) +
               kFormats;
        break;
    case Kind::Unsupported:
        text = QStringLiteral("%1 is %2, which cannot be read.").arg(subject, failure.detail) + kFormats;
        break;
    case Kind::Damaged:
        text = subject + QStringLiteral(" is damaged or cut short.");
        break;
    case Kind::TooLarge: {
        const QString size = QStringLiteral("%1 x %2").arg(failure.width).arg(failure.height);
        const QString is = file ? QStringLiteral(" holds a picture of ") : QStringLiteral(" is ");
        if (failure.width > palvorn::Sprite::kMaxSide || failure.height > palvorn::Sprite::kMaxSide)
            text = subject + is + size + QStringLiteral(" pixels, longer than the limit of %1 pixels a side.")
                                             .arg(palvorn::Sprite::kMaxSide);
        else
            text = subject + is + size + QStringLiteral(" pixels, larger than the limit of %1 x %1.")
                                             .arg(kMaxPictureSide);
        break;
    }
    case Kind::Unreadable:
        text = QStringLiteral("%1 could not be read: %2.").arg(subject, failure.detail);
        break;
    }
    return PictureError(failure.kind, text);
}

QString fileSubject(const QString& name)
{
    // Bytes without a file (pasted or dropped data) are just a picture.
    return name.isEmpty() ? QStringLiteral("The picture") : QStringLiteral("The file \"%1\"").arg(name);
}

}  // namespace

QString thresholdNote(const char* lossyFormat, bool anyPureBlack)
{
    return lossyFormat && anyPureBlack
               ? QString::fromLatin1(kLossyThresholdNote).arg(QLatin1String(lossyFormat)).arg(palvorn::kDefaultThreshold)
               : QString::fromLatin1(kThresholdNote).arg(palvorn::kDefaultThreshold);
}

void startConversion(TakenPicture& taken, const char* lossyFormat)
{
    if (!taken.picture || taken.conversion.mode != palvorn::ConvertMode::ExactBlack)
        return;  // none to convert, or the decoder packed it at its start already
    const bool anySet = anyPixel(taken.sprite);
    if (!lossyFormat && (anySet || !anyPixel(taken.marked)))
        return;  // Exact black: pure black is there, or nothing looks dark
    taken.conversion = {palvorn::ConvertMode::Threshold, palvorn::kDefaultThreshold, palvorn::kMaxScale};
    palvorn::Converted converted = palvorn::convert(*taken.picture, taken.conversion);
    taken.sprite = std::move(converted.sprite);
    taken.marked = std::move(converted.marked);
    taken.note = thresholdNote(lossyFormat, anySet);
}

}  // namespace pictures

TakenPicture takePictureFile(const QString& path)
{
    using namespace pictures;
    const QString subject = fileSubject(QDir::toNativeSeparators(path));
    try {
        const QFileInfo info(path);
        if (info.isDir())
            fail(Kind::Unreadable, QStringLiteral("it is a folder"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            fail(Kind::Unreadable, file.errorString());
        if (file.isSequential())
            fail(Kind::Unreadable, QStringLiteral("it is not a regular file"));
        ByteSource source(file);
        return decode(source);
    } catch (const Failure& failure) {
        throw toError(failure, subject, true);
    }
}

TakenPicture takePictureData(const QByteArray& bytes, const QString& nameForMessages)
{
    using namespace pictures;
    try {
        ByteSource source(bytes);
        return decode(source);
    } catch (const Failure& failure) {
        throw toError(failure, fileSubject(nameForMessages), true);
    }
}

TakenPicture takeImage(const QImage& image, const QString& nameForMessages)
{
    using namespace pictures;
    try {
        TakenPicture taken = decodeImage(image);
        startConversion(taken, nullptr);
        return taken;
    } catch (const Failure& failure) {
        const QString subject = nameForMessages.isEmpty() ? QStringLiteral("The picture")
                                                          : QStringLiteral("The picture \"%1\"").arg(nameForMessages);
        throw toError(failure, subject, false);
    }
}

void checkMarked(const palvorn::Sprite& sprite, const palvorn::Sprite& marked)
{
    if (!marked.isEmpty() && (marked.width() != sprite.width() || marked.height() != sprite.height()))
        throw std::invalid_argument("marked mask " + std::to_string(marked.width()) + " x " +
                                    std::to_string(marked.height()) + " does not match the sprite " +
                                    std::to_string(sprite.width()) + " x " + std::to_string(sprite.height()));
}

int markedClearCount(const palvorn::Sprite& sprite, const palvorn::Sprite& marked)
{
    checkMarked(sprite, marked);
    if (marked.isEmpty())
        return 0;
    // The padding bits past the right edge are clear in both, so whole bytes count.
    int count = 0;
    for (int y = 0; y < sprite.height(); ++y) {
        const std::uint8_t* set = sprite.row(y);
        const std::uint8_t* mark = marked.row(y);
        for (int i = 0; i < sprite.bytesPerRow(); ++i)
            count += std::popcount(static_cast<std::uint8_t>(mark[i] & ~set[i]));
    }
    return count;
}

QString pictureNote(const palvorn::Sprite& sprite, const palvorn::Sprite& marked)
{
    const int dark = markedClearCount(sprite, marked);
    if (sprite.isEmpty())
        return {};
    QStringList parts;
    if (dark == 1)
        parts << QString::fromLatin1(kDarkClearOne);
    else if (dark > 1)
        parts << QString::fromLatin1(kDarkClearMany).arg(dark);
    bool anySet = false;
    for (int y = 0; y < sprite.height() && !anySet; ++y) {
        const std::uint8_t* set = sprite.row(y);
        anySet = std::any_of(set, set + sprite.bytesPerRow(), [](std::uint8_t b) { return b != 0; });
    }
    if (!anySet)
        parts << QString::fromLatin1(kNoSetPixel);
    return parts.join(QLatin1Char(' '));
}
