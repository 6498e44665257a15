// The pictures the user sees: the picture box and the calculator screen,
// pixel for pixel, their texts, and the two widgets against the functions.
#include <QtTest>

#include <QImage>
#include <QSignalSpy>
#include <array>
#include <random>
#include <stdexcept>

#include "Render.h"
#include "ScreenPreview.h"
#include "SpriteOf.h"
#include "SpriteView.h"
#include "Sprite.h"

namespace {

using palvorn::Sprite;

// A picture as the intake gives it, written as text: 'X' set, 'm' clear but
// looking dark (marked), '*' both (set wins), anything else clear. The mask
// stays empty when nothing is marked.
struct Picture {
    Sprite sprite;
    Sprite marked;
};

Picture picture(const QStringList& rows)
{
    int width = 0;
    for (const QString& row : rows)
        width = std::max(width, int(row.size()));
    Picture p{Sprite(width, int(rows.size())), Sprite(width, int(rows.size()))};
    bool anyMarked = false;
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x) {
            const QChar c = rows[y][x];
            p.sprite.setPixel(x, y, c == 'X' || c == '*');
            p.marked.setPixel(x, y, c == 'm' || c == '*');
            anyMarked = anyMarked || c == 'm' || c == '*';
        }
    if (!anyMarked)
        p.marked = Sprite();
    return p;
}

// An image written as text, one colour per character.
QImage image(const QStringList& rows)
{
    const int width = rows.isEmpty() ? 0 : int(rows.first().size());
    QImage out(width, int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < width; ++x) {
            switch (rows[y][x].toLatin1()) {
            case 'X': out.setPixel(x, y, render::kSetColour); break;
            case 'm': out.setPixel(x, y, render::kMarkedColour); break;
            case '.': out.setPixel(x, y, render::kClearColour); break;
            case '_': out.setPixel(x, y, render::kBoxColour); break;
            default: out.setPixel(x, y, qRgb(1, 2, 3));  // a typo in a test shows as a mismatch
            }
        }
    return out;
}

// The 96 × 64 screen: background everywhere except the window at `origin`,
// written as text: '#' ink, 'o' RobotTo outline, anything else background.
QImage screen(QPoint origin, const QStringList& window)
{
    QImage out(96, 64, QImage::Format_RGB32);
    out.fill(render::kScreenColour);
    for (int y = 0; y < window.size(); ++y)
        for (int x = 0; x < window[y].size(); ++x) {
            const QChar c = window[y][x];
            if (c == '#' || c == 'o')
                out.setPixel(origin.x() + x, origin.y() + y, c == '#' ? render::kScreenInk : render::kRobotToColour);
        }
    return out;
}

QString colourName(QRgb c)
{
    c |= 0xff000000u;
    const std::pair<QRgb, const char*> names[] = {
        {render::kSetColour, "set"},       {render::kClearColour, "clear"},   {render::kMarkedColour, "marked"},
        {render::kBoxColour, "box"},       {render::kScreenColour, "screen"}, {render::kScreenInk, "ink"},
        {render::kRobotToColour, "robotTo"}};
    for (const auto& [colour, name] : names)
        if (colour == c)
            return QLatin1String(name);
    return QStringLiteral("#%1").arg(c & 0xffffffu, 6, 16, QLatin1Char('0'));
}

// Empty when both images hold the same pixels, else the first difference.
QString difference(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1 x %2, expected %3 x %4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != e.pixel(x, y))
                return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(colourName(a.pixel(x, y)), colourName(e.pixel(x, y)));
    return {};
}

#define COMPARE_IMAGES(actual, expected)                                \
    do {                                                                \
        const QString diff_ = difference((actual), (expected));         \
        QVERIFY2(diff_.isEmpty(), qPrintable(diff_));                   \
    } while (false)

int countColour(const QImage& img, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == (colour | 0xff000000u);
    return n;
}

// A sprite of that size with no pixel set.
Sprite blank(QSize size)
{
    return Sprite(size.width(), size.height());
}

// A normal sprite whose outline and set pixels differ.
const QStringList kNormal4 = {"X..X", ".XX.", ".XX.", "X..X"};

}  // namespace

