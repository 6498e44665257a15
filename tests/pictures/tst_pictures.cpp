// Picture loading: every bitmap encoding packs as ImageMagick reads it, and
// broken or hostile files are refused quickly with bounded memory.

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/resource.h>

#include <array>
#include <limits>
#include <string>

#include "EnemySource.h"
#include "PictureLoader.h"
#include "Sprite.h"
#include "SpriteImage.h"

#if defined(__SANITIZE_ADDRESS__)
#define PALVORN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PALVORN_ASAN 1
#endif
#endif

namespace {

const QString kEncodings = QStringLiteral(PALVORN_TEST_DATA "/encodings");

// Every encoding make-fixtures.sh writes, each in widths 1 to 17.
const QStringList kEncodingNames = {
    "pal1", "pal1inverted", "pal4", "pal8", "rle4", "rle8", "rgb565", "rgb565info", "rgb555", "rgb555plain",
    "argb1555", "argb4444", "rgb24", "xrgb32", "argb32", "topdown1", "topdown8", "topdown24", "os2"};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
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

// The bytes WriteImage wrote, read back from its text: the size line's number
// and every "$HH" of the row lines, in order.
bool parseSpriteBlock(const std::string& text, int* size, QByteArray* bytes)
{
    const QList<QByteArray> lines = QByteArray::fromStdString(text).split('\n');
    if (lines.isEmpty() || !lines.front().startsWith(" .db "))
        return false;
    bool ok = false;
    *size = lines.front().mid(5).trimmed().toInt(&ok);
    if (!ok)
        return false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        if (!line.startsWith(".db "))
            return false;
        for (const QByteArray& item : line.mid(4).split(',')) {
            if (item.size() != 3 || item[0] != '$')
                return false;
            bytes->append(char(item.mid(1).toInt(&ok, 16)));
            if (!ok)
                return false;
        }
    }
    return true;
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

// A PNG signature and a well-formed IHDR claiming width × height, no pixels.
QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray ihdr("IHDR");
    ihdr.append(QByteArray(13, '\0'));
    qToBigEndian<quint32>(width, ihdr.data() + 4);
    qToBigEndian<quint32>(height, ihdr.data() + 8);
    ihdr[12] = 8;  // bit depth
    ihdr[13] = 2;  // RGB
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png.append(QByteArray("\0\0\0\x0d", 4)).append(ihdr);
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(ihdr), crc.data());
    return png.append(crc);
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

// What the wizard does with a chosen picture after loading it: measure it,
// pack it and write the enemy file's text with it in every slot.
void packAll(const QImage& image)
{
    const palvorn::Sprite sprite = spriteFromImage(image);
    QCOMPARE(sprite.packedSize(), palvorn::packedSize(image.width(), image.height()));
    std::string block;
    palvorn::WriteImage(block, sprite);
    palvorn::EnemyValues values;
    values.name = "Fuzz";
    values.sprites.fill(sprite);
    QVERIFY(palvorn::EnemySourceText(values).size() > 5 * block.size());
}

// The picture's measured size and packed bytes against the oracle's.
void checkAgainstOracle(const QString& picture, const QString& pbm)
{
    const Pbm oracle = parsePbm(readAll(pbm));
    QVERIFY2(oracle.width > 0 && oracle.height > 0, "unreadable oracle");

    const QImage image = loadPicture(picture);
    QVERIFY(!image.isNull());
    QCOMPARE(image.width(), oracle.width);
    QCOMPARE(image.height(), oracle.height);
    QCOMPARE(palvorn::packedSize(image.width(), image.height()), int(oracle.raster.size()));

    std::string block;
    palvorn::WriteImage(block, spriteFromImage(image));
    int size = -1;
    QByteArray packed;
    QVERIFY2(parseSpriteBlock(block, &size, &packed), block.c_str());
    QCOMPARE(size, int(oracle.raster.size()));
    if (packed != oracle.raster) {
        const int perRow = palvorn::bytesPerRow(oracle.width);
        for (int y = 0; y < oracle.height; ++y) {
            const QByteArray got = packed.mid(y * perRow, perRow);
            const QByteArray want = oracle.raster.mid(y * perRow, perRow);
            QVERIFY2(got == want, qPrintable(QString("row %1: %2, ImageMagick %3")
                                                 .arg(y)
                                                 .arg(QString(got.toHex(' ')), QString(want.toHex(' ')))));
        }
        QCOMPARE(packed, oracle.raster);
    }
}

}  // namespace

