// Fuzz target: any bytes, as a chosen file and as bytes in memory, through
// loading, measuring, packing and writing the enemy file's text. The two
// ways in must agree, and a loaded picture must be within the bound.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "EnemySource.h"
#include "PictureLoader.h"
#include "Sprite.h"
#include "SpriteImage.h"

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_picture: %s\n", what);
    std::abort();
}

const QString& scratchFile()
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("palvorn-fuzz-%1.bmp").arg(QCoreApplication::applicationPid()));
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Decoders warn about every broken input; millions of lines slow the run.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // Image format plugins (gif, ico, jpeg) are found through the application.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(scratchFile());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            fail("cannot write the scratch file");
    }
    const QImage image = loadPicture(scratchFile());
    if (loadPictureData(bytes) != image)
        fail("a file and the same bytes in memory load differently");
    if (image.isNull())
        return 0;
    if (qint64(image.width()) * image.height() > kMaxPicturePixels)
        fail("a picture over the bound loaded");

    const palvorn::Sprite sprite = spriteFromImage(image);
    if (sprite.width() != image.width() || sprite.height() != image.height() ||
        sprite.packedSize() != palvorn::packedSize(image.width(), image.height()))
        fail("the sprite does not measure as its picture");
    std::string block;
    palvorn::WriteImage(block, sprite);
    palvorn::EnemyValues values;
    values.name = "Fuzz";
    values.sprites.fill(sprite);
    if (palvorn::EnemySourceText(values).find(block) == std::string::npos)
        fail("the sprite block is missing from the enemy file's text");
    return 0;
}
