// Taking pictures in: every BMP, PNG and GIF encoding packs as ImageMagick
// reads it (the Exact black sprite and marks), the content decides the format, every refusal
// says why and names the file, and broken or hostile files are refused
// quickly in bounded memory.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/resource.h>

#include <limits>
#include <string>

#include "EnemySource.h"
#include "Rules.h"
#include "Sprite.h"
#include "TakePicture.h"

#if defined(__SANITIZE_ADDRESS__)
#define PALVORN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PALVORN_ASAN 1
#endif
#endif

Q_DECLARE_METATYPE(PictureError::Kind)

namespace {

using Kind = PictureError::Kind;

const QString kEncodings = QStringLiteral(PALVORN_TEST_DATA "/encodings");
const QString kFormats = QStringLiteral(PALVORN_TEST_DATA "/formats");

// Every encoding make-fixtures.sh writes, each in widths 1 to 17.
const QStringList kEncodingNames = {
    "pal1", "pal1inverted", "pal4", "pal8", "rle4", "rle8", "rgb565", "rgb565info", "rgb555", "rgb555plain",
    "argb1555", "argb4444", "rgb24", "xrgb32", "argb32", "topdown1", "topdown8", "topdown24", "os2",
    "png-pal8", "png-pal4", "png-paltrns", "png-grey1", "png-grey8", "png-greytrns", "png-grey16",
    "png-greyalpha8", "png-greyalpha16", "png-rgb8", "png-rgbtrns", "png-rgb16", "png-rgba8", "png-rgba16",
    "png-adam7pal4", "png-adam7grey1", "png-adam7rgba8", "png-adam7rgba16",
    "gif-pal", "gif-trns", "gif-interlaced", "gif-offset"};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

struct Pbm {
    int width = -1;
    int height = -1;
    QByteArray raster;  // rows of ceil(width / 8) bytes, 1 for black
};

// Raw PBM (P4): magic, width, height, one whitespace, raster. # comments allowed.
Pbm parsePbm(const QByteArray& bytes)
{
    Pbm pbm;
    int at = 0;
    const auto token = [&]() -> QByteArray {
        for (;;) {
            while (at < bytes.size() && QChar::isSpace(uchar(bytes[at])))
                ++at;
            if (at < bytes.size() && bytes[at] == '#') {
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
                continue;
            }
            break;
        }
        const int from = at;
        while (at < bytes.size() && !QChar::isSpace(uchar(bytes[at])))
            ++at;
        return bytes.mid(from, at - from);
    };
    if (token() != "P4")
        return pbm;
    pbm.width = token().toInt();
    pbm.height = token().toInt();
    pbm.raster = bytes.mid(at + 1);
    return pbm;
}

QByteArray packed(const palvorn::Sprite& sprite)
{
    QByteArray bytes;
    for (int y = 0; y < sprite.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(sprite.row(y)), sprite.bytesPerRow());
    return bytes;
}

// The sprite's size and packed rows against a PBM oracle, the first
// differing row named.
void compareWithOracle(const palvorn::Sprite& sprite, const QString& pbmFile, const char* what)
{
    const Pbm oracle = parsePbm(readAll(pbmFile));
    QVERIFY2(oracle.width > 0 && oracle.height > 0, qPrintable("unreadable oracle " + pbmFile));
    QCOMPARE(sprite.width(), oracle.width);
    QCOMPARE(sprite.height(), oracle.height);
    const QByteArray got = packed(sprite);
    if (got == oracle.raster)
        return;
    const int perRow = palvorn::bytesPerRow(oracle.width);
    for (int y = 0; y < oracle.height; ++y) {
        const QByteArray mine = got.mid(y * perRow, perRow);
        const QByteArray want = oracle.raster.mid(y * perRow, perRow);
        QVERIFY2(mine == want, qPrintable(QString("%1 row %2: %3, ImageMagick %4")
                                              .arg(what)
                                              .arg(y)
                                              .arg(QString(mine.toHex(' ')), QString(want.toHex(' ')))));
    }
}

// The picture taken from the file, and from its bytes in memory, against
// NAME.pbm (the Exact black sprite) and NAME.marks.pbm (its marks).
void checkAgainstOracles(const QString& picture, const QString& oracleBase)
{
    TakenPicture taken;
    try {
        taken = takePictureFile(picture);
    } catch (const PictureError& error) {
        QFAIL(error.what());
    }
    QVERIFY(taken.picture);
    const palvorn::Converted exact = palvorn::convert(*taken.picture, {});
    compareWithOracle(exact.sprite, oracleBase + ".pbm", "sprite");
    compareWithOracle(exact.marked, oracleBase + ".marks.pbm", "marks");
    if (taken.conversion == palvorn::Conversion{}) {
        QVERIFY(exact.sprite == taken.sprite);
        QVERIFY(exact.marked == taken.marked);
    }
    const TakenPicture fromBytes = takePictureData(readAll(picture), QStringLiteral("dropped"));
    QVERIFY(fromBytes.sprite == taken.sprite);
    QVERIFY(fromBytes.marked == taken.marked);
}

// The kind a refusal has, or "taken" as its message when nothing was refused.
Kind refusal(const std::function<void()>& take, QString* message = nullptr)
{
    try {
        take();
    } catch (const PictureError& error) {
        if (message)
            *message = error.message();
        return error.kind();
    }
    if (message)
        *message = QStringLiteral("taken");
    return Kind(-1);
}

// A bitmap file header and 40-byte info header, then `palette` grey entries;
// the caller appends the pixel data. Every field the way the test needs it,
// however wrong.
QByteArray bmpHeader(qint32 width, qint32 height, quint16 bpp, quint32 compression = 0, int palette = 0,
                     quint32 colorsUsed = 0)
{
    QByteArray b(54 + 4 * palette, '\0');
    char* p = b.data();
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(b.size()), p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(bpp, p + 28);
    qToLittleEndian<quint32>(compression, p + 30);
    qToLittleEndian<quint32>(colorsUsed, p + 46);
    for (int i = 0; i < palette; ++i) {
        const char grey = char(i * 255 / qMax(1, palette - 1));
        p[54 + 4 * i] = p[55 + 4 * i] = p[56 + 4 * i] = grey;
    }
    return b;
}

// Whole rows of bits, all black: (w + 31) / 32 * 4 bytes a row.
QByteArray monoBitmap(qint32 width, qint32 height)
{
    QByteArray b = bmpHeader(width, height, 1, 0, 2);
    b.append(QByteArray(qsizetype((width + 31) / 32 * 4) * height, '\0'));
    return b;
}

// A 32-bit bitmap, bottom row first (top-down when asked), from BGRA quads
// given top row first.
QByteArray bgra32(int width, const QList<QByteArray>& rowsTopFirst, bool topDown = false)
{
    const int height = int(rowsTopFirst.size());
    QByteArray b = bmpHeader(width, topDown ? -height : height, 32);
    for (int i = 0; i < height; ++i)
        b.append(rowsTopFirst[topDown ? i : height - 1 - i]);
    return b;
}

QByteArray quads(std::initializer_list<quint32> argb)
{
    QByteArray row;
    for (const quint32 v : argb) {
        char q[4];
        qToLittleEndian<quint32>(v, q);
        row.append(q, 4);
    }
    return row;
}

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// One PNG chunk: length, type, data, CRC over type and data.
QByteArray pngChunk(const QByteArray& type, const QByteArray& data, quint32 claimedLength = 0)
{
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(claimedLength ? claimedLength : quint32(data.size()), chunk.data());
    const QByteArray body = type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(body), crc.data());
    return chunk + body + crc;
}