class TestRender : public QObject {
    Q_OBJECT

private slots:
    void scaleForABox_data();
    void scaleForABox();
    void spritePixels_data();
    void spritePixels();
    void darkButClearFromTheRealPixelRule();
    void boxCentresThePicture_data();
    void boxCentresThePicture();
    void pictureNote_data();
    void pictureNote();
    void refusals();
    void gridFromZoomEight_data();
    void gridFromZoomEight();
    void redrawnPartIsTheWholeBox_data();
    void redrawnPartIsTheWholeBox();

    void screenPixels_data();
    void screenPixels();
    void screenClipsWithoutWrapping();
    void screenNote_data();
    void screenNote();
    void screenZoom_data();
    void screenZoom();

    void posesScaledLikeTheBox_data();
    void posesScaledLikeTheBox();

    void spriteViewShowsTheBox();
    void screenPreviewShowsTheScreen();
};

void TestRender::scaleForABox_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<int>("up");
    QTest::addColumn<int>("down");
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<QString>("text");

    const QSize box(192, 128);
    QTest::newRow("40x40 enlarged by the narrower side") << QSize(40, 40) << box << 3 << 1 << QSize(120, 120)
                                                         << "shown at 3:1";
    QTest::newRow("8x200 too tall: halved") << QSize(8, 200) << box << 1 << 2 << QSize(4, 100) << "shown at 1:2";
    QTest::newRow("96x64 screen at 2:1") << QSize(96, 64) << box << 2 << 1 << QSize(192, 128) << "shown at 2:1";
    QTest::newRow("4096x4096 shrunk by the taller side") << QSize(4096, 4096) << box << 1 << 32 << QSize(128, 128)
                                                         << "shown at 1:32";
    QTest::newRow("1x1 fills the short side") << QSize(1, 1) << box << 128 << 1 << QSize(128, 128)
                                              << "shown at 128:1";
    QTest::newRow("0x0 nothing to scale") << QSize(0, 0) << box << 1 << 1 << QSize(0, 0) << "shown at 1:1";
    QTest::newRow("exact fit 1:1") << QSize(192, 128) << box << 1 << 1 << QSize(192, 128) << "shown at 1:1";
    QTest::newRow("one pixel too wide: halved, rounded up") << QSize(193, 128) << box << 1 << 2 << QSize(97, 64)
                                                            << "shown at 1:2";
    QTest::newRow("twice and a pixel too wide: 1:3") << QSize(385, 10) << box << 1 << 3 << QSize(129, 4)
                                                     << "shown at 1:3";
    QTest::newRow("empty box") << QSize(40, 40) << QSize(0, 0) << 1 << 1 << QSize(40, 40) << "shown at 1:1";
}

void TestRender::scaleForABox()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, box);
    QFETCH(int, up);
    QFETCH(int, down);
    QFETCH(QSize, shown);
    QFETCH(QString, text);

    const render::Scale scale = render::scaleFor(picture, box);
    QCOMPARE(scale.up, up);
    QCOMPARE(scale.down, down);
    QCOMPARE(render::scaledSize(picture, scale), shown);
    QCOMPARE(render::scaleText(scale), text);
    // A real picture in a real box always fits, and the next whole step would not.
    if (!picture.isEmpty() && !box.isEmpty()) {
        QVERIFY(shown.width() <= box.width() && shown.height() <= box.height());
        const render::Scale next = scale.down > 1 ? render::Scale{1, scale.down - 1} : render::Scale{scale.up + 1, 1};
        const QSize bigger = render::scaledSize(picture, next);
        QVERIFY(bigger.width() > box.width() || bigger.height() > box.height());
    }
}

void TestRender::spritePixels_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("up");
    QTest::addColumn<int>("down");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("1:1 set, marked, clear") << QStringList{"X.m", ".Xm"} << 1 << 1 << QStringList{"X.m", ".Xm"};
    QTest::newRow("1:1 without a mask") << QStringList{"X..", "..X"} << 1 << 1 << QStringList{"X..", "..X"};
    QTest::newRow("set wins over marked") << QStringList{"*m"} << 1 << 1 << QStringList{"Xm"};
    QTest::newRow("2:1 doubles each pixel")
        << QStringList{"Xm", ".X"} << 2 << 1 << QStringList{"XXmm", "XXmm", "..XX", "..XX"};
    QTest::newRow("9 wide across a byte at 1:1")
        << QStringList{"........X", "X........"} << 1 << 1 << QStringList{"........X", "X........"};
    QTest::newRow("1:2 darkest of each block, short blocks at the edges")
        << QStringList{"X...m", ".....", "..m.."} << 1 << 2 << QStringList{"X.m", ".m."};
    QTest::newRow("1:2 set beats marked in a block") << QStringList{"mX", "m."} << 1 << 2 << QStringList{"X"};
    QTest::newRow("1:3 set pixel in a block across a byte boundary")
        << QStringList{"........X", "........."} << 1 << 3 << QStringList{"..X"};
    QTest::newRow("1:3 marked pixel in a block across a byte boundary")
        << QStringList{".........", "......m.."} << 1 << 3 << QStringList{"..m"};
    QTest::newRow("1:3 a one-pixel line stays visible")
        << QStringList{"......", "......", "....X.", "......"} << 1 << 3 << QStringList{".X", ".."};
}

