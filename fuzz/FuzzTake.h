#pragma once
// What every picture fuzz target checks of one input: taken as a chosen
// file and as dropped bytes, the outcome is the same; a picture taken is
// within the bound, its marks never overlap its set pixels, its kept picture
// converts back to its sprite, and it packs into the enemy file's text.

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "Convert.h"
#include "EnemySource.h"
#include "Rules.h"
#include "Sprite.h"
#include "TakePicture.h"

namespace fuzz {

[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "picture fuzz target: %s\n", what);
    std::abort();
}

inline void initialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
}

inline const QString& scratchFile()
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("palvorn-fuzz-%1.pic").arg(QCoreApplication::applicationPid()));
    return path;
}

struct Outcome {
    std::optional<TakenPicture> picture;
    PictureError::Kind kind{};
    QString message;
};

template <class Take>
Outcome outcomeOf(Take take)
{
    Outcome outcome;
    try {
        outcome.picture = take();
    } catch (const PictureError& error) {
        outcome.kind = error.kind();
        outcome.message = error.message();
    }
    return outcome;
}

inline void takeBothWays(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(scratchFile());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            fail("cannot write the scratch file");
    }
    const Outcome fromFile = outcomeOf([] { return takePictureFile(scratchFile()); });
    const Outcome fromBytes = outcomeOf([&] { return takePictureData(bytes, scratchFile()); });
    if (fromFile.picture.has_value() != fromBytes.picture.has_value() || fromFile.kind != fromBytes.kind ||
        fromFile.message != fromBytes.message)
        fail("a file and the same bytes dropped are taken differently");
    if (!fromFile.picture)
        return;
    const TakenPicture& taken = *fromFile.picture;
    if (!(taken.sprite == fromBytes.picture->sprite) || !(taken.marked == fromBytes.picture->marked))
        fail("a file and the same bytes dropped give different sprites");

    // The kept picture: the same either way, within the bound, its starting
    // conversion what was taken, and no conversion, scaled or not, marking a
    // pixel it sets.
    if (!taken.picture || !fromBytes.picture->picture || !(*taken.picture == *fromBytes.picture->picture))
        fail("a file and the same bytes dropped keep different pictures, or none");
    if (qint64(taken.picture->width()) * taken.picture->height() > kMaxKeptPixels)
        fail("a picture over the kept bound was kept");
    const palvorn::Converted start = palvorn::convert(*taken.picture, taken.conversion);
    if (!(start.sprite == taken.sprite) || !(start.marked == taken.marked))
        fail("a kept picture's starting conversion is not the sprite taken");
    // Every mode at two scales on small pictures only: the rule does not
    // depend on size, and ten conversions of a picture of millions of
    // pixels outlast the fuzzer's time limit under its instrumentation.
    constexpr qint64 kSweepPixels = 512 * 512;
    const bool sweep = qint64(taken.picture->width()) * taken.picture->height() <= kSweepPixels;
    for (int m = 0; sweep && m < palvorn::kConvertModes; ++m)
        for (int scale : {100, 37}) {
            const palvorn::Converted converted =
                palvorn::convert(*taken.picture, {palvorn::ConvertMode(m), 50, scale});
            for (int y = 0; y < converted.sprite.height(); ++y)
                for (int i = 0; i < converted.sprite.bytesPerRow(); ++i)
                    if (converted.sprite.row(y)[i] & converted.marked.row(y)[i])
                        fail("a conversion both sets and marks a pixel");
        }

    const palvorn::Sprite& sprite = taken.sprite;
    if (qint64(sprite.width()) * sprite.height() > kMaxPicturePixels || sprite.isEmpty())
        fail("a picture outside the bound was taken");
    if (taken.marked.width() != sprite.width() || taken.marked.height() != sprite.height())
        fail("the marks do not measure as the sprite");
    for (int y = 0; y < sprite.height(); ++y)
        for (int i = 0; i < sprite.bytesPerRow(); ++i)
            if (sprite.row(y)[i] & taken.marked.row(y)[i])
                fail("a pixel is both set and marked");

    // The file holds a sprite's height and bytes per row in a byte each; a
    // larger one must be refused by the writer, never written cut short.
    std::string block;
    palvorn::WriteImage(block, sprite);
    palvorn::EnemyValues values;
    values.name = "Fuzz";
    values.sprites.fill(sprite);
    const bool fits = sprite.height() <= palvorn::kByteMax && sprite.bytesPerRow() <= palvorn::kByteMax;
    try {
        if (palvorn::EnemySourceText(values).find(block) == std::string::npos)
            fail("the sprite block is missing from the enemy file's text");
        if (!fits)
            fail("a sprite too large for the file was written");
    } catch (const palvorn::ValueOutOfRange&) {
        if (fits)
            fail("a sprite that fits the file was refused");
    }
}

}  // namespace fuzz
