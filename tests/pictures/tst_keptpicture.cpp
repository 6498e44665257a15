// The picture kept beside a taken sprite: its levels in every format the
// intake reads, its starting conversion always the sprite and marks taken,
// every picture up to the bound kept, and a sprite saved as a picture coming
// back as the same sprite.
#include <QBuffer>
#include <QRegularExpression>
#include <QtTest>

#include "Convert.h"
#include "SavePicture.h"
#include "SpriteRows.h"
#include "TakePicture.h"

using palvorn::GreyPicture;

Q_DECLARE_METATYPE(palvorn::Sprite)

namespace {

// One row of colours and the level each must be kept as, worked out by hand
// from the rule in Convert.h.
struct Swatch {
    QRgb colour;
    std::uint16_t level;
};
const std::vector<Swatch> kOpaque = {
    {qRgba(0, 0, 0, 255), GreyPicture::kBlack},
    {qRgba(255, 255, 255, 255), GreyPicture::kWhite},
    {qRgba(128, 128, 128, 255), 12800},
    {qRgba(255, 0, 0, 255), 7624},  // 299 × 255 / 10, rounded down
    {qRgba(0, 0, 255, 255), 2907},  // 114 × 255 / 10
    {qRgba(20, 20, 20, 200), 2000},  // not fully opaque: a level, not black
};
const std::vector<Swatch> kSeeThrough = {
    {qRgba(0, 0, 0, 0), GreyPicture::kTransparent},
    {qRgba(0, 0, 0, 100), GreyPicture::kFaintDark},
    {qRgba(255, 255, 255, 100), GreyPicture::kFaint},
};

std::vector<Swatch> allSwatches()
{
    std::vector<Swatch> all = kOpaque;
    all.insert(all.end(), kSeeThrough.begin(), kSeeThrough.end());
    return all;
}

QImage swatchImage(const std::vector<Swatch>& swatches, QImage::Format format)
{
    QImage image(int(swatches.size()), 1, QImage::Format_ARGB32);
    for (int x = 0; x < image.width(); ++x)
        image.setPixel(x, 0, swatches[std::size_t(x)].colour);
    return image.convertToFormat(format);
}

QImage paletteImage(const std::vector<Swatch>& swatches)
{
    QImage image(int(swatches.size()), 1, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (const Swatch& s : swatches)
        table << s.colour;
    image.setColorTable(table);
    for (int x = 0; x < image.width(); ++x)
        image.setPixel(x, 0, uint(x));
    return image;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        qFatal("Qt could not write the %s test picture", format);
    return bytes;
}

QList<quint16> levelsOf(const std::vector<Swatch>& swatches)
{
    QList<quint16> levels;
    for (const Swatch& s : swatches)
        levels << s.level;
    return levels;
}

// The kept picture's starting conversion is what was taken.
void checkAgreement(const TakenPicture& taken)
{
    QVERIFY(taken.picture);
    const palvorn::Converted start = palvorn::convert(*taken.picture, taken.conversion);
    QVERIFY(start.sprite == taken.sprite);
    QVERIFY(start.marked == taken.marked);
}

}  // namespace

class TestKeptPicture : public QObject {
    Q_OBJECT

private slots:
    void keptLevels_data();
    void keptLevels();
    void fixtures_data();
    void fixtures();
    void bound_data();
    void bound();
    void savedSpriteComesBack_data();
    void savedSpriteComesBack();
    void opaqueRows_data();
    void opaqueRows();
};

void TestKeptPicture::keptLevels_data()
{
    // A file's bytes (taken as a file and as dropped bytes), or else a
    // decoded image (taken as the clipboard's); the levels expected.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QList<quint16>>("levels");

    const auto all = allSwatches();
    QTest::newRow("8-bit RGBA PNG") << encoded(swatchImage(all, QImage::Format_ARGB32), "png") << QImage()
                                    << levelsOf(all);
    // One step of 65535 above black is not black, and its level is 0.
    QImage deep = swatchImage(all, QImage::Format_RGBA64);
    deep = deep.copy(0, 0, deep.width() + 1, 1);
    reinterpret_cast<QRgba64*>(deep.scanLine(0))[deep.width() - 1] = qRgba64(0, 0, 1, 65535);
    QTest::newRow("16-bit RGBA PNG") << encoded(deep, "png") << QImage() << (levelsOf(all) << 0);
    QTest::newRow("paletted PNG with transparency") << encoded(paletteImage(all), "png") << QImage()
                                                    << levelsOf(all);
    const std::vector<Swatch> opaque(kOpaque.begin(), kOpaque.end() - 1);  // a bitmap drops alpha
    QTest::newRow("24-bit BMP") << encoded(swatchImage(opaque, QImage::Format_RGB888), "bmp") << QImage()
                                << levelsOf(opaque);
    QTest::newRow("clipboard, partial alpha, premultiplied")
        << QByteArray() << swatchImage(all, QImage::Format_ARGB32_Premultiplied) << levelsOf(all);
    QTest::newRow("clipboard, 16-bit") << QByteArray() << deep << (levelsOf(all) << 0);
}

void TestKeptPicture::keptLevels()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, image);
    QFETCH(QList<quint16>, levels);

    QList<TakenPicture> takings;
    if (image.isNull()) {
        takings << takePictureData(bytes, QStringLiteral("swatch"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("swatch"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        takings << takePictureFile(path);
    } else {
        takings << takeImage(image);
    }
    for (const TakenPicture& taken : takings) {
        checkAgreement(taken);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(taken.picture->width(), int(levels.size()));
        QCOMPARE(taken.picture->height(), 1);
        QList<quint16> kept;
        for (int x = 0; x < taken.picture->width(); ++x)
            kept << taken.picture->level(x, 0);
        QCOMPARE(kept, levels);
    }
}

void TestKeptPicture::fixtures_data()
{
    // A family of committed fixtures (every size of it) or one of them, and
    // whether it is kept: every one is, the decoders keeping what they read.
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("kept");
    for (const char* family : {"pal1", "pal4", "pal8", "rgb565", "rgb24", "argb32", "topdown24", "os2",
                               "png-pal4", "png-paltrns", "png-grey1", "png-grey16", "png-greyalpha16", "png-rgbtrns",
                               "png-rgba8", "png-rgba16", "png-adam7rgba16", "gif-pal", "gif-trns"})
        QTest::newRow(family) << QString::fromLatin1(family) << true;
    // Those Qt's own reader reads otherwise (an interlaced GIF's rows, 1-bit
    // alpha, the pixels a run-length bitmap skips) are kept as decoded.
    QTest::newRow("gif-interlaced-10x3") << QStringLiteral("gif-interlaced-10x3") << true;
    QTest::newRow("argb1555") << QStringLiteral("argb1555") << true;
    QTest::newRow("rle4") << QStringLiteral("rle4") << true;
    QTest::newRow("rle8") << QStringLiteral("rle8") << true;
}

void TestKeptPicture::fixtures()
{
    QFETCH(QString, family);
    QFETCH(bool, kept);
    const QDir dir(QStringLiteral(PALVORN_TEST_DATA "/encodings"));
    const QStringList files = dir.entryList().filter(
        QRegularExpression(QStringLiteral("^%1(-\\d+x\\d+)?\\.(bmp|png|gif)$").arg(family)));
    QVERIFY(!files.isEmpty());
    bool sawTransparent = false;
    for (const QString& name : files) {
        const TakenPicture taken = takePictureFile(dir.filePath(name));
        QVERIFY2(bool(taken.picture) == kept, qPrintable(name));
        if (!kept)
            continue;
        checkAgreement(taken);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(name));
        for (int y = 0; y < taken.picture->height(); ++y)
            for (int x = 0; x < taken.picture->width(); ++x)
                sawTransparent |= taken.picture->level(x, y) == GreyPicture::kTransparent;
    }
    // A transparent index or colour is kept transparent.
    if (family.contains(QLatin1String("trns")))
        QVERIFY(sawTransparent);
}

void TestKeptPicture::bound_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("kept");
    QTest::newRow("1025 x 1024") << 1025 << 1024 << true;
    QTest::newRow("a long strip") << 8192 << 128 << true;
    QTest::newRow("4096 x 4096, at the bound") << 4096 << 4096 << true;
}