void TestRender::spritePixels()
{
    QFETCH(QStringList, rows);
    QFETCH(int, up);
    QFETCH(int, down);
    QFETCH(QStringList, expected);

    const Picture p = picture(rows);
    COMPARE_IMAGES(render::renderSprite(p.sprite, p.marked, {up, down}), image(expected));
}

void TestRender::darkButClearFromTheRealPixelRule()
{
    // Pure black, near black, transparent black, white: only the first packs
    // as set. The intake flags the two dark-looking ones in the mask.
    QImage source(4, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, qRgba(0, 0, 0, 255));
    source.setPixel(1, 0, qRgba(8, 8, 8, 255));
    source.setPixel(2, 0, qRgba(0, 0, 0, 0));
    source.setPixel(3, 0, qRgba(255, 255, 255, 255));
    const Sprite sprite = spriteOf(source);
    Sprite marked(4, 1);
    marked.setPixel(1, 0, true);
    marked.setPixel(2, 0, true);

    COMPARE_IMAGES(render::renderSprite(sprite, marked), image({"Xmm."}));
    QCOMPARE(markedClearCount(sprite, marked), 2);
    QCOMPARE(::pictureNote(sprite, marked), QStringLiteral("2 dark pixels will be clear."));
}

void TestRender::boxCentresThePicture_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("3:1 centred, odd pixel left and top")
        << QStringList{"X.m", ".X."} << QSize(11, 8)
        << QStringList{"___________", "_XXX...mmm_", "_XXX...mmm_", "_XXX...mmm_",
                       "_...XXX..._", "_...XXX..._", "_...XXX..._", "___________"};
    QTest::newRow("larger than the box: shrunk 1:3")
        << QStringList{"X....", ".....", "...m."} << QSize(2, 2) << QStringList{"Xm", "__"};
    QTest::newRow("empty sprite: empty box") << QStringList{} << QSize(3, 2) << QStringList{"___", "___"};
    QTest::newRow("empty box: no image") << QStringList{"X"} << QSize(0, 5) << QStringList{};
}

void TestRender::boxCentresThePicture()
{
    QFETCH(QStringList, rows);
    QFETCH(QSize, box);
    QFETCH(QStringList, expected);

    const Picture p = picture(rows);
    const QImage shown = render::renderBox(p.sprite, p.marked, box);
    if (expected.isEmpty())
        QVERIFY(shown.isNull());
    else
        COMPARE_IMAGES(shown, image(expected));
}

void TestRender::pictureNote_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("note");

    QTest::newRow("nothing marked") << QStringList{"X.."} << QString();
    QTest::newRow("one dark pixel") << QStringList{"Xm."} << "1 dark pixel will be clear.";
    QTest::newRow("twelve across a byte boundary")
        << QStringList{"mmmmmmmmmmmm", "X..........."} << "12 dark pixels will be clear.";
    QTest::newRow("marked under set pixels do not count") << QStringList{"**m"} << "1 dark pixel will be clear.";
    QTest::newRow("no set pixel") << QStringList{"...", "..."}
                                  << "No pixel is pure black: this sprite will be blank.";
    QTest::newRow("no set pixel, but dark ones")
        << QStringList{".m.", "m.."}
        << "2 dark pixels will be clear. No pixel is pure black: this sprite will be blank.";
    QTest::newRow("no picture") << QStringList{} << QString();
}

void TestRender::pictureNote()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, note);

    const Picture p = picture(rows);
    QCOMPARE(::pictureNote(p.sprite, p.marked), note);
}