// A PNG signature and a well-formed IHDR claiming width × height, no pixels.
QByteArray pngHeader(quint32 width, quint32 height, char depth = 8, char colourType = 2)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(width, ihdr.data());
    qToBigEndian<quint32>(height, ihdr.data() + 4);
    ihdr[8] = depth;
    ihdr[9] = colourType;
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr);
}

// A GIF header with a logical screen and one image of width × height, then
// nothing more.
QByteArray gifHeader(quint16 width, quint16 height)
{
    QByteArray gif("GIF89a");
    QByteArray field(4, '\0');
    qToLittleEndian<quint16>(width, field.data());
    qToLittleEndian<quint16>(height, field.data() + 2);
    gif.append(field).append(QByteArray("\0\0\0", 3));
    gif.append(',').append(QByteArray(4, '\0')).append(field).append('\0');
    return gif.append("\x08\x02\x44\x01", 4);
}

#ifndef PALVORN_ASAN  // the sanitizer's own shadow and quarantine are not the program's
long peakResidentMB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;  // kilobytes on Linux
}
#endif

}  // namespace

class PictureTests : public QObject {
    Q_OBJECT

private slots:
    void everyEncodingHasItsFixtures();
    void encodings_data();
    void encodings();
    void formats_data();
    void formats();
    void messages_data();
    void messages();
    void bitmapAlpha_data();
    void bitmapAlpha();
    void runLengthSkips_data();
    void runLengthSkips();
    void gifScreens_data();
    void gifScreens();
    void images_data();
    void images();
    void bounds_data();
    void bounds();
    void largestBitmapInBoundedMemory();
    void largestPicturesInBoundedMemory_data();
    void largestPicturesInBoundedMemory();
    void hostile_data();
    void hostile();
    void fuzzFinds_data();
    void fuzzFinds();
};

void PictureTests::everyEncodingHasItsFixtures()
{
    const QDir dir(kEncodings);
    for (const QString& name : kEncodingNames) {
        for (int w = 1; w <= 17; ++w) {
            const QString suffix = name.startsWith("png-") ? "png" : name.startsWith("gif-") ? "gif" : "bmp";
            const QStringList found =
                dir.entryList({QString("%1-%2x?.%3").arg(name).arg(w).arg(suffix)}, QDir::Files);
            QVERIFY2(found.size() == 1, qPrintable(QString("%1 at width %2").arg(name).arg(w)));
            const QString base = found.front().chopped(4);
            QVERIFY2(dir.exists(base + ".pbm") && dir.exists(base + ".marks.pbm"), qPrintable(found.front()));
        }
    }
}

