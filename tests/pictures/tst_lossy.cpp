// JPEG and WebP in: every kind read comes in as its picture, upright, at
// Threshold; the kinds not read, cut files and size bombs are refused by
// name before pixel memory is taken. And the conversion any picture starts
// with: Exact black when it has pure black, Threshold when it only has dark.

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include "Convert.h"
#include "TakePicture.h"

Q_DECLARE_METATYPE(PictureError::Kind)
Q_DECLARE_METATYPE(palvorn::ConvertMode)

namespace {

using Kind = PictureError::Kind;

const QString kLossy = QStringLiteral(PALVORN_TEST_DATA "/lossy");

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The fixtures' picture: the left half black, the right half white but for
// a dark grey band across rows 4 and 5, 16 × 12.
bool setInFixture(int x, int y) { return x < 8 || y == 4 || y == 5; }

// The bytes with the JPEG start-of-frame's height and width replaced.
QByteArray jpegSized(QByteArray bytes, quint16 width, quint16 height)
{
    for (int i = 2; i + 8 < bytes.size(); ++i)
        if (quint8(bytes[i]) == 0xFF && (quint8(bytes[i + 1]) == 0xC0 || quint8(bytes[i + 1]) == 0xC2)) {
            bytes[i + 5] = char(height >> 8);
            bytes[i + 6] = char(height);
            bytes[i + 7] = char(width >> 8);
            bytes[i + 8] = char(width);
            return bytes;
        }
    return {};
}

// The bytes of a simple lossy WebP with its frame's size replaced (14 bits
// a side, little-endian, after the frame tag and start code).
QByteArray webpSized(QByteArray bytes, quint16 width, quint16 height)
{
    if (bytes.mid(12, 4) != "VP8 ")
        return {};
    bytes[26] = char(width);
    bytes[27] = char(width >> 8);
    bytes[28] = char(height);
    bytes[29] = char(height >> 8);
    return bytes;
}

Kind refusal(const QByteArray& bytes, QString* message)
{
    try {
        takePictureData(bytes, QStringLiteral("x"));
    } catch (const PictureError& error) {
        *message = error.message();
        return error.kind();
    }
    *message = QStringLiteral("(taken)");
    return Kind::NotAPicture;
}

}  // namespace