void TestRender::refusals()
{
    const Sprite sprite(4, 3);
    const Sprite wrongMask(3, 4);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, render::renderSprite(sprite, wrongMask));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, render::renderBox(sprite, wrongMask, {10, 10}));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, markedClearCount(sprite, wrongMask));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ::pictureNote(Sprite(), wrongMask));
    for (const render::Scale bad : {render::Scale{0, 1}, render::Scale{1, 0}, render::Scale{2, 2}})
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, render::renderSprite(sprite, {}, bad));
    for (const int zoom : {0, render::kMaxZoom + 1})
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, render::renderScreen(sprite, sprite, zoom));

    // A refused mask leaves the box as it was.
    SpriteView view;
    const Picture before = picture({"Xm"});
    view.setSprite(before.sprite, before.marked);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, view.setSprite(sprite, wrongMask));
    QCOMPARE(view.sprite(), before.sprite);
    QCOMPARE(view.marked(), before.marked);
    QCOMPARE(view.note(), QStringLiteral("1 dark pixel will be clear."));
}

void TestRender::screenPixels_data()
{
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("normal");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<QStringList>("window");

    QTest::newRow("normal at the bottom right, RobotTo 16 to the left")
        << kNormal4 << kNormal4 << QPoint(76, 60)
        << QStringList{"oooo............#..#", "o..o.............##.", "o..o.............##.",
                       "oooo............#..#"};
    QTest::newRow("outline never over a set pixel")
        << QStringList{"XXXXXXXXXXXXXXXXXXXX", "X..................X"}
        << QStringList{"XXXXXXXXXXXXXXXXXXXX", "X..................X"} << QPoint(60, 62)
        << QStringList{"oooooooooooooooo####################", "oooooooooooooooo#ooo...............#"};
    QTest::newRow("another pose stands where the normal one does, cut off")
        << QStringList{"X.X", ".X.", "XXX"} << QStringList{"XX", "XX"} << QPoint(78, 62)
        << QStringList{"ooo.............#.", "o.o..............#"};
    QTest::newRow("no normal sprite yet: placed as its own") << QStringList{"XX"} << QStringList{} << QPoint(78, 63)
                                                             << QStringList{"oo..............##"};
    QTest::newRow("no sprite: the bare screen") << QStringList{} << kNormal4 << QPoint(0, 0) << QStringList{};
}

void TestRender::screenPixels()
{
    QFETCH(QStringList, shown);
    QFETCH(QStringList, normal);
    QFETCH(QPoint, origin);
    QFETCH(QStringList, window);

    COMPARE_IMAGES(render::renderScreen(picture(shown).sprite, picture(normal).sprite, 1), screen(origin, window));
}

void TestRender::screenClipsWithoutWrapping()
{
    // 100 × 70 stands at (-4, -6), RobotTo at -20: only its lower right part
    // shows, and the outline's right and bottom edges.
    Sprite big(100, 70);
    big.setPixel(4, 6, true);    // screen (0, 0)
    big.setPixel(99, 69, true);  // screen (95, 63)
    big.setPixel(83, 6, true);   // screen (79, 0), on the outline
    big.setPixel(3, 6, true);    // off the screen to the left
    big.setPixel(4, 5, true);    // off the screen at the top
    big.setPixel(99, 5, true);   // off the screen at the top, right column
    const QImage shown = render::renderScreen(big, big, 1);

    QCOMPARE(countColour(shown, render::kScreenInk), 3);
    QCOMPARE(colourName(shown.pixel(0, 0)), QStringLiteral("ink"));
    QCOMPARE(colourName(shown.pixel(95, 63)), QStringLiteral("ink"));
    QCOMPARE(colourName(shown.pixel(79, 0)), QStringLiteral("ink"));
    // The right edge (x = 79, 64 rows) and the bottom edge (y = 63, 80
    // columns) share a corner, and (79, 0) is ink.
    QCOMPARE(countColour(shown, render::kRobotToColour), 64 + 80 - 1 - 1);
    QCOMPARE(colourName(shown.pixel(79, 1)), QStringLiteral("robotTo"));
    QCOMPARE(colourName(shown.pixel(0, 63)), QStringLiteral("robotTo"));
    QCOMPARE(colourName(shown.pixel(80, 63)), QStringLiteral("screen"));
    QCOMPARE(render::screenNote(big, big),
             QStringLiteral("Cut off: wider than the 96-pixel screen, taller than the 64-pixel screen."));
}

