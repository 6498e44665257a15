// What the wizard and the command line do to a sprite: size, part, the
// bounds Trim keeps, flips, invert, shift and the pen's lines, each on
// sprites whose rows end inside a byte as well as on a byte.
#include <QtTest>

#include <climits>

#include "SpriteOps.h"
#include "SpriteRows.h"

using palvorn::PixelRect;
using palvorn::Sprite;

Q_DECLARE_METATYPE(Sprite)
Q_DECLARE_METATYPE(PixelRect)

namespace {

// The sprite as rows of 'X' and '.', for messages that show what differs.
QString rowsOf(const Sprite& s)
{
    QString text = QStringLiteral("%1 x %2\n").arg(s.width()).arg(s.height());
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x)
            text += s.pixel(x, y) ? QLatin1Char('X') : QLatin1Char('.');
        text += QLatin1Char('\n');
    }
    return text;
}

// An asymmetric 9 × 3 sprite: the last pixel of each row is in a byte of its own.
const Sprite kNine = sprite(9, {"XX......X", "X........", "........X"});

}  // namespace

class TestSpriteOps : public QObject {
    Q_OBJECT

private slots:
    void operations_data();
    void operations();
    void refusedSizes();
    void bounds_data();
    void bounds();
    void croppedOutside();
    void lines_data();
    void lines();
    void byteWiseMatchesPixelWise_data();
    void byteWiseMatchesPixelWise();
};

void TestSpriteOps::operations_data()
{
    QTest::addColumn<Sprite>("result");
    QTest::addColumn<Sprite>("expected");
    const Sprite three = sprite(3, {"X.X", ".XX"});

    QTest::newRow("grow: clear added at the right and bottom")
        << palvorn::resized(three, 5, 3) << sprite(5, {"X.X..", ".XX..", "....."});
    QTest::newRow("shrink: cut at the right and bottom") << palvorn::resized(three, 2, 1) << sprite(2, {"X."});
    QTest::newRow("grow across a byte") << palvorn::resized(kNine, 10, 3)
                                        << sprite(10, {"XX......X.", "X.........", "........X."});
    QTest::newRow("to nothing") << palvorn::resized(three, 0, 0) << Sprite();
    QTest::newRow("from nothing") << palvorn::resized(Sprite(), 2, 2) << Sprite(2, 2);
    QTest::newRow("part") << palvorn::cropped(kNine, {7, 0, 2, 3}) << sprite(2, {".X", "..", ".X"});
    QTest::newRow("empty part") << palvorn::cropped(kNine, {9, 3, 0, 0}) << Sprite();

    QTest::newRow("flip left to right") << palvorn::flippedLeftRight(kNine)
                                        << sprite(9, {"X......XX", "........X", "X........"});
    QTest::newRow("flip top to bottom") << palvorn::flippedTopBottom(kNine)
                                        << sprite(9, {"........X", "X........", "XX......X"});
    QTest::newRow("flip twice") << palvorn::flippedLeftRight(palvorn::flippedLeftRight(kNine)) << kNine;
    // Equality compares the packed bytes, padding too: a set padding bit fails.
    QTest::newRow("invert keeps the padding clear")
        << palvorn::inverted(kNine) << sprite(9, {"..XXXXXX.", ".XXXXXXXX", "XXXXXXXX."});
    QTest::newRow("invert a whole byte") << palvorn::inverted(sprite(8, {"X......X"})) << sprite(8, {".XXXXXX."});
    QTest::newRow("invert nothing") << palvorn::inverted(Sprite()) << Sprite();

    const Sprite dot = sprite(4, {"X...", "....", "...."});
    QTest::newRow("shift right") << palvorn::shifted(dot, 1, 0) << sprite(4, {".X..", "....", "...."});
    QTest::newRow("shift left wraps") << palvorn::shifted(dot, -1, 0) << sprite(4, {"...X", "....", "...."});
    QTest::newRow("shift up wraps") << palvorn::shifted(dot, 0, -1) << sprite(4, {"....", "....", "X..."});
    QTest::newRow("shift down and right") << palvorn::shifted(dot, 2, 1) << sprite(4, {"....", "..X.", "...."});
    QTest::newRow("shift by more than the size") << palvorn::shifted(dot, 9, -7) << palvorn::shifted(dot, 1, -1);
    QTest::newRow("shift by a whole turn") << palvorn::shifted(kNine, 9, 3) << kNine;
    QTest::newRow("shift by the extremes") << palvorn::shifted(dot, INT_MIN, INT_MAX)
                                           << palvorn::shifted(dot, INT_MIN % 4, INT_MAX % 3);
    QTest::newRow("shift across a byte") << palvorn::shifted(kNine, 1, 0)
                                         << sprite(9, {"XXX......", ".X.......", "X........"});
    QTest::newRow("shift nothing") << palvorn::shifted(Sprite(), 3, 3) << Sprite();
}

void TestSpriteOps::operations()
{
    QFETCH(Sprite, result);
    QFETCH(Sprite, expected);
    QVERIFY2(result == expected, qPrintable(rowsOf(result) + QStringLiteral("expected ") + rowsOf(expected)));
}

void TestSpriteOps::refusedSizes()
{
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, palvorn::resized(kNine, -1, 3));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, palvorn::resized(kNine, 3, Sprite::kMaxSide + 1));
}