class LossyTests : public QObject {
    Q_OBJECT

private slots:
    void taken_data()
    {
        QTest::addColumn<QString>("file");
        for (const char* file : {"baseline.jpg", "progressive.jpg", "grey.jpg", "cmyk.jpg", "turned.jpg",
                                 "lossy.webp", "lossless.webp", "alpha.webp"})
            QTest::newRow(file) << QString::fromLatin1(file);
    }
    // Each comes in upright at its full size, at Threshold, with the note
    // saying so; from a file and from the same bytes alike.
    void taken()
    {
        QFETCH(QString, file);
        const QString path = kLossy + QLatin1Char('/') + file;
        const TakenPicture taken = takePictureFile(path);
        QVERIFY(taken.picture);
        QCOMPARE(taken.picture->width(), 16);
        QCOMPARE(taken.picture->height(), 12);
        QCOMPARE(taken.conversion.mode, palvorn::ConvertMode::Threshold);
        QCOMPARE(taken.conversion.threshold, palvorn::kDefaultThreshold);
        QVERIFY2(taken.note.endsWith(QStringLiteral(": Threshold 50 %")), qPrintable(taken.note));
        QCOMPARE(taken.sprite, palvorn::convert(*taken.picture, taken.conversion).sprite);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x)
                QVERIFY2(taken.sprite.pixel(x, y) == setInFixture(x, y), qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        const TakenPicture dropped = takePictureData(readAll(path), file);
        QCOMPARE(dropped.sprite, taken.sprite);
        QCOMPARE(*dropped.picture, *taken.picture);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("said");
        const QByteArray jpeg = readAll(kLossy + "/baseline.jpg");
        const QByteArray progressive = readAll(kLossy + "/progressive.jpg");
        const QByteArray webp = readAll(kLossy + "/lossy.webp");
        QTest::newRow("animated WebP") << readAll(kLossy + "/animated.webp") << Kind::Unsupported
                                       << "is an animated WebP picture, which cannot be read";
        QTest::newRow("JPEG cut in its pixels") << jpeg.left(jpeg.size() - 60) << Kind::Damaged << "cut short";
        QTest::newRow("JPEG cut in its header") << jpeg.left(40) << Kind::Damaged << "cut short";
        QTest::newRow("progressive JPEG cut") << progressive.left(progressive.size() - 100) << Kind::Damaged
                                              << "cut short";
        QTest::newRow("WebP cut") << webp.left(webp.size() - 10) << Kind::Damaged << "cut short";
        QTest::newRow("JPEG of 30000 x 30000") << jpegSized(jpeg, 30000, 30000) << Kind::TooLarge
                                               << "30000 x 30000 pixels, larger than the limit of 4096 x 4096";
        QTest::newRow("JPEG 65000 wide") << jpegSized(jpeg, 65000, 2) << Kind::TooLarge
                                         << "65000 x 2 pixels, longer than the limit";
        QTest::newRow("progressive JPEG of 5000 x 5000") << jpegSized(progressive, 5000, 5000) << Kind::TooLarge
                                                         << "5000 x 5000 pixels";
        QTest::newRow("WebP of 10000 x 10000") << webpSized(webp, 10000, 10000) << Kind::TooLarge
                                               << "10000 x 10000 pixels, larger than the limit";
    }
    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Kind, kind);
        QFETCH(QString, said);
        QVERIFY(!bytes.isEmpty());
        QString message;
        QCOMPARE(refusal(bytes, &message), kind);
        QVERIFY2(message.startsWith(QStringLiteral("The file \"x\" ")) && message.contains(said), qPrintable(message));
    }

    void startingConversion_data()
    {
        QTest::addColumn<QStringList>("rows");  // '#' pure black, 'd' dark grey, 'l' light grey, '.' white
        QTest::addColumn<palvorn::ConvertMode>("mode");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QStringList>("sprite");
        QTest::newRow("pure black") << QStringList{"#d.", "ld#"} << palvorn::ConvertMode::ExactBlack << QString()
                                    << QStringList{"#..", "..#"};
        QTest::newRow("dark, no pure black") << QStringList{"dl.", "ldd"} << palvorn::ConvertMode::Threshold
                                             << "No pure black: Threshold 50 %" << QStringList{"#..", ".##"};
        QTest::newRow("nothing dark") << QStringList{"l..", ".l."} << palvorn::ConvertMode::ExactBlack << QString()
                                      << QStringList{"...", "..."};
    }
    void startingConversion()
    {
        QFETCH(QStringList, rows);
        QFETCH(palvorn::ConvertMode, mode);
        QFETCH(QString, note);
        QFETCH(QStringList, sprite);
        QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const char c = rows[y][x].toLatin1();
                image.setPixel(x, y, c == '#' ? 0xFF000000 : c == 'd' ? 0xFF303030 : c == 'l' ? 0xFFB0B0B0 : 0xFFFFFFFF);
            }
        const TakenPicture taken = takeImage(image);
        QCOMPARE(taken.conversion.mode, mode);
        QCOMPARE(taken.note, note);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(taken.sprite.pixel(x, y), sprite[y][x] == QLatin1Char('#'));
        // The Exact black sprite and its marks stay one conversion away.
        const palvorn::Converted exact = palvorn::convert(*taken.picture, {});
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                QCOMPARE(exact.sprite.pixel(x, y), rows[y][x] == QLatin1Char('#'));
                QCOMPARE(exact.marked.pixel(x, y), rows[y][x] == QLatin1Char('d'));
            }
    }
};

QTEST_GUILESS_MAIN(LossyTests)
#include "tst_lossy.moc"