void PictureTests::encodings_data()
{
    QTest::addColumn<QString>("picture");
    const QDir dir(kEncodings);
    for (const QString& file : dir.entryList({"*.bmp", "*.png", "*.gif"}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(file)) << dir.filePath(file);
}

// The sprite against ImageMagick's reading of the same file with every
// colour but opaque pure black made white, and the marks against its
// reading by the mark rule.
void PictureTests::encodings()
{
    QFETCH(QString, picture);
    checkAgainstOracles(picture, picture.chopped(4));
}

void PictureTests::formats_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Kind>("refused");  // Kind(-1): taken
    QTest::addColumn<QString>("said");

    const Kind taken = Kind(-1);
    QTest::newRow("bitmap named .png") << "bitmap-named-as.png" << taken << QString();
    QTest::newRow("PNG named .gif") << "png-named-as.gif" << taken << QString();
    QTest::newRow("GIF named .bmp") << "gif-named-as.bmp" << taken << QString();
    QTest::newRow("text named .png") << "text-named-as.png" << Kind::NotAPicture << "is not a picture";
    QTest::newRow("JPEG") << "argb32-13x4.jpg" << taken << QString();
    QTest::newRow("TIFF") << "argb32-13x4.tif" << Kind::Unsupported << "is a TIFF picture";
    QTest::newRow("icon") << "argb32-13x4.ico" << Kind::Unsupported << "is an icon";
    QTest::newRow("XPM") << "argb32-13x4.xpm" << Kind::Unsupported << "is an XPM picture";
    QTest::newRow("PPM") << "rgb24-13x4.ppm" << Kind::Unsupported << "is a Netpbm picture";
    QTest::newRow("XBM") << "pal1-13x4.xbm" << Kind::Unsupported << "is an XBM picture";
}

// The content decides, never the name; a picture in another format is told
// from something that is no picture, and both refusals name the formats
// that are read.
void PictureTests::formats()
{
    QFETCH(QString, file);
    QFETCH(Kind, refused);
    QFETCH(QString, said);
    const QString path = QDir(kFormats).filePath(file);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    if (refused == Kind(-1)) {
        checkAgainstOracles(path, path);
        return;
    }
    QString message;
    QCOMPARE(refusal([&] { takePictureFile(path); }, &message), refused);
    QVERIFY2(message.contains(said), qPrintable(message));
    QVERIFY2(message.contains("\"" + QDir::toNativeSeparators(path) + "\""), qPrintable(message));
    QVERIFY2(message.contains("BMP, PNG, GIF, JPEG or WebP"), qPrintable(message));
}

void PictureTests::messages_data()
{
    QTest::addColumn<QByteArray>("bytes");  // written to the file; a null array: no file at all
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QStringList>("said");

    QTest::newRow("empty file") << QByteArray("") << Kind::NotAPicture << QStringList{"is empty", "BMP, PNG, GIF, JPEG or WebP"};
    QTest::newRow("cut short") << monoBitmap(64, 64).chopped(10) << Kind::Damaged
                               << QStringList{"is damaged or cut short."};
    QTest::newRow("too large") << pngHeader(100000, 30000) << Kind::TooLarge
                               << QStringList{"100000 x 30000", "limit of 32767 pixels a side"};
    QTest::newRow("too many pixels") << monoBitmap(5000, 4000) << Kind::TooLarge
                                     << QStringList{"5000 x 4000", "limit of 4096 x 4096"};
    QTest::newRow("bitmap holding JPEG") << bmpHeader(4, 4, 0, 4) + QByteArray(16, '\0') << Kind::Unsupported
                                         << QStringList{"holding a JPEG picture", "BMP, PNG, GIF, JPEG or WebP"};
    QTest::newRow("no such file") << QByteArray() << Kind::Unreadable << QStringList{"could not be read"};
    QTest::newRow("a folder") << QByteArray("<folder>") << Kind::Unreadable
                              << QStringList{"could not be read: it is a folder."};
}

// Each kind of refusal says why, naming the file as given, for a file and
// the same bytes dropped.
void PictureTests::messages()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Kind, kind);
    QFETCH(QStringList, said);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("sprite one.png");
    if (bytes == "<folder>") {
        QVERIFY(QDir(dir.path()).mkdir("sprite one.png"));
        bytes = QByteArray();  // nothing to drop
    } else if (!bytes.isNull()) {
        writeFile(path, bytes);
    }

    QString message;
    QCOMPARE(refusal([&] { takePictureFile(path); }, &message), kind);
    QVERIFY2(message.startsWith(QStringLiteral("The file \"%1\" ").arg(QDir::toNativeSeparators(path))),
             qPrintable(message));
    for (const QString& part : said)
        QVERIFY2(message.contains(part), qPrintable(message));
    if (bytes.isNull())
        return;
    QCOMPARE(refusal([&] { takePictureData(bytes, "dropped.png"); }, &message), kind);
    QVERIFY2(message.startsWith("The file \"dropped.png\" "), qPrintable(message));
}

