// The strip of the five steps: each pose packed and small over its word and
// its size, "missing" for an empty one, the warning colour over the packing limit, a
// click asking for that step and the current step checked.
#include <QtTest>

#include <QSignalSpy>
#include <QToolButton>

#include "Render.h"
#include "Rules.h"
#include "SpriteRows.h"
#include "StepStrip.h"
#include "Widgets.h"

using palvorn::Sprite;

namespace {

QToolButton* thumb(StepStrip& strip, int pose)
{
    return strip.findChild<QToolButton*>(QStringLiteral("StepThumb%1").arg(pose));
}

// Alternate pixels set: packs into far more than the limit.
Sprite checkerboard(int side)
{
    Sprite s(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            s.setPixel(x, y, (x + y) % 2 == 0);
    return s;
}

// Normal and high attack small, low attack over the limit, special attack and hurt missing.
std::array<Sprite, palvorn::kPoses> mixedPoses()
{
    return {sprite(3, {"X.X", ".X.", "X.X"}), sprite(2, {"XX"}), checkerboard(64), Sprite(), Sprite()};
}

}  // namespace

class TestStepStrip : public QObject {
    Q_OBJECT

private slots:
    void showsEachPose();
    void clickAsksForThatPose_data();
    void clickAsksForThatPose();
};

void TestStepStrip::showsEachPose()
{
    StepStrip strip;
    strip.setFont(QFont(QStringLiteral("Tahoma"), 8));  // as the wizard sets it
    QCOMPARE(strip.objectName(), QStringLiteral("StepStrip"));
    const auto poses = mixedPoses();
    QVERIFY(poses[2].packedSize() > palvorn::kSizeLimit);
    strip.showPoses(poses, 1);

    const QStringList texts = {"normal\n3 bytes", "high attack\n1 byte", "low attack\n512 bytes",
                               "special attack\nmissing", "hurt\nmissing"};
    for (int i = 0; i < palvorn::kPoses; ++i) {
        QToolButton* t = thumb(strip, i);
        QVERIFY(t);
        QCOMPARE(t->text(), texts[i]);
        QCOMPARE(t->isChecked(), i == 1);
        // Only the pose over the limit is in the warning colour.
        QCOMPARE(widgets::showsWarning(t), i == 2);
        // The thumbnail is the picture box's drawing, fitted small.
        const QImage shown = t->icon().pixmap(StepStrip::kThumbnailBox).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage expected = render::renderBox(poses[static_cast<std::size_t>(i)], {}, StepStrip::kThumbnailBox)
                                    .convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown, expected);
    }

    // Drawn again: a filled pose loses its note and its colour, the check
    // moves, and the strip keeps its height, so the editor below stays put.
    const int height = strip.sizeHint().height();
    auto mended = poses;
    mended[2] = sprite(1, {"X"});
    mended[3] = sprite(1, {"X"});
    mended[4] = sprite(1, {"X"});
    strip.showPoses(mended, 4);
    QVERIFY(!widgets::showsWarning(thumb(strip, 2)));
    // A warning taken away leaves the text in the window's font.
    QCOMPARE(thumb(strip, 2)->font(), strip.font());
    QCOMPARE(thumb(strip, 4)->text(), QStringLiteral("hurt\n1 byte"));
    QCOMPARE(strip.sizeHint().height(), height);
    QVERIFY(!thumb(strip, 1)->isChecked());
    QVERIFY(thumb(strip, 4)->isChecked());
}

void TestStepStrip::clickAsksForThatPose_data()
{
    QTest::addColumn<int>("pose");
    QTest::newRow("first") << 0;
    QTest::newRow("missing one") << 3;
    QTest::newRow("last") << 4;
}

void TestStepStrip::clickAsksForThatPose()
{
    QFETCH(int, pose);
    StepStrip strip;
    strip.showPoses(mixedPoses(), 1);
    strip.show();
    QVERIFY(QTest::qWaitForWindowExposed(&strip));
    QSignalSpy asked(&strip, &StepStrip::poseClicked);
    QTest::mouseClick(thumb(strip, pose), Qt::LeftButton);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0][0].toInt(), pose);
    // The step is the owner's to change: the check stays until it says so.
    for (int i = 0; i < palvorn::kPoses; ++i)
        QCOMPARE(thumb(strip, i)->isChecked(), i == 1);
}

QTEST_MAIN(TestStepStrip)
#include "tst_stepstrip.moc"