class PictureTests : public QObject {
    Q_OBJECT

private slots:
    void everyEncodingHasItsFixtures();
    void encodings_data();
    void encodings();
    void otherFormats_data();
    void otherFormats();
    void sameThroughEveryEntry();
    void bounds_data();
    void bounds();
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
            const QStringList found = dir.entryList({QString("%1-%2x?.bmp").arg(name).arg(w)}, QDir::Files);
            QVERIFY2(found.size() == 1, qPrintable(QString("%1 at width %2").arg(name).arg(w)));
            QVERIFY2(dir.exists(found.front().chopped(4) + ".pbm"), qPrintable(found.front()));
        }
    }
}

void PictureTests::encodings_data()
{
    QTest::addColumn<QString>("bitmap");
    for (const QString& file : QDir(kEncodings).entryList({"*.bmp"}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(file.chopped(4))) << QDir(kEncodings).filePath(file);
}

// The measured size and the packed bytes against ImageMagick's PBM of the
// same file with every colour but pure black made white, seen on white.
void PictureTests::encodings()
{
    QFETCH(QString, bitmap);
    checkAgainstOracle(bitmap, bitmap.chopped(4) + ".pbm");
}

void PictureTests::otherFormats_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("loads");
    QTest::newRow("bitmap named .png") << "bitmap-named-as.png" << true;
    for (const char* file : {"argb32-13x4.png", "argb32-13x4.gif", "argb32-13x4.ico", "argb32-13x4.xpm",
                             "rgb24-13x4.ppm", "pal1-13x4.xbm"})
        QTest::newRow(file) << file << false;
}

// The content decides, not the name: a bitmap loads whatever it is called,
// and a picture in another format is refused although Qt could decode it.
void PictureTests::otherFormats()
{
    QFETCH(QString, file);
    QFETCH(bool, loads);
    const QString path = QStringLiteral(PALVORN_TEST_DATA "/formats/") + file;
    QVERIFY2(QFile::exists(path), qPrintable(path));
    if (loads)
        checkAgainstOracle(path, path + ".pbm");
    else
        QVERIFY(loadPicture(path).isNull());
}

// A file, an open device part-way into a stream and bytes in memory give
// the same picture.
void PictureTests::sameThroughEveryEntry()
{
    const QString file = QDir(kEncodings).filePath("rle4-333x111.bmp");
    const QByteArray bytes = readAll(file);
    const QImage fromFile = loadPicture(file);
    QVERIFY(!fromFile.isNull());
    QCOMPARE(loadPictureData(bytes), fromFile);

    QBuffer buffer;
    buffer.setData(QByteArray("leading bytes") + bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    buffer.seek(13);
    QCOMPARE(loadPicture(&buffer), fromFile);
}

void PictureTests::bounds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("loads");
    // Whole files with every pixel present: only the size decides.
    QTest::newRow("4096x4096 loads") << monoBitmap(4096, 4096) << true;
    QTest::newRow("4096x4096 24-bit loads")  // the most memory a bitmap within the bound takes
        << bmpHeader(4096, 4096, 24) + QByteArray(qsizetype(4096) * 4096 * 3, '\0') << true;
    QTest::newRow("4097x4096 refused") << monoBitmap(4097, 4096) << false;
    QTest::newRow("4096x4097 refused") << monoBitmap(4096, 4097) << false;
    QTest::newRow("widest sprite 32767x1 loads") << monoBitmap(32767, 1) << true;
    QTest::newRow("32768x1 wider than a sprite refused") << monoBitmap(32768, 1) << false;
    QTest::newRow("1x32768 higher than a sprite refused") << monoBitmap(1, 32768) << false;
}