void PictureTests::bitmapAlpha_data()
{
    QTest::addColumn<QByteArray>("bitmap");
    QTest::addColumn<QString>("sprite");  // rows top first, '#' set, '.' clear
    QTest::addColumn<QString>("marks");   // '#' marked

    const quint32 black0 = 0x00000000, white0 = 0x00FFFFFF, black = 0xFF000000, half = 0x80000000,
                  dark0 = 0x000A0A0A;
    QTest::newRow("alpha all 0: opaque") << bgra32(3, {quads({black0, white0, dark0}), quads({dark0, black0, black0})})
                                         << "#..|.##" << "..#|#..";
    QTest::newRow("alpha in the top row counts for the rows below")
        << bgra32(3, {quads({black, half, black0}), quads({black0, white0, dark0})}) << "#..|..." << ".#.|...";
    QTest::newRow("alpha in the bottom row counts for the rows above")
        << bgra32(3, {quads({black0, white0, dark0}), quads({black, half, black0})}) << "...|#.." << "...|.#.";
    QTest::newRow("top-down, alpha in the last row")
        << bgra32(3, {quads({black0, dark0, black0}), quads({half, black, 0x01FFFFFF})}, true) << "...|.#."
        << "...|#..";

    // 16-bit bit fields with a 1-bit alpha: all 0 is opaque too.
    QByteArray argb1555 = bmpHeader(2, 1, 16, 6) + QByteArray(16, '\0');
    qToLittleEndian<quint32>(0x7C00, argb1555.data() + 54);
    qToLittleEndian<quint32>(0x03E0, argb1555.data() + 58);
    qToLittleEndian<quint32>(0x001F, argb1555.data() + 62);
    qToLittleEndian<quint32>(0x8000, argb1555.data() + 66);
    qToLittleEndian<quint32>(70, argb1555.data() + 10);
    QTest::newRow("1555 alpha all 0: opaque") << argb1555 + QByteArray("\x00\x00\x21\x04", 4) << "#." << ".#";
    QTest::newRow("1555 alpha used") << argb1555 + QByteArray("\x00\x00\x00\x80", 4) << ".#" << "..";
}

// A 32-bit bitmap whose alpha is 0 everywhere was written without alpha and
// is opaque; one alpha byte that is not 0 makes alpha count everywhere.
void PictureTests::bitmapAlpha()
{
    QFETCH(QByteArray, bitmap);
    QFETCH(QString, sprite);
    QFETCH(QString, marks);
    const TakenPicture taken = takePictureData(bitmap, "alpha.bmp");
    const QStringList spriteRows = sprite.split('|');
    const QStringList markRows = marks.split('|');
    QCOMPARE(taken.sprite.height(), int(spriteRows.size()));
    for (int y = 0; y < spriteRows.size(); ++y) {
        QCOMPARE(taken.sprite.width(), int(spriteRows[y].size()));
        for (int x = 0; x < spriteRows[y].size(); ++x) {
            QVERIFY2(taken.sprite.pixel(x, y) == (spriteRows[y][x] == '#'), qPrintable(QString("set %1,%2").arg(x).arg(y)));
            QVERIFY2(taken.marked.pixel(x, y) == (markRows[y][x] == '#'), qPrintable(QString("mark %1,%2").arg(x).arg(y)));
        }
    }
}

void PictureTests::runLengthSkips_data()
{
    QTest::addColumn<QByteArray>("bitmap");
    QTest::addColumn<QString>("sprite");  // rows top first

    // Palette: 0 black, 1 white.
    const QByteArray header = bmpHeader(4, 3, 8, 1, 2);
    QTest::newRow("end of picture after one row") << header + QByteArray("\x04\x00\x00\x00\x00\x01", 6)
                                                  << "....|....|####";
    QTest::newRow("jump over a row") << header + QByteArray("\x04\x01\x00\x00\x00\x02\x01\x01\x02\x00\x00\x01", 12)
                                     << ".##.|....|....";
    QTest::newRow("run past the row end") << header + QByteArray("\x09\x00\x00\x00\x04\x01\x00\x00\x02\x00\x00\x01", 12)
                                          << "##..|....|####";
}

// Pixels a run-length stream skips are clear, not the palette's first
// colour; a run past the row's end is cut there.
void PictureTests::runLengthSkips()
{
    QFETCH(QByteArray, bitmap);
    QFETCH(QString, sprite);
    const TakenPicture taken = takePictureData(bitmap, "runs.bmp");
    const QStringList rows = sprite.split('|');
    QCOMPARE(taken.sprite.height(), int(rows.size()));
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x)
            QVERIFY2(taken.sprite.pixel(x, y) == (rows[y][x] == '#'), qPrintable(QString("%1,%2").arg(x).arg(y)));
}

void PictureTests::gifScreens_data()
{
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<int>("screenHeight");
    QTest::addColumn<QSize>("size");
    // gif-offset-5x6.gif: a 5 x 6 frame at (3, 2) on a 10 x 9 screen.
    QTest::newRow("screen of no size: the frame's extent") << 0 << 0 << QSize(8, 8);
    QTest::newRow("screen cutting the frame") << 6 << 4 << QSize(6, 4);
    QTest::newRow("screen left of the frame") << 2 << 9 << QSize(2, 9);
}

// The first frame lies on the screen at its offset: a screen of no size is
// the frame's extent, and a smaller screen cuts the frame.
void PictureTests::gifScreens()
{
    QFETCH(int, screenWidth);
    QFETCH(int, screenHeight);
    QFETCH(QSize, size);
    const QByteArray original = readAll(QDir(kEncodings).filePath("gif-offset-5x6.gif"));
    QVERIFY(original.size() > 13);
    const TakenPicture whole = takePictureData(original, "whole.gif");
    QCOMPARE(whole.sprite.width(), 10);
    QCOMPARE(whole.sprite.height(), 9);

    QByteArray patched = original;
    qToLittleEndian<quint16>(quint16(screenWidth), patched.data() + 6);
    qToLittleEndian<quint16>(quint16(screenHeight), patched.data() + 8);
    const TakenPicture taken = takePictureData(patched, "patched.gif");
    QCOMPARE(taken.sprite.width(), size.width());
    QCOMPARE(taken.sprite.height(), size.height());
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            QVERIFY2(taken.sprite.pixel(x, y) == whole.sprite.pixel(x, y), qPrintable(QString("%1,%2").arg(x).arg(y)));
            QVERIFY2(taken.marked.pixel(x, y) == whole.marked.pixel(x, y), qPrintable(QString("%1,%2").arg(x).arg(y)));
        }
}