void TestKeptPicture::bound()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, kept);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(width - 1, height - 1, qRgb(0, 0, 0));
    for (const TakenPicture& taken : {takeImage(image), takePictureData(encoded(image, "png"), {})}) {
        QCOMPARE(bool(taken.picture), kept);
        QVERIFY(taken.sprite.pixel(width - 1, height - 1));  // the sprite is taken either way
        if (kept)
            checkAgreement(taken);
    }
}

void TestKeptPicture::savedSpriteComesBack_data()
{
    QTest::addColumn<palvorn::Sprite>("sprite");
    // Widths that end a row mid-byte, a whole byte, and one pixel wide.
    QTest::newRow("1 x 3") << sprite(1, {"X", ".", "X"});
    QTest::newRow("7 x 2") << sprite(7, {"X.X.X.X", ".XXXXX."});
    QTest::newRow("8 x 2") << sprite(8, {"XXXXXXXX", "X......X"});
    QTest::newRow("9 x 2") << sprite(9, {"X.......X", ".XXXXXXX."});
    QTest::newRow("13 x 3") << sprite(13, {"X...........X", ".............", "XXXXXXXXXXXXX"});
    QTest::newRow("17 x 1, all clear") << sprite(17, {"................."});
}

void TestKeptPicture::savedSpriteComesBack()
{
    QFETCH(palvorn::Sprite, sprite);
    const TakenPicture taken = takePictureData(spritePng(sprite), QStringLiteral("saved.png"));
    QVERIFY(taken.sprite == sprite);
    QVERIFY(taken.marked == palvorn::Sprite(sprite.width(), sprite.height()));  // black and white: nothing marked
    checkAgreement(taken);
}