// The largest pictures load and pack in bounded memory; one pixel more, or
// one side longer than a sprite's, is refused rather than crash the packer.
void PictureTests::bounds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, loads);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("big.bmp");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    const QImage image = loadPicture(path);
    QCOMPARE(!image.isNull(), loads);
    if (loads) {
        const palvorn::Sprite sprite = spriteFromImage(image);
        QCOMPARE(sprite.width(), image.width());
        QCOMPARE(sprite.packedSize(), palvorn::packedSize(image.width(), image.height()));
        QVERIFY(sprite.pixel(image.width() - 1, image.height() - 1));  // all black
    }
#ifndef PALVORN_ASAN
    QVERIFY2(peakResidentMB() < 300, qPrintable(QString::number(peakResidentMB())));
#endif
}

void PictureTests::hostile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray rgb24 = readAll(QDir(kEncodings).filePath("rgb24-13x4.bmp"));
    const QByteArray pal8 = readAll(QDir(kEncodings).filePath("pal8-13x4.bmp"));
    const QByteArray rle8 = readAll(QDir(kEncodings).filePath("rle8-333x111.bmp"));
    const QByteArray rle4 = readAll(QDir(kEncodings).filePath("rle4-333x111.bmp"));
    const QByteArray argb32 = readAll(QDir(kEncodings).filePath("argb32-101x37.bmp"));
    QVERIFY(!rgb24.isEmpty() && !pal8.isEmpty() && !rle8.isEmpty() && !rle4.isEmpty() && !argb32.isEmpty());

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("magic only") << QByteArray("BM");
    QTest::newRow("text file") << QByteArray("not a picture at all\n");
    QTest::newRow("header without pixels") << bmpHeader(8, 8, 24);
    QTest::newRow("24-bit cut in the first row") << rgb24.left(60);
    QTest::newRow("24-bit cut mid-picture") << rgb24.left(rgb24.size() / 2);
    QTest::newRow("24-bit one byte short") << rgb24.chopped(1);
    QTest::newRow("8-bit cut in the palette") << pal8.left(54 + 40);
    QTest::newRow("8-bit cut after the palette") << pal8.left(54 + 1024);
    QTest::newRow("RLE8 cut mid-stream") << rle8.left(rle8.size() / 2);
    QTest::newRow("RLE4 cut mid-stream") << rle4.left(rle4.size() / 2);
    QTest::newRow("RLE8 ending after one row") << bmpHeader(16, 16, 8, 1, 256) + QByteArray("\x10\x00\x00\x00\x00\x01", 6);
    QTest::newRow("RLE8 jumping past the end")
        << bmpHeader(16, 2, 8, 1, 256) + QByteArray("\x00\x02\xff\xff\x10\x01\x00\x01", 8);
    QTest::newRow("32-bit with alpha cut mid-picture") << argb32.left(argb32.size() * 2 / 3);

    QByteArray header56 = rgb24;  // a header size Qt reads as the oldest, 16-bit one
    qToLittleEndian<quint32>(56, header56.data() + 14);
    QTest::newRow("header size 56") << header56;
    QByteArray hugeHeader = rgb24;
    qToLittleEndian<quint32>(0x00200028, hugeHeader.data() + 14);
    QTest::newRow("header size past the file") << hugeHeader;

    QByteArray taller = rgb24;
    qToLittleEndian<qint32>(400, taller.data() + 22);
    QTest::newRow("height lies: 400 rows claimed, 4 present") << taller;
    QByteArray farOffset = rgb24;
    qToLittleEndian<quint32>(1u << 30, farOffset.data() + 10);
    QTest::newRow("pixel offset beyond the file") << farOffset;
    QTest::newRow("palette of 1000 colours claimed") << bmpHeader(4, 4, 8, 0, 0, 1000) + QByteArray(64, '\0');
    QTest::newRow("16-bit bit fields without masks") << bmpHeader(4, 4, 16, 3) + QByteArray(32, '\0');
    QTest::newRow("8-bit pixels past a 2-colour palette")
        << bmpHeader(2, 1, 8, 0, 2, 2) + QByteArray("\x01\xc8\0\0", 4);
    QTest::newRow("1-bit pixels past a 1-colour palette") << bmpHeader(8, 1, 1, 0, 1, 1) + QByteArray("\xff\0\0\0", 4);
    QTest::newRow("unknown compression") << bmpHeader(4, 4, 24, 9) + QByteArray(48, '\0');
    QTest::newRow("bits per pixel 7") << bmpHeader(4, 4, 7) + QByteArray(48, '\0');

    QTest::newRow("width 0") << bmpHeader(0, 8, 24) + QByteArray(64, '\0');
    QTest::newRow("height 0") << bmpHeader(8, 0, 24) + QByteArray(64, '\0');
    QTest::newRow("width -8") << bmpHeader(-8, 8, 24) + QByteArray(256, '\0');
    QTest::newRow("height most negative") << bmpHeader(8, std::numeric_limits<qint32>::min(), 24) + QByteArray(64, '\0');
    QTest::newRow("width most positive") << bmpHeader(std::numeric_limits<qint32>::max(), 1, 1) + QByteArray(64, '\0');
    QTest::newRow("100000x100000 1-bit") << bmpHeader(100000, 100000, 1, 0, 2) + QByteArray(4096, '\0');
    QTest::newRow("100000x100000 24-bit") << bmpHeader(100000, 100000, 24) + QByteArray(4096, '\0');
    QTest::newRow("100000x100000 RLE8") << bmpHeader(100000, 100000, 8, 1, 256) + QByteArray("\0\1", 2);
    QTest::newRow("65536x65536, 0 in 32 bits") << bmpHeader(65536, 65536, 24) + QByteArray(4096, '\0');
    QTest::newRow("46341x46341, negative in 32 bits") << bmpHeader(46341, 46341, 32) + QByteArray(4096, '\0');
    QTest::newRow("PNG claiming 100000x100000") << pngHeader(100000, 100000);
    QTest::newRow("GIF claiming 65535x65535") << gifHeader(65535, 65535);
}