void PictureTests::images_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<bool>("set");
    QTest::addColumn<bool>("marked");

    const auto one = [](QRgb argb, QImage::Format format) {
        QImage image(1, 1, QImage::Format_ARGB32);
        image.setPixel(0, 0, argb);
        return image.convertToFormat(format);
    };
    const auto deep = [](quint16 r, quint16 g, quint16 b, quint16 a) {
        QImage image(1, 1, QImage::Format_RGBA64);
        reinterpret_cast<QRgba64*>(image.scanLine(0))[0] = qRgba64(r, g, b, a);
        return image;
    };
    QTest::newRow("opaque black") << one(0xFF000000, QImage::Format_ARGB32) << true << false;
    QTest::newRow("rgb(10,10,10)") << one(0xFF0A0A0A, QImage::Format_RGB32) << false << true;
    QTest::newRow("grey 63 under a quarter") << one(0xFF3F3F3F, QImage::Format_RGB32) << false << true;
    QTest::newRow("grey 64 over a quarter") << one(0xFF404040, QImage::Format_RGB32) << false << false;
    QTest::newRow("dark blue by luminance") << one(0xFF0000FF, QImage::Format_RGB32) << false << true;
    QTest::newRow("red over a quarter") << one(0xFFFF0000, QImage::Format_RGB32) << false << false;
    QTest::newRow("black alpha 254") << one(0xFE000000, QImage::Format_ARGB32) << false << true;
    QTest::newRow("black alpha 1") << one(0x01000000, QImage::Format_ARGB32) << false << true;
    QTest::newRow("fully transparent black") << one(0x00000000, QImage::Format_ARGB32) << false << false;
    QTest::newRow("premultiplied black half alpha")
        << one(0x80000000, QImage::Format_ARGB32_Premultiplied) << false << true;
    QTest::newRow("premultiplied transparent") << one(0x00000000, QImage::Format_ARGB32_Premultiplied) << false
                                               << false;
    QTest::newRow("indexed black") << one(0xFF000000, QImage::Format_Indexed8) << true << false;
    QTest::newRow("mono black") << one(0xFF000000, QImage::Format_Mono) << true << false;
    QTest::newRow("rgb16 black") << one(0xFF000000, QImage::Format_RGB16) << true << false;
    QTest::newRow("grayscale8 level 1") << one(0xFF010101, QImage::Format_Grayscale8) << false << true;
    QTest::newRow("16-bit black") << deep(0, 0, 0, 65535) << true << false;
    QTest::newRow("16-bit blue 1/65535") << deep(0, 0, 1, 65535) << false << true;
    QTest::newRow("16-bit alpha 65534") << deep(0, 0, 0, 65534) << false << true;
    QTest::newRow("16-bit alpha 0") << deep(0, 0, 0, 0) << false << false;
}

// Clipboard pictures keep their alpha and their precision; the mark rule on
// colours either side of a quarter's luminance.
void PictureTests::images()
{
    QFETCH(QImage, image);
    QFETCH(bool, set);
    QFETCH(bool, marked);
    const TakenPicture taken = takeImage(image);
    QCOMPARE(taken.sprite.width(), 1);
    QCOMPARE(taken.marked.height(), 1);
    const palvorn::Converted exact = palvorn::convert(*taken.picture, {});
    QCOMPARE(exact.sprite.pixel(0, 0), set);
    QCOMPARE(exact.marked.pixel(0, 0), marked);
}

void PictureTests::bounds_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("taken");
    // Whole files with every pixel present: only the size decides.
    QTest::newRow("4096x4096 taken") << 4096 << 4096 << true;
    QTest::newRow("4097x4096 refused") << 4097 << 4096 << false;
    QTest::newRow("4096x4097 refused") << 4096 << 4097 << false;
    QTest::newRow("widest sprite 32767x1 taken") << 32767 << 1 << true;
    QTest::newRow("32768x1 wider than a sprite refused") << 32768 << 1 << false;
    QTest::newRow("1x32768 higher than a sprite refused") << 1 << 32768 << false;
}

// The largest pictures are taken and packed; one pixel more, or one side
// longer than a sprite's, is refused as too large.
void PictureTests::bounds()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, taken);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("big.bmp");
    writeFile(path, monoBitmap(width, height));

    if (!taken) {
        QCOMPARE(refusal([&] { takePictureFile(path); }), Kind::TooLarge);
        return;
    }
    const TakenPicture picture = takePictureFile(path);
    QCOMPARE(picture.sprite.width(), width);
    QCOMPARE(picture.sprite.height(), height);
    QVERIFY(picture.sprite.pixel(width - 1, height - 1));  // all black
    QVERIFY(picture.sprite.pixel(0, 0));
}

