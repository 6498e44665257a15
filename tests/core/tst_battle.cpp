// The battle sketch frame by frame: each phase of the loop pixel for pixel,
// with poses that run off the screen, and the loop starting over.
#include <QtTest>

#include "Battle.h"
#include "Rules.h"
#include "SpriteRows.h"

using palvorn::Enemy;
using palvorn::Sprite;

Q_DECLARE_METATYPE(palvorn::Sprite)
Q_DECLARE_METATYPE(palvorn::Enemy)

namespace {

// The screen with only `pose` on it, its top left at (left, top), drawn
// pixel by pixel here so that the frame function is checked against it.
Sprite screenWith(const Sprite& pose, int left, int top)
{
    Sprite screen(palvorn::kScreenWidth, palvorn::kScreenHeight);
    for (int y = 0; y < pose.height(); ++y)
        for (int x = 0; x < pose.width(); ++x) {
            const int sx = left + x, sy = top + y;
            if (pose.pixel(x, y) && sx >= 0 && sx < screen.width() && sy >= 0 && sy < screen.height())
                screen.setPixel(sx, sy, true);
        }
    return screen;
}

// A small enemy whose poses tell apart: normal 8 × 4 puts RobotX at 88,
// RobotY at 60, RobotTo at 72; high attack 40 × 10 runs off the right and the
// bottom at RobotTo.
Enemy smallEnemy()
{
    Enemy e;
    e.sprites[0] = sprite(8, {"X......X", ".XXXXXX.", ".X....X.", "XX....XX"});
    e.sprites[1] = Sprite(40, 10);
    for (int i = 0; i < 10; ++i)
        e.sprites[1].setPixel(i * 4 + 3, i, true);
    e.sprites[1].setPixel(39, 9, true);
    e.sprites[2] = sprite(3, {"X.X", ".X.", "X.X"});
    e.sprites[3] = sprite(5, {"XXXXX", "X...X"});
    e.sprites[4] = sprite(4, {"X..X", "XXXX"});
    return e;
}

// A normal pose larger than the screen: RobotX -4, RobotY -6, RobotTo -20.
Enemy hugeEnemy()
{
    Enemy e;
    e.sprites[0] = Sprite(100, 70);
    for (int i = 0; i < 70; ++i)
        e.sprites[0].setPixel(i, i, true);
    e.sprites[0].setPixel(99, 69, true);
    e.sprites[1] = sprite(30, {"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXX", "X............................X"});
    e.sprites[2] = e.sprites[1];
    e.sprites[3] = e.sprites[1];
    e.sprites[4] = sprite(2, {"XX"});
    return e;
}

}  // namespace

class TestBattle : public QObject {
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void hurtBlinks();
    void loopStartsOver();
    void emptyPosesDrawNothing();
    void negativeFrameIsRefused();
};

void TestBattle::frames_data()
{
    QTest::addColumn<Enemy>("enemy");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("pose");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");

    const Enemy small = smallEnemy();
    QTest::newRow("stand, first frame") << small << 0 << 0 << 88 << 60;
    QTest::newRow("stand, last frame") << small << 5 << 0 << 88 << 60;
    QTest::newRow("step to, first frame") << small << 6 << 0 << 84 << 60;
    QTest::newRow("step to, third frame") << small << 8 << 0 << 76 << 60;
    QTest::newRow("step to, arrives at RobotTo") << small << 9 << 0 << 72 << 60;
    QTest::newRow("high attack at RobotTo, off right and bottom") << small << 10 << 1 << 72 << 60;
    QTest::newRow("high attack, last frame") << small << 15 << 1 << 72 << 60;
    QTest::newRow("step back, first frame") << small << 16 << 0 << 76 << 60;
    QTest::newRow("step back, arrives at RobotX") << small << 19 << 0 << 88 << 60;
    QTest::newRow("second stand") << small << 20 << 0 << 88 << 60;
    QTest::newRow("low attack") << small << 30 << 2 << 72 << 60;
    QTest::newRow("third step to") << small << 47 << 0 << 80 << 60;
    QTest::newRow("special attack") << small << 55 << 3 << 72 << 60;
    QTest::newRow("third step back") << small << 57 << 0 << 80 << 60;
    QTest::newRow("hurt, shown") << small << 60 << 4 << 88 << 60;

    const Enemy huge = hugeEnemy();
    QTest::newRow("huge normal, off left, top, right and bottom") << huge << 0 << 0 << -4 << -6;
    QTest::newRow("huge, stepping left") << huge << 7 << 0 << -12 << -6;
    QTest::newRow("huge, attack at RobotTo off the left") << huge << 12 << 1 << -20 << -6;
    QTest::newRow("huge, hurt at RobotX") << huge << 62 << 4 << -4 << -6;
}

void TestBattle::frames()
{
    QFETCH(Enemy, enemy);
    QFETCH(int, frame);
    QFETCH(int, pose);
    QFETCH(int, left);
    QFETCH(int, top);
    QCOMPARE(palvorn::battleFrame(enemy, frame), screenWith(enemy.sprites[pose], left, top));
}

void TestBattle::hurtBlinks()
{
    const Enemy small = smallEnemy();
    const Sprite shown = screenWith(small.sprites[4], 88, 60);
    const Sprite blank(palvorn::kScreenWidth, palvorn::kScreenHeight);
    const int hurtStart = palvorn::battleLoopFrames() - 8;
    QCOMPARE(hurtStart, 60);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(palvorn::battleFrame(small, hurtStart + i), i % 2 == 0 ? shown : blank);
}

void TestBattle::loopStartsOver()
{
    const Enemy small = smallEnemy();
    QCOMPARE(palvorn::battleLoopFrames(), 68);
    for (const int frame : {0, 9, 10, 33, 61})
        QCOMPARE(palvorn::battleFrame(small, frame + 3 * palvorn::battleLoopFrames()),
                 palvorn::battleFrame(small, frame));
}

void TestBattle::emptyPosesDrawNothing()
{
    // Without a normal pose, an attack pose stands as if it were the normal one.
    Enemy e;
    e.sprites[1] = sprite(6, {"XXXXXX", "X....X"});
    const Sprite blank(palvorn::kScreenWidth, palvorn::kScreenHeight);
    QCOMPARE(palvorn::battleFrame(e, 0), blank);
    QCOMPARE(palvorn::battleFrame(e, 7), blank);
    QCOMPARE(palvorn::battleFrame(e, 10), screenWith(e.sprites[1], 90 - 16, 62));
    QCOMPARE(palvorn::battleFrame(e, 60), blank);
}

void TestBattle::negativeFrameIsRefused()
{
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, palvorn::battleFrame(smallEnemy(), -1));
}

QTEST_APPLESS_MAIN(TestBattle)
#include "tst_battle.moc"
