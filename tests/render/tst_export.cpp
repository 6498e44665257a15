// What is given out besides NAME.asm: the pose sheet, the battle sketch as an
// animated GIF (decoded by the project's own GIF reading and by ImageMagick
// to the frames of the loop) and the calculator screen; and what refuses.
#include <QtTest>

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "Battle.h"
#include "Export.h"
#include "Render.h"
#include "Sheet.h"
#include "SlimeEnemy.h"
#include "SpriteRows.h"
#include "TakeSheet.h"

using exporting::Kind;
using palvorn::Enemy;
using palvorn::Sprite;

Q_DECLARE_METATYPE(palvorn::Enemy)

namespace {

// Each pixel as a scale × scale block.
Sprite scaled(const Sprite& s, int scale)
{
    Sprite out(s.width() * scale, s.height() * scale);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, s.pixel(x / scale, y / scale));
    return out;
}

// Noise in every pose at the largest size a pose may pack (200 bytes), so
// that each frame of the loop changes as much as it can: the GIF's worst case.
Enemy noisyEnemy()
{
    Enemy e;
    std::uint32_t seed = 12345;
    const auto noise = [&seed](int width, int height) {
        Sprite s(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                seed = seed * 1103515245u + 12345u;
                s.setPixel(x, y, (seed >> 16) & 1);
            }
        return s;
    };
    e.sprites = {noise(40, 40), noise(40, 40), noise(64, 25), noise(40, 40), noise(40, 40)};
    return e;
}

QString imageMagick()
{
    return QStandardPaths::findExecutable(QStringLiteral("convert"));
}

}  // namespace

class TestExport : public QObject {
    Q_OBJECT

private slots:
    void battleDecodesToTheLoop_data();
    void battleDecodesToTheLoop();
    void battleDecodesWithImageMagick();
    void battleAtFourTimesIsSmall();
    void sheetTakenBack();
    void screenAsThePreviewShowsIt();
    void refusals_data();
    void refusals();
    void unwritableFile();
};

void TestExport::battleDecodesToTheLoop_data()
{
    QTest::addColumn<Enemy>("enemy");
    QTest::addColumn<int>("scale");
    QTest::newRow("Slime at 1x") << slimeEnemy() << 1;
    QTest::newRow("noise at 3x") << noisyEnemy() << 3;
}

void TestExport::battleDecodesToTheLoop()
{
    QFETCH(Enemy, enemy);
    QFETCH(int, scale);
    const QByteArray gif = exporting::exportBytes(Kind::Battle, enemy, scale);
    const std::vector<TakenPicture> frames = takeGifFrames(gif, QStringLiteral("battle.gif"), 1000);
    QCOMPARE(int(frames.size()), palvorn::battleLoopFrames());
    // The screen's ink is dark but not pure black: under Exact black the
    // frames come back as marks on a clear sprite.
    for (int f = 0; f < palvorn::battleLoopFrames(); ++f) {
        const palvorn::Converted exact = palvorn::convert(*frames[f].picture, {});
        QCOMPARE(exact.sprite, Sprite(96 * scale, 64 * scale));
        QCOMPARE(exact.marked, scaled(palvorn::battleFrame(enemy, f), scale));
    }
}