// The heaviest bitmap within the bound, 4096 x 4096 at 24 bits (48 MB),
// taken through the file path in a process of its own: the whole process
// stays under 100 MB, a full-colour copy alone would take 64.
void PictureTests::largestBitmapInBoundedMemory()
{
#ifdef PALVORN_ASAN
    QSKIP("the sanitizer's shadow memory is not the program's");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("largest.bmp");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(bmpHeader(4096, 4096, 24)) == 54);
        // Black, near-black and white stripes, a row at a time.
        QByteArray row(4096 * 3, '\0');
        for (int x = 0; x < 4096; ++x)
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = char(x % 3 == 0 ? 0 : x % 3 == 1 ? 10 : 255);
        for (int y = 0; y < 4096; ++y)
            QCOMPARE(file.write(row), row.size());
    }
    QProcess driver;
    driver.start(QStringLiteral(PALVORN_TAKE_PICTURE), {path});
    QVERIFY(driver.waitForFinished(60000));
    QCOMPARE(driver.exitCode(), 0);
    const QStringList fields = QString::fromLatin1(driver.readAllStandardOutput()).split(' ');
    QCOMPARE(fields.size(), 5);
    QCOMPARE(fields[0], QStringLiteral("4096"));
    QCOMPARE(fields[2].toLong(), 4096L * 1366);  // x = 0, 3, ..., 4095 in every row
    QCOMPARE(fields[3].toLong(), 4096L * 1365);
    const long peakMB = fields[4].toLong() / 1024;
    QVERIFY2(peakMB < 100, qPrintable(QString("%1 MB").arg(peakMB)));
#endif
}

void PictureTests::largestPicturesInBoundedMemory_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("PNG") << QByteArray("png");
    QTest::newRow("JPEG") << QByteArray("jpg");
}

// A 4096 x 4096 photo-like picture, kept whole with its sprite and marks,
// in under 150 MB for the whole process.
void PictureTests::largestPicturesInBoundedMemory()
{
#ifdef PALVORN_ASAN
    QSKIP("the sanitizer's shadow memory is not the program's");
#else
    QFETCH(QByteArray, format);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("largest." + QString::fromLatin1(format));
    {
        QImage picture(4096, 4096, QImage::Format_RGB32);
        for (int y = 0; y < 4096; ++y) {
            auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < 4096; ++x)
                row[x] = qRgb(x / 16, y / 16, (x + y) / 32);
        }
        QVERIFY(picture.save(path, format.constData()));
    }
    QProcess driver;
    driver.start(QStringLiteral(PALVORN_TAKE_PICTURE), {path});
    QVERIFY(driver.waitForFinished(60000));
    QCOMPARE(driver.exitCode(), 0);
    const QStringList fields = QString::fromLatin1(driver.readAllStandardOutput()).split(' ');
    QCOMPARE(fields.size(), 5);
    QCOMPARE(fields[0], QStringLiteral("4096"));
    const long peakMB = fields[4].toLong() / 1024;
    QVERIFY2(peakMB < 150, qPrintable(QString("%1 MB").arg(peakMB)));
#endif
}