void TestRender::screenNote_data()
{
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<QSize>("normal");
    QTest::addColumn<QString>("note");

    QTest::newRow("fits at its place") << QSize(40, 40) << QSize(40, 40) << QString();
    QTest::newRow("the whole screen") << QSize(96, 64) << QSize(96, 64) << QString();
    QTest::newRow("wider") << QSize(97, 10) << QSize(97, 10) << "Cut off: wider than the 96-pixel screen.";
    QTest::newRow("taller") << QSize(10, 65) << QSize(10, 65) << "Cut off: taller than the 64-pixel screen.";
    QTest::newRow("wider than the screen at another pose's place")
        << QSize(100, 10) << QSize(10, 10) << "Cut off: wider than the 96-pixel screen.";
    QTest::newRow("wider pose past the right edge")
        << QSize(30, 20) << QSize(20, 20) << "Cut off: 10 pixels past the right edge.";
    QTest::newRow("one pixel past the bottom") << QSize(20, 21) << QSize(20, 20)
                                               << "Cut off: 1 pixel past the bottom edge.";
    QTest::newRow("after a normal one pixel too wide: past the left edge")
        << QSize(10, 10) << QSize(97, 64) << "Cut off: 1 pixel past the left edge.";
    QTest::newRow("after a tall normal: past the top edge")
        << QSize(10, 10) << QSize(10, 70) << "Cut off: 6 pixels past the top edge.";
    QTest::newRow("past the right and the bottom")
        << QSize(22, 23) << QSize(20, 20) << "Cut off: 2 pixels past the right edge, 3 pixels past the bottom edge.";
    QTest::newRow("no normal yet") << QSize(90, 60) << QSize(0, 0) << QString();
    QTest::newRow("no sprite") << QSize(0, 0) << QSize(200, 200) << QString();
}

void TestRender::screenNote()
{
    QFETCH(QSize, shown);
    QFETCH(QSize, normal);
    QFETCH(QString, note);

    QCOMPARE(render::screenNote(blank(shown), blank(normal)), note);
}

void TestRender::screenZoom_data()
{
    QTest::addColumn<int>("zoom");
    QTest::newRow("2") << 2;
    QTest::newRow("3") << 3;
    QTest::newRow("largest") << render::kMaxZoom;
}

void TestRender::screenZoom()
{
    QFETCH(int, zoom);

    const Sprite normal = picture(kNormal4).sprite;
    const QImage one = render::renderScreen(normal, normal, 1);
    const QImage zoomed = render::renderScreen(normal, normal, zoom);
    QCOMPARE(zoomed.size(), QSize(96 * zoom, 64 * zoom));
    QImage expected(zoomed.size(), QImage::Format_RGB32);
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            expected.setPixel(x, y, one.pixel(x / zoom, y / zoom));
    COMPARE_IMAGES(zoomed, expected);
}

void TestRender::posesScaledLikeTheBox_data()
{
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::addColumn<QList<QSize>>("shown");

    // The tallest pose sets 1:3 for all, even the 1 × 1 dot.
    QTest::newRow("shrunk by the tallest") << QList<QSize>{{40, 40}, {8, 200}, {96, 64}, {0, 0}, {1, 1}}
                                           << QList<QSize>{{14, 14}, {3, 67}, {32, 22}, {0, 0}, {1, 1}};
    // The 37 × 37 pose fits 1:1 at most, so the 20 × 20 one is not shown larger.
    QTest::newRow("largest fits 1:1") << QList<QSize>{{20, 20}, {37, 37}, {20, 20}, {20, 20}, {20, 20}}
                                      << QList<QSize>{{20, 20}, {37, 37}, {20, 20}, {20, 20}, {20, 20}};
    QTest::newRow("enlarged by the widest") << QList<QSize>{{10, 2}, {24, 5}, {0, 0}, {3, 3}, {1, 1}}
                                            << QList<QSize>{{30, 6}, {72, 15}, {0, 0}, {9, 9}, {3, 3}};
}