// Truncated files, lying headers and impossible sizes give no picture (the
// "could not be read" path), at once and without taking the memory claimed.
void PictureTests::hostile()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("hostile.bmp");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    QElapsedTimer timer;
    timer.start();
    QVERIFY(loadPicture(path).isNull());
    QVERIFY(loadPictureData(bytes).isNull());
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
#ifndef PALVORN_ASAN
    QVERIFY2(peakResidentMB() < 300, qPrintable(QString::number(peakResidentMB())));
#endif
}

void PictureTests::fuzzFinds_data()
{
    QTest::addColumn<QString>("input");
    int rows = 0;
    for (const char* folder : {"corpus", "regressions"}) {
        const QDir dir(QStringLiteral(PALVORN_FUZZ_DATA "/") + folder);
        for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
            QTest::newRow(qPrintable(QString("%1/%2").arg(folder, file))) << dir.filePath(file);
            ++rows;
        }
    }
    if (rows == 0)
        QTest::newRow("no inputs found") << QString();
}

// Every seed and every input the fuzzer ever found a fault with goes through
// the chosen-file path: no crash, the same picture or none from the file and
// from its bytes in memory, and a picture that loads packs.
void PictureTests::fuzzFinds()
{
    QFETCH(QString, input);
    QVERIFY2(!input.isEmpty(), PALVORN_FUZZ_DATA " holds no inputs");
    const QImage image = loadPicture(input);
    QVERIFY(loadPictureData(readAll(input)) == image);
    if (!image.isNull())
        packAll(image);
}

QTEST_MAIN(PictureTests)
#include "tst_pictures.moc"