void PictureTests::hostile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Kind>("kind");
    const QByteArray rgb24 = readAll(QDir(kEncodings).filePath("rgb24-13x4.bmp"));
    const QByteArray pal8 = readAll(QDir(kEncodings).filePath("pal8-13x4.bmp"));
    const QByteArray rle8 = readAll(QDir(kEncodings).filePath("rle8-333x111.bmp"));
    const QByteArray rle4 = readAll(QDir(kEncodings).filePath("rle4-333x111.bmp"));
    const QByteArray argb32 = readAll(QDir(kEncodings).filePath("argb32-101x37.bmp"));
    const QByteArray png = readAll(QDir(kEncodings).filePath("png-adam7rgba8-333x111.png"));
    const QByteArray palPng = readAll(QDir(kEncodings).filePath("png-pal4-333x111.png"));
    const QByteArray gif = readAll(QDir(kEncodings).filePath("gif-interlaced-333x111.gif"));
    QVERIFY(!rgb24.isEmpty() && !pal8.isEmpty() && !rle8.isEmpty() && !rle4.isEmpty() && !argb32.isEmpty() &&
            !png.isEmpty() && !palPng.isEmpty() && !gif.isEmpty());

    QTest::newRow("empty file") << QByteArray() << Kind::NotAPicture;
    QTest::newRow("magic only") << QByteArray("BM") << Kind::Damaged;
    QTest::newRow("text file") << QByteArray("not a picture at all\n") << Kind::NotAPicture;
    QTest::newRow("header without pixels") << bmpHeader(8, 8, 24) << Kind::Damaged;
    QTest::newRow("24-bit cut in the first row") << rgb24.left(60) << Kind::Damaged;
    QTest::newRow("24-bit cut mid-picture") << rgb24.left(rgb24.size() / 2) << Kind::Damaged;
    QTest::newRow("24-bit one byte short") << rgb24.chopped(1) << Kind::Damaged;
    QTest::newRow("8-bit cut in the palette") << pal8.left(54 + 40) << Kind::Damaged;
    QTest::newRow("8-bit cut after the palette") << pal8.left(54 + 1024) << Kind::Damaged;
    QTest::newRow("RLE8 cut mid-stream") << rle8.left(rle8.size() / 2) << Kind::Damaged;
    QTest::newRow("RLE4 cut mid-stream") << rle4.left(rle4.size() / 2) << Kind::Damaged;
    QTest::newRow("RLE8 jumping past the end")
        << bmpHeader(16, 2, 8, 1, 256) + QByteArray("\x00\x02\xff\xff\x10\x01\x00\x01", 8) << Kind::Damaged;
    QTest::newRow("RLE8 pixels past a 2-colour palette")
        << bmpHeader(4, 1, 8, 1, 2, 2) + QByteArray("\x04\x07\x00\x01", 4) << Kind::Damaged;
    QTest::newRow("32-bit with alpha cut mid-picture") << argb32.left(argb32.size() * 2 / 3) << Kind::Damaged;

    QByteArray hugeHeader = rgb24;
    qToLittleEndian<quint32>(0x00200028, hugeHeader.data() + 14);
    QTest::newRow("header size past the file") << hugeHeader << Kind::Damaged;
    QByteArray header56 = rgb24;  // a longer header would reach into the pixels
    qToLittleEndian<quint32>(56, header56.data() + 14);
    QTest::newRow("header size 56 reaching into the pixels") << header56 << Kind::Damaged;
    QByteArray oddHeader = rgb24;
    qToLittleEndian<quint32>(41, oddHeader.data() + 14);
    QTest::newRow("header size 41") << oddHeader << Kind::Damaged;

    QByteArray taller = rgb24;
    qToLittleEndian<qint32>(400, taller.data() + 22);
    QTest::newRow("height lies: 400 rows claimed, 4 present") << taller << Kind::Damaged;
    QByteArray farOffset = rgb24;
    qToLittleEndian<quint32>(1u << 30, farOffset.data() + 10);
    QTest::newRow("pixel offset beyond the file") << farOffset << Kind::Damaged;
    QTest::newRow("palette of 1000 colours claimed") << bmpHeader(4, 4, 8, 0, 0, 1000) + QByteArray(64, '\0')
                                                     << Kind::Damaged;
    QTest::newRow("16-bit bit fields without masks") << bmpHeader(4, 4, 16, 3) + QByteArray(32, '\0') << Kind::Damaged;
    QTest::newRow("8-bit pixels past a 2-colour palette")
        << bmpHeader(2, 1, 8, 0, 2, 2) + QByteArray("\x01\xc8\0\0", 4) << Kind::Damaged;
    QTest::newRow("1-bit pixels past a 1-colour palette") << bmpHeader(8, 1, 1, 0, 1, 1) + QByteArray("\xff\0\0\0", 4)
                                                          << Kind::Damaged;
    QTest::newRow("unknown compression") << bmpHeader(4, 4, 24, 9) + QByteArray(48, '\0') << Kind::Damaged;
    QTest::newRow("bits per pixel 7") << bmpHeader(4, 4, 7) + QByteArray(48, '\0') << Kind::Damaged;

    QTest::newRow("width 0") << bmpHeader(0, 8, 24) + QByteArray(64, '\0') << Kind::Damaged;
    QTest::newRow("height 0") << bmpHeader(8, 0, 24) + QByteArray(64, '\0') << Kind::Damaged;
    QTest::newRow("width -8") << bmpHeader(-8, 8, 24) + QByteArray(256, '\0') << Kind::Damaged;
    QTest::newRow("height most negative") << bmpHeader(8, std::numeric_limits<qint32>::min(), 24) + QByteArray(64, '\0')
                                          << Kind::TooLarge;
    QTest::newRow("width most positive") << bmpHeader(std::numeric_limits<qint32>::max(), 1, 1) + QByteArray(64, '\0')
                                         << Kind::TooLarge;
    QTest::newRow("100000x100000 1-bit") << bmpHeader(100000, 100000, 1, 0, 2) + QByteArray(4096, '\0')
                                         << Kind::TooLarge;
    QTest::newRow("100000x100000 RLE8") << bmpHeader(100000, 100000, 8, 1, 256) + QByteArray("\0\1", 2)
                                        << Kind::TooLarge;
    QTest::newRow("46341x46341, negative in 32 bits") << bmpHeader(46341, 46341, 32) + QByteArray(4096, '\0')
                                                      << Kind::TooLarge;

    QTest::newRow("PNG claiming 100000x100000") << pngHeader(100000, 100000) << Kind::TooLarge;
    QTest::newRow("PNG claiming 4097x4096") << pngHeader(4097, 4096) << Kind::TooLarge;
    QTest::newRow("PNG text chunk claiming 2 GB")
        << pngHeader(4, 4) + pngChunk("tEXt", "Comment\0more", 0x7FFFFFF0u) << Kind::Damaged;
    QTest::newRow("PNG unknown chunk claiming 2 GB")
        << pngHeader(4, 4) + pngChunk("zzZz", "data", 0x7FFFFFF0u) << Kind::Damaged;
    QTest::newRow("PNG chunk claiming 4 GB") << pngHeader(4, 4) + pngChunk("tEXt", "x", 0xFFFFFFF0u)
                                             << Kind::Damaged;
    QTest::newRow("PNG signature only") << QByteArray("\x89PNG\r\n\x1a\n", 8) << Kind::Damaged;
    QTest::newRow("PNG with its line ends converted") << QByteArray("\x89PNG\n\x1a\n", 7) + png.mid(8)
                                                      << Kind::Damaged;
    QTest::newRow("PNG cut in its pixels") << png.left(png.size() / 2) << Kind::Damaged;
    QTest::newRow("PNG without its end chunk") << png.chopped(12) << Kind::Damaged;
    QByteArray badCrc = png;
    badCrc[29] = char(badCrc[29] ^ 1);  // last byte of the header's CRC
    QTest::newRow("PNG header CRC wrong") << badCrc << Kind::Damaged;
    const qsizetype idat = palPng.indexOf("IDAT");
    QByteArray shortPalette = palPng;
    const qsizetype plte = shortPalette.indexOf("PLTE");
    QVERIFY(plte > 0 && idat > plte);
    {
        // The palette cut to one entry: the pixels now point past it.
        const quint32 length = qFromBigEndian<quint32>(shortPalette.constData() + plte - 4);
        shortPalette.replace(plte - 4, qsizetype(length) + 12, pngChunk("PLTE", shortPalette.mid(plte + 4, 3)));
        const qsizetype trns = shortPalette.indexOf("tRNS");
        if (trns > 0)
            shortPalette.remove(trns - 4, qFromBigEndian<quint32>(shortPalette.constData() + trns - 4) + 12);
    }
    QTest::newRow("PNG pixels past a 1-colour palette") << shortPalette << Kind::Damaged;

    QTest::newRow("GIF claiming a 65535x65535 screen") << gifHeader(65535, 65535) << Kind::TooLarge;
    QByteArray bigFrame = gifHeader(10, 10);
    qToLittleEndian<quint16>(60000, bigFrame.data() + 18);
    qToLittleEndian<quint16>(60000, bigFrame.data() + 20);
    QTest::newRow("GIF frame of 60000x60000 on a small screen") << bigFrame << Kind::TooLarge;
    QTest::newRow("GIF without a colour table") << gifHeader(4, 4) + QByteArray("\x00\x3b", 2) << Kind::Damaged;
    QTest::newRow("GIF cut in its pixels") << gif.left(gif.size() / 2) << Kind::Damaged;
    const int table = (gif[10] & 0x80) ? 3 * (2 << (gif[10] & 7)) : 0;
    QTest::newRow("GIF with no frame") << gif.left(13 + table).append(';') << Kind::Damaged;
}