void TestExport::battleDecodesWithImageMagick()
{
    const QString convert = imageMagick();
    QVERIFY2(!convert.isEmpty(), "ImageMagick's convert is missing; scripts/setup.sh installs it");
    QTemporaryDir dir;
    const Enemy enemy = noisyEnemy();
    QFile file(dir.filePath(QStringLiteral("battle.gif")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(exporting::exportBytes(Kind::Battle, enemy, 2));
    file.close();

    QProcess identify;
    identify.start(QStandardPaths::findExecutable(QStringLiteral("identify")),
                   {QStringLiteral("-format"), QStringLiteral("%W %H %T %n\n"), file.fileName()});
    QVERIFY(identify.waitForFinished(60000));
    const QStringList lines = QString::fromLatin1(identify.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), palvorn::battleLoopFrames());
    QCOMPARE(lines[0], QStringLiteral("192 128 10 %1").arg(palvorn::battleLoopFrames()));

    // Every frame as ImageMagick draws it, in red, green, blue bytes.
    QProcess process;
    process.start(convert, {file.fileName(), QStringLiteral("-coalesce"), QStringLiteral("-depth"),
                            QStringLiteral("8"), QStringLiteral("rgb:-")});
    QVERIFY(process.waitForFinished(120000));
    const QByteArray rgb = process.readAllStandardOutput();
    const int w = 192, h = 128;
    QCOMPARE(rgb.size(), qsizetype(palvorn::battleLoopFrames()) * w * h * 3);
    for (int f = 0; f < palvorn::battleLoopFrames(); ++f) {
        const Sprite expected = scaled(palvorn::battleFrame(enemy, f), 2);
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const char* p = rgb.constData() + ((qsizetype(f) * h + y) * w + x) * 3;
                const QRgb colour = expected.pixel(x, y) ? render::kScreenInk : render::kScreenColour;
                wrong += uchar(p[0]) != qRed(colour) || uchar(p[1]) != qGreen(colour) || uchar(p[2]) != qBlue(colour);
            }
        QVERIFY2(wrong == 0, qPrintable(QStringLiteral("frame %1: %2 pixels differ").arg(f).arg(wrong)));
    }
}

void TestExport::battleAtFourTimesIsSmall()
{
    for (const Enemy& enemy : {slimeEnemy(), noisyEnemy()}) {
        const QByteArray gif = exporting::exportBytes(Kind::Battle, enemy, 4);
        QVERIFY2(gif.size() < 200 * 1024, qPrintable(QStringLiteral("%1 bytes").arg(gif.size())));
    }
}

void TestExport::sheetTakenBack()
{
    Enemy e;
    e.sprites = {sprite(5, {"..X..", ".XXX.", "XX.XX", "X...X"}), sprite(3, {"XXX", "X.X", "XXX", "..X", "X.X"}),
                 sprite(2, {"X.", ".X"}), sprite(7, {"X.....X", ".XXXXX."}), sprite(1, {"X"})};
    const TakenPicture sheet = takePictureData(exporting::exportBytes(Kind::Sheet, e, 3), {});
    QCOMPARE(sheet.sprite, palvorn::sheetOf(e.sprites));  // 1 pixel a pixel whatever the scale
    const auto poses = sheetPoses(sheet);
    QVERIFY(poses);
    for (int i = 0; i < palvorn::kPoses; ++i)
        QCOMPARE((*poses)[i].sprite, e.sprites[i]);
}

void TestExport::screenAsThePreviewShowsIt()
{
    const Enemy slime = slimeEnemy();
    for (const int scale : {1, 4}) {
        QImage png;
        QVERIFY(png.loadFromData(exporting::exportBytes(Kind::Screen, slime, scale), "PNG"));
        QCOMPARE(png.convertToFormat(QImage::Format_RGB32),
                 render::renderScreen(slime.sprites[0], slime.sprites[0], scale));
    }
}

void TestExport::refusals_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("message");
    QTest::newRow("sheet without a pose") << int(Kind::Sheet) << 1
                                          << "The special attack sprite is missing; a pose sheet holds all five.";
    QTest::newRow("scale 0") << int(Kind::Battle) << 0 << "The scale 0 is outside 1 to 4.";
    QTest::newRow("scale 5") << int(Kind::Screen) << 5 << "The scale 5 is outside 1 to 4.";
}

void TestExport::refusals()
{
    QFETCH(int, kind);
    QFETCH(int, scale);
    QFETCH(QString, message);
    Enemy e = slimeEnemy();
    e.sprites[3] = {};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out"));
    QCOMPARE(exporting::writeExport(Kind(kind), e, scale, path),
             QStringLiteral("The file \"%1\" was not written: %2").arg(QDir::toNativeSeparators(path), message));
    QVERIFY(!QFile::exists(path));
}

void TestExport::unwritableFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no such folder/sheet.png"));
    const QString message = exporting::writeExport(Kind::Sheet, slimeEnemy(), 1, path);
    QVERIFY2(message.startsWith(QStringLiteral("The file \"%1\" could not be written: ").arg(QDir::toNativeSeparators(path))),
             qPrintable(message));
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