void TestRender::posesScaledLikeTheBox()
{
    QFETCH(QList<QSize>, sizes);
    QFETCH(QList<QSize>, shown);

    std::array<Sprite, palvorn::kPoses> poses;
    for (int i = 0; i < palvorn::kPoses; ++i) {
        Sprite s = sizes[i].isEmpty() ? Sprite() : blank(sizes[i]);
        if (!s.isEmpty())
            s.setPixel(0, 0, true);
        poses[static_cast<std::size_t>(i)] = s;
    }
    const auto images = render::renderPoses(poses, {73, 73});
    for (int i = 0; i < palvorn::kPoses; ++i) {
        const QImage& image = images[static_cast<std::size_t>(i)];
        if (shown[i].isEmpty()) {
            QVERIFY(image.isNull());
            continue;
        }
        QCOMPARE(image.size(), shown[i]);
        // The set corner pixel fills one shown pixel's square.
        const int up = shown[i].width() / std::max(1, sizes[i].width());
        QCOMPARE(countColour(image, render::kSetColour), std::max(1, up * up));
    }
}

void TestRender::gridFromZoomEight_data()
{
    QTest::addColumn<QSize>("box");
    QTest::addColumn<bool>("grid");

    QTest::newRow("7:1, no grid") << QSize(14, 15) << false;
    QTest::newRow("8:1, grid") << QSize(16, 17) << true;
    QTest::newRow("9:1 centred in a larger box") << QSize(21, 19) << true;
}

void TestRender::gridFromZoomEight()
{
    QFETCH(QSize, box);
    QFETCH(bool, grid);

    const Picture p = picture({"Xm", ".X"});
    const int up = render::scaleFor({2, 2}, box).up;
    const QImage plain = render::renderBox(p.sprite, p.marked, box);
    const QImage shown = render::renderBox(p.sprite, p.marked, box, true);
    const QPoint origin((box.width() - 2 * up) / 2, (box.height() - 2 * up) / 2);
    int lined = 0;
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x) {
            const QPoint at = QPoint(x, y) - origin;
            const bool inside = at.x() >= 0 && at.y() >= 0 && at.x() < 2 * up && at.y() < 2 * up;
            // The top row and left column of each pixel's square.
            const bool line = grid && inside && (at.x() % up == 0 || at.y() % up == 0);
            const QRgb expected = line ? render::gridColour(plain.pixel(x, y)) : plain.pixel(x, y);
            QCOMPARE(shown.pixel(x, y), expected);
            lined += line;
        }
    QCOMPARE(lined, grid ? 4 * (2 * up - 1) : 0);
    // Faint, and seen on every colour.
    for (const QRgb colour : {render::kSetColour, render::kClearColour, render::kMarkedColour}) {
        QVERIFY(render::gridColour(colour) != colour);
        QVERIFY(std::abs(qGray(render::gridColour(colour)) - qGray(colour)) <= 30);
    }
}

void TestRender::redrawnPartIsTheWholeBox_data()
{
    QTest::addColumn<QSize>("box");
    QTest::addColumn<bool>("grid");

    QTest::newRow("3:1, odd margins") << QSize(40, 33) << false;
    QTest::newRow("3:1 asked for a grid, too small for one") << QSize(40, 33) << true;
    QTest::newRow("10:1 with a grid") << QSize(131, 100) << true;
    QTest::newRow("1:1") << QSize(13, 10) << true;
}

void TestRender::redrawnPartIsTheWholeBox()
{
    QFETCH(QSize, box);
    QFETCH(bool, grid);

    // Random pixels and marks, then random parts of them changed, as strokes do.
    std::mt19937 random(17u);
    const auto randomSprite = [&random] {
        Sprite s(13, 10);
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                s.setPixel(x, y, random() % 3 == 0);
        return s;
    };
    Sprite sprite = randomSprite();
    Sprite marks = randomSprite();
    QImage shown = render::renderBox(sprite, marks, box, grid);
    for (int round = 0; round < 40; ++round) {
        const int left = int(random() % 13), top = int(random() % 10);
        const palvorn::PixelRect part{left, top, 1 + int(random() % (13 - left)), 1 + int(random() % (10 - top))};
        const Sprite fresh = randomSprite();
        for (int y = part.top; y < part.top + part.height; ++y)
            for (int x = part.left; x < part.left + part.width; ++x) {
                sprite.setPixel(x, y, fresh.pixel(x, y));
                marks.setPixel(x, y, !fresh.pixel(x, y) && random() % 2);
            }
        const QRect redrawn = render::redrawBoxPart(shown, sprite, marks, part, grid);
        const int up = render::scaleFor({13, 10}, box).up;
        QCOMPARE(redrawn.size(), QSize(part.width * up, part.height * up));
        COMPARE_IMAGES(shown, render::renderBox(sprite, marks, box, grid));
    }

    // Shrunk, a shown pixel stands for several: nothing is drawn.
    QImage small = render::renderBox(sprite, marks, {6, 5});
    const QImage before = small;
    QVERIFY(render::redrawBoxPart(small, sprite, marks, {0, 0, 2, 2}).isEmpty());
    QCOMPARE(small, before);
}