// Truncated files, lying headers and impossible sizes are refused with the
// right kind, at once and without taking the memory claimed.
void PictureTests::hostile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Kind, kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("hostile.png");
    writeFile(path, bytes);

    QElapsedTimer timer;
    timer.start();
    QString message;
    QCOMPARE(refusal([&] { takePictureFile(path); }, &message), kind);
    QCOMPARE(refusal([&] { takePictureData(bytes, "hostile.png"); }), kind);
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
#ifndef PALVORN_ASAN
    QVERIFY2(peakResidentMB() < 300, qPrintable(QString::number(peakResidentMB())));
#endif
}

void PictureTests::fuzzFinds_data()
{
    QTest::addColumn<QString>("input");
    int rows = 0;
    for (const char* folder : {"corpus", "corpus-png", "corpus-gif", "corpus-jpeg", "corpus-webp", "regressions"}) {
        const QDir dir(QStringLiteral(PALVORN_FUZZ_DATA "/") + folder);
        for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
            QTest::newRow(qPrintable(QString("%1/%2").arg(folder, file))) << dir.filePath(file);
            ++rows;
        }
    }
    if (rows == 0)
        QTest::newRow("no inputs found") << QString();
}

// Every seed and every input the fuzzers ever found a fault with goes
// through the chosen-file path and the dropped-bytes path: no crash, the
// same outcome from both, and a sprite that is taken packs into the enemy
// file's text.
void PictureTests::fuzzFinds()
{
    QFETCH(QString, input);
    QVERIFY2(!input.isEmpty(), PALVORN_FUZZ_DATA " holds no inputs");
    QString fromFile;
    QString fromBytes;
    const Kind kind = refusal([&] { takePictureFile(input); }, &fromFile);
    QCOMPARE(refusal([&] { takePictureData(readAll(input), input); }, &fromBytes), kind);
    QCOMPARE(fromBytes, fromFile);
    if (kind != Kind(-1))
        return;
    const TakenPicture taken = takePictureFile(input);
    QCOMPARE(taken.marked.width(), taken.sprite.width());
    QCOMPARE(taken.marked.height(), taken.sprite.height());
    // A sprite whose height or bytes per row does not fit the file's byte is
    // refused by the writer; any other is written whole.
    palvorn::EnemyValues values;
    values.name = "Fuzz";
    values.sprites.fill(taken.sprite);
    std::string block;
    palvorn::WriteImage(block, taken.sprite);
    if (taken.sprite.height() > palvorn::kByteMax || taken.sprite.bytesPerRow() > palvorn::kByteMax)
        QVERIFY_THROWS_EXCEPTION(palvorn::ValueOutOfRange, palvorn::EnemySourceText(values));
    else
        QVERIFY(palvorn::EnemySourceText(values).find(block) != std::string::npos);
}

QTEST_MAIN(PictureTests)
#include "tst_pictures.moc"
