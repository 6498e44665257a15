// Five poses from one picture: a sheet written and taken back, a sheet's
// kept picture cut with it, and GIFs of five frames (and of other counts,
// and of frames too large together).
#include <QtTest>

#include "SaveAnimation.h"
#include "SavePicture.h"
#include "Sheet.h"
#include "SpriteRows.h"
#include "TakeSheet.h"

using palvorn::Sprite;
using Poses = std::array<Sprite, palvorn::kPoses>;

namespace {

// Poses with a set pixel on every edge and no clear column inside, which a
// sheet gives back exactly.
Poses tightPoses()
{
    return {sprite(5, {"..X..", ".XXX.", "XX.XX", "X...X"}), sprite(3, {"XXX", "X.X", "XXX", "..X", "X.X"}),
            sprite(2, {"X.", ".X"}), sprite(7, {"X.....X", ".XXXXX."}), sprite(1, {"X"})};
}

// A 1 × 1 GIF screen of the given size holding `frames` one-pixel frames.
QByteArray tinyFramesGif(int side, int frames)
{
    QByteArray gif("GIF89a");
    gif += char(side & 0xFF);
    gif += char(side >> 8);
    gif += char(side & 0xFF);
    gif += char(side >> 8);
    gif += QByteArray("\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF", 9);  // two colours: black, white
    for (int i = 0; i < frames; ++i)
        gif += QByteArray("\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00", 15);
    gif += ';';
    return gif;
}

}  // namespace

class TestTakeSheet : public QObject {
    Q_OBJECT

private slots:
    void sheetWrittenAndTakenBack();
    void sheetCutsTheKeptPicture();
    void notASheet();
    void fiveFrameGif();
    void otherFrameCounts_data();
    void otherFrameCounts();
    void framesTooLargeTogether();
};

void TestTakeSheet::sheetWrittenAndTakenBack()
{
    const Poses poses = tightPoses();
    const TakenPicture taken = takePictureData(spritePng(palvorn::sheetOf(poses)), QStringLiteral("sheet.png"));
    const auto back = sheetPoses(taken);
    QVERIFY(back);
    for (int i = 0; i < palvorn::kPoses; ++i) {
        QCOMPARE((*back)[i].sprite, poses[i]);
        QVERIFY((*back)[i].marked.isEmpty() || (*back)[i].marked == Sprite(poses[i].width(), poses[i].height()));
    }
}

void TestTakeSheet::sheetCutsTheKeptPicture()
{
    // A kept picture decides, and each pose keeps its own part of it: here a
    // grey (not white) pixel joins what the sprite alone would split.
    using palvorn::GreyPicture;
    const std::uint16_t W = GreyPicture::kWhite, B = GreyPicture::kBlack, g = 20000, T = GreyPicture::kTransparent;
    TakenPicture taken;
    taken.sprite = sprite(11, {"X.X.X.X.X.X", "X.........."});
    taken.picture = std::make_shared<const GreyPicture>(
        11, 2, std::vector<std::uint16_t>{B, W, B, W, B, g, B, T, B, W, B, B, W, W, W, W, W, W, W, W, W, T});
    const auto poses = sheetPoses(taken);
    QVERIFY(poses);
    QCOMPARE((*poses)[0].sprite, sprite(1, {"X", "X"}));
    QCOMPARE((*poses)[2].sprite, sprite(3, {"X.X"}));
    QCOMPARE((*poses)[4].sprite, sprite(1, {"X"}));
    QVERIFY((*poses)[2].picture);
    QCOMPARE(*(*poses)[2].picture, GreyPicture(3, 1, {B, g, B}));
    QCOMPARE(*(*poses)[0].picture, GreyPicture(1, 2, {B, B}));

    taken.picture.reset();  // the sprite alone: the grey is clear there, six parts
    QVERIFY(!sheetPoses(taken));
}

void TestTakeSheet::notASheet()
{
    QVERIFY(!sheetPoses(takePictureData(spritePng(sprite(7, {"X.X.X.X"})), {})));
    QVERIFY(!sheetPoses(takePictureData(spritePng(sprite(11, {"X.X.X.X.X.X"})), {})));
}

void TestTakeSheet::fiveFrameGif()
{
    // Frames of one size, each after the first holding only what changed.
    std::vector<Sprite> frames;
    for (const Sprite& pose : tightPoses()) {
        Sprite frame(9, 6);
        for (int y = 0; y < pose.height(); ++y)
            for (int x = 0; x < pose.width(); ++x)
                frame.setPixel(x + 1, y, pose.pixel(x, y));
        frames.push_back(frame);
    }
    const QByteArray gif = animatedGif(frames, 1, 10, qRgb(255, 255, 255), qRgb(0, 0, 0));
    const auto poses = gifFramePoses(gif);
    QVERIFY(poses);
    for (int i = 0; i < palvorn::kPoses; ++i)
        QCOMPARE((*poses)[i].sprite, frames[i]);
    // The one-picture intake takes the first frame.
    QCOMPARE(takePictureData(gif, {}).sprite, frames[0]);
}

void TestTakeSheet::otherFrameCounts_data()
{
    QTest::addColumn<int>("frames");
    QTest::newRow("one") << 1;
    QTest::newRow("four") << 4;
    QTest::newRow("six") << 6;
}

void TestTakeSheet::otherFrameCounts()
{
    QFETCH(int, frames);
    const QByteArray gif = tinyFramesGif(3, frames);
    QVERIFY(!gifFramePoses(gif));
    QCOMPARE(int(takeGifFrames(gif, {}, 100).size()), frames);
    QCOMPARE(takeGifFrames(gif, {}, 100)[0].sprite, sprite(3, {"X..", "...", "..."}));
}

void TestTakeSheet::framesTooLargeTogether()
{
    // Each frame's screen is within the bound, the five together are not:
    // refused before the second frame's memory is taken.
    const QByteArray gif = tinyFramesGif(4096, 5);
    QVERIFY(!gifFramePoses(gif));
    QVERIFY_THROWS_EXCEPTION(PictureError, takeGifFrames(gif, QStringLiteral("big.gif"), 5));
    QVERIFY(!gifFramePoses(tinyFramesGif(3, 5).left(40)));  // cut short
}

QTEST_MAIN(TestTakeSheet)
#include "tst_takesheet.moc"