void TestRender::spriteViewShowsTheBox()
{
    SpriteView view;
    QSignalSpy scaleSpy(&view, &SpriteView::scaleTextChanged);
    QSignalSpy noteSpy(&view, &SpriteView::noteChanged);
    view.resize(50, 30);
    COMPARE_IMAGES(view.grab().toImage(), image(QStringList(30, QString(50, '_'))));
    QVERIFY(view.scaleText().isEmpty());

    const Picture p = picture({"X..m", ".mX.", "XXXX"});
    view.setSprite(p.sprite, p.marked);
    COMPARE_IMAGES(view.grab().toImage(), render::renderBox(p.sprite, p.marked, {50, 30}, true));
    QCOMPARE(view.scaleText(), QStringLiteral("shown at 10:1"));
    QCOMPARE(view.note(), QStringLiteral("2 dark pixels will be clear."));
    QCOMPARE(scaleSpy.count(), 1);
    QCOMPARE(noteSpy.count(), 1);

    // A change of a few pixels in place, as a stroke makes: drawn again in
    // part, the same box.
    Sprite painted = p.sprite;
    view.setSprite(painted, p.marked);
    view.grab();
    painted.setPixel(1, 0, true);
    painted.setPixel(3, 2, false);
    view.pixelsChanged({1, 0, 3, 3});
    COMPARE_IMAGES(view.grab().toImage(), render::renderBox(painted, p.marked, {50, 30}, true));
    view.setSprite(p.sprite, p.marked);

    // A resize redraws at the new scale and tells the window.
    view.resize(3, 3);
    COMPARE_IMAGES(view.grab().toImage(), render::renderBox(p.sprite, p.marked, {3, 3}));
    QCOMPARE(view.scaleText(), QStringLiteral("shown at 1:2"));
    QCOMPARE(scaleSpy.count(), 2);
    QCOMPARE(scaleSpy.last().first().toString(), QStringLiteral("shown at 1:2"));

    view.clear();
    COMPARE_IMAGES(view.grab().toImage(), image({"___", "___", "___"}));
    QVERIFY(view.scaleText().isEmpty());
    QVERIFY(view.note().isEmpty());
    QCOMPARE(noteSpy.count(), 2);
}

void TestRender::screenPreviewShowsTheScreen()
{
    ScreenPreview preview;
    QCOMPARE(preview.objectName(), QStringLiteral("ScreenPreview"));
    QCOMPARE(preview.zoom(), 2);
    QCOMPARE(preview.size(), QSize(192, 128));
    QSignalSpy noteSpy(&preview, &ScreenPreview::noteChanged);

    const Sprite normal = picture(kNormal4).sprite;
    const Sprite hurt = blank({30, 4});
    preview.setScene(hurt, normal);
    QCOMPARE(preview.note(), QStringLiteral("Cut off: 26 pixels past the right edge."));
    QCOMPARE(noteSpy.count(), 1);
    preview.setScene(normal, normal);
    COMPARE_IMAGES(preview.grab().toImage(), render::renderScreen(normal, normal, 2));
    QVERIFY(preview.note().isEmpty());
    QCOMPARE(noteSpy.count(), 2);

    preview.setZoom(3);
    QCOMPARE(preview.size(), QSize(288, 192));
    QCOMPARE(preview.minimumSize(), preview.maximumSize());
    COMPARE_IMAGES(preview.grab().toImage(), render::renderScreen(normal, normal, 3));
    for (const int bad : {1, render::kMaxZoom + 1})
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, preview.setZoom(bad));
    QCOMPARE(preview.zoom(), 3);
    QCOMPARE(preview.size(), QSize(288, 192));
}

QTEST_MAIN(TestRender)
#include "tst_render.moc"