void TestSpriteOps::bounds_data()
{
    QTest::addColumn<Sprite>("sprite");
    QTest::addColumn<PixelRect>("bounds");
    QTest::newRow("nothing") << Sprite() << PixelRect{};
    QTest::newRow("all clear") << Sprite(9, 4) << PixelRect{};
    QTest::newRow("one pixel") << sprite(5, {".....", "...X.", "....."}) << PixelRect{3, 1, 1, 1};
    QTest::newRow("corners across a byte") << kNine << PixelRect{0, 0, 9, 3};
    QTest::newRow("only in the last byte") << sprite(10, {"..........", ".........X", "........X."})
                                           << PixelRect{8, 1, 2, 2};
    QTest::newRow("all set") << palvorn::inverted(Sprite(3, 2)) << PixelRect{0, 0, 3, 2};
}

void TestSpriteOps::bounds()
{
    QFETCH(Sprite, sprite);
    QFETCH(PixelRect, bounds);
    const PixelRect got = palvorn::setBounds(sprite);
    QCOMPARE(got.isEmpty(), bounds.isEmpty());
    if (!bounds.isEmpty())
        QVERIFY(got == bounds);
}

void TestSpriteOps::croppedOutside()
{
    for (const PixelRect& rect : {PixelRect{-1, 0, 2, 2}, PixelRect{8, 0, 2, 1}, PixelRect{0, 2, 1, 2},
                                  PixelRect{0, 0, -1, 1}, PixelRect{INT_MAX, 0, 1, 1}})
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, palvorn::cropped(kNine, rect));
}

void TestSpriteOps::lines_data()
{
    QTest::addColumn<Sprite>("start");
    QTest::addColumn<QList<int>>("line");  // x0, y0, x1, y1
    QTest::addColumn<bool>("set");
    QTest::addColumn<Sprite>("expected");
    const Sprite blank(6, 4);
    QTest::newRow("a point") << blank << QList<int>{2, 1, 2, 1} << true << sprite(6, {"....", "..X", "", ""});
    QTest::newRow("shallow: one pixel a column, corners touching")
        << blank << QList<int>{0, 0, 5, 2} << true << sprite(6, {"XX....", "..XX..", "....XX", "......"});
    QTest::newRow("steep, drawn backwards")
        << blank << QList<int>{1, 3, 0, 0} << true << sprite(6, {"X.....", "X.....", ".X....", ".X...."});
    QTest::newRow("diagonal") << blank << QList<int>{0, 0, 3, 3} << true
                              << sprite(6, {"X.....", ".X....", "..X...", "...X.."});
    QTest::newRow("clipped at both ends")
        << blank << QList<int>{-2, -2, 7, 7} << true << sprite(6, {"X.....", ".X....", "..X...", "...X.."});
    QTest::newRow("wholly outside") << blank << QList<int>{-5, 1, -1, 3} << true << blank;
    QTest::newRow("clearing") << palvorn::inverted(blank) << QList<int>{0, 1, 5, 1} << false
                              << sprite(6, {"XXXXXX", "......", "XXXXXX", "XXXXXX"});
}

void TestSpriteOps::lines()
{
    QFETCH(Sprite, start);
    QFETCH(QList<int>, line);
    QFETCH(bool, set);
    QFETCH(Sprite, expected);
    Sprite drawn = start;
    palvorn::drawLine(drawn, line[0], line[1], line[2], line[3], set);
    QVERIFY2(drawn == expected, qPrintable(rowsOf(drawn) + QStringLiteral("expected ") + rowsOf(expected)));
}

void TestSpriteOps::byteWiseMatchesPixelWise_data()
{
    // Widths around the byte edges, where the steps move bits across bytes.
    QTest::addColumn<int>("width");
    for (int width : {1, 3, 7, 8, 9, 15, 16, 17, 31, 63, 100})
        QTest::newRow(qPrintable(QStringLiteral("width %1").arg(width))) << width;
}

void TestSpriteOps::byteWiseMatchesPixelWise()
{
    // Every step against its meaning, pixel by pixel, on a scattered sprite.
    QFETCH(int, width);
    const int height = 5;
    Sprite s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.setPixel(x, y, (x * 7 + y * 13 + x * y) % 5 < 2);
    const auto check = [&](const Sprite& got, int w, int h, auto from) {
        Sprite want(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                want.setPixel(x, y, from(x, y));
        QVERIFY2(got == want, qPrintable(rowsOf(got) + rowsOf(want)));
    };
    check(palvorn::flippedLeftRight(s), width, height, [&](int x, int y) { return s.pixel(width - 1 - x, y); });
    check(palvorn::flippedTopBottom(s), width, height, [&](int x, int y) { return s.pixel(x, height - 1 - y); });
    for (int dx : {-9, -1, 1, 3, 8, 13})
        check(palvorn::shifted(s, dx, 2), width, height, [&](int x, int y) {
            return s.pixel(((x - dx) % width + width) % width, (y + height - 2) % height);
        });
    for (int left : {0, 1, 5})
        if (left < width)
            check(palvorn::cropped(s, {left, 1, width - left, 3}), width - left, 3,
                  [&](int x, int y) { return s.pixel(x + left, y + 1); });
    check(palvorn::resized(s, width + 5, height - 1), width + 5, height - 1,
          [&](int x, int y) { return s.pixel(x, y); });
    check(palvorn::resized(s, (width + 1) / 2, height + 2), (width + 1) / 2, height + 2,
          [&](int x, int y) { return s.pixel(x, y); });
    const PixelRect bounds = palvorn::setBounds(s);
    int left = width, right = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (s.pixel(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    QCOMPARE(bounds.left, left);
    QCOMPARE(bounds.width, right - left + 1);
}

QTEST_APPLESS_MAIN(TestSpriteOps)
#include "tst_spriteops.moc"