void TestKeptPicture::opaqueRows_data()
{
    // Rows of opaque colour are taken sixteen pixels at a time where the
    // processor allows, the rest one at a time: widths on either side of
    // both, in a bitmap (blue first, Exact black) and a JPEG (red first,
    // Threshold), whose levels are checked against Qt's own reading.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("pixels");
    for (const int width : {1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 100}) {
        QImage image(width, 3, QImage::Format_RGB888);
        std::uint32_t seed = std::uint32_t(width);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < width; ++x) {
                seed = seed * 1664525u + 1013904223u;
                const int r = int(seed >> 24), g = int(seed >> 16 & 255), b = int(seed >> 8 & 255);
                // Pure black, one step from it, dark, and any colour.
                const QRgb kinds[] = {qRgb(0, 0, 0), qRgb(0, r & 1, 1 - (r & 1)), qRgb(r / 4, g / 4, b / 4),
                                      qRgb(r, g, b)};
                image.setPixel(x, y, kinds[seed >> 6 & 3]);
            }
        const QByteArray bmp = encoded(image, "bmp");
        QTest::addRow("bitmap %d wide", width) << bmp << image;
        const QByteArray jpeg = encoded(image, "jpg");
        QTest::addRow("JPEG %d wide", width) << jpeg << QImage::fromData(jpeg, "JPEG");
    }
}

void TestKeptPicture::opaqueRows()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, pixels);
    const TakenPicture taken = takePictureData(bytes, QStringLiteral("rows"));
    checkAgreement(taken);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(taken.picture->width(), pixels.width());
    QCOMPARE(taken.picture->height(), pixels.height());
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) {
            const QRgb c = pixels.pixel(x, y);
            QCOMPARE(taken.picture->level(x, y), palvorn::greyLevel8(qRed(c), qGreen(c), qBlue(c), 255));
        }
}

QTEST_GUILESS_MAIN(TestKeptPicture)
#include "tst_keptpicture.moc"
