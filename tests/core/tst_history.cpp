// The undo history: changes done, undone and redone on the document, the
// bounds on its length and memory, and what closing would lose.
#include <QtTest>

#include "History.h"

using palvorn::Change;
using palvorn::DocumentChange;
using palvorn::EnemyDocument;
using palvorn::History;
using palvorn::Sprite;
using palvorn::SpriteChange;

namespace {

Sprite filled(int width, int height)
{
    Sprite s(width, height);
    for (int y = 0; y < height; y += 3)
        s.setPixel(y % width, y, true);
    return s;
}

std::unique_ptr<Change> intake(const EnemyDocument& document, int pose, const Sprite& sprite,
                               const std::string& name = "picture")
{
    return std::make_unique<SpriteChange>(name, document, pose, sprite, Sprite{});
}

}  // namespace

class TestHistory : public QObject {
    Q_OBJECT

private slots:
    void undoAndRedoWalkTheChanges();
    void newChangeDropsWhatWasUndone();
    void boundedLength();
    void boundedMemory();
    void keptPictureCountsOnce();
    void unsavedWork();
    void fivePosesAreOneStep();
};

void TestHistory::undoAndRedoWalkTheChanges()
{
    History history;
    EnemyDocument doc;
    QVERIFY(!history.undo(doc) && !history.redo(doc));

    std::vector<EnemyDocument> seen{doc};
    history.apply(intake(doc, 2, filled(8, 4), "a.png into low attack"), doc);
    seen.push_back(doc);
    history.apply(intake(doc, 2, filled(16, 2), "b.png into low attack"), doc);
    seen.push_back(doc);
    EnemyDocument opened;
    opened.enemy.settings.name = "Slime";
    opened.enemy.sprites[0] = filled(5, 5);
    opened.file = "/enemies/Slime.asm";
    opened.saved = opened.enemy;
    history.apply(std::make_unique<DocumentChange>("Open Slime.asm", doc, opened), doc);
    QCOMPARE(doc, opened);
    seen.push_back(doc);

    QCOMPARE(QString::fromStdString(history.nextUndo()->name()), QStringLiteral("Open Slime.asm"));
    QVERIFY(!history.nextRedo());
    // Each undo gives back exactly the document before, each redo the one after.
    for (int i = 3; i > 0; --i) {
        const Change* undone = history.undo(doc);
        QVERIFY(undone);
        QVERIFY(doc == seen[static_cast<std::size_t>(i - 1)]);
    }
    QCOMPARE(history.undo(doc), nullptr);
    QCOMPARE(QString::fromStdString(history.nextRedo()->name()), QStringLiteral("a.png into low attack"));
    QCOMPARE(history.nextRedo()->pose(), 2);
    for (int i = 1; i <= 3; ++i) {
        QVERIFY(history.redo(doc));
        QVERIFY(doc == seen[static_cast<std::size_t>(i)]);
    }
    QCOMPARE(history.redo(doc), nullptr);
}

void TestHistory::newChangeDropsWhatWasUndone()
{
    History history;
    EnemyDocument doc;
    history.apply(intake(doc, 0, filled(8, 8)), doc);
    history.apply(intake(doc, 1, filled(8, 8)), doc);
    history.undo(doc);
    const std::size_t bytesBefore = history.bytes();
    history.apply(intake(doc, 3, filled(8, 8), "other"), doc);
    QCOMPARE(history.size(), std::size_t(2));
    QVERIFY(!history.nextRedo());
    QVERIFY(doc.enemy.sprites[1].isEmpty());
    QVERIFY(history.bytes() <= bytesBefore + 200);
}

void TestHistory::boundedLength()
{
    History history;
    EnemyDocument doc;
    for (int i = 1; i <= 150; ++i)
        history.apply(intake(doc, i % 5, filled(i, 2), "change " + std::to_string(i)), doc);
    QCOMPARE(history.size(), History::kMaxSteps);
    int undone = 0;
    while (history.undo(doc))
        ++undone;
    QCOMPARE(undone, 100);
    // The oldest 50 are gone: undoing all that is kept leaves change 50's result.
    QCOMPARE(doc.enemy.sprites[0], filled(50, 2));
    QCOMPARE(QString::fromStdString(history.nextRedo()->name()), QStringLiteral("change 51"));
}

// Pictures of up to 4096 x 4096 go through the history: what it holds stays
// within its bound, and the newest change can always be undone.
void TestHistory::boundedMemory()
{
    History history;
    EnemyDocument doc;
    const Sprite huge(4096, 4096);
    QCOMPARE(palvorn::bytesOf(huge), sizeof(Sprite) + std::size_t(2u << 20));
    for (int i = 0; i < 60; ++i) {
        Sprite s = huge;
        s.setPixel(i, 0, true);
        history.apply(std::make_unique<SpriteChange>("huge", doc, i % 5, s, s), doc);
        QVERIFY2(history.bytes() <= History::kMaxBytes, qPrintable(QString::number(history.bytes())));
    }
    QVERIFY(history.size() < 60);
    // New of a document full of huge sprites is one change larger than most.
    history.apply(std::make_unique<DocumentChange>("New", doc, EnemyDocument{}), doc);
    QVERIFY(history.bytes() <= History::kMaxBytes);
    QVERIFY(history.undo(doc));
    QCOMPARE(doc.enemy.sprites[4].width(), 4096);
}

// A kept 1024 x 1024 picture converted again and again: the steps share it,
// so the history counts it once, not once a step, and its steps stay.
void TestHistory::keptPictureCountsOnce()
{
    using palvorn::PoseState;
    History history;
    EnemyDocument doc;
    const auto picture = std::make_shared<const palvorn::GreyPicture>(
        1024, 1024, std::vector<std::uint16_t>(std::size_t(1024) * 1024, 12000));
    const std::size_t pictureBytes = picture->bytes();
    const auto converted = [&](int threshold) {
        const palvorn::Conversion conversion{palvorn::ConvertMode::Threshold, threshold};
        const palvorn::Converted out = palvorn::convert(*picture, conversion);
        return PoseState{out.sprite, out.marked, {picture, conversion}};
    };
    history.apply(std::make_unique<SpriteChange>("take", doc, 1, converted(palvorn::kDefaultThreshold)), doc);
    const std::size_t afterIntake = history.bytes();
    QVERIFY(afterIntake >= pictureBytes);
    for (int t = 1; t <= 20; ++t)
        history.apply(std::make_unique<SpriteChange>("threshold", doc, 1, converted(t)), doc);
    const std::size_t spriteBytes = 4 * palvorn::bytesOf(converted(1).sprite) + sizeof(SpriteChange);
    QVERIFY2(history.bytes() <= afterIntake + 20 * spriteBytes, qPrintable(QString::number(history.bytes())));
    QCOMPARE(history.size(), std::size_t(21));

    // Dropping the picture (an edit from Open) counts it in that step.
    const std::size_t beforeDrop = history.bytes();
    history.apply(std::make_unique<SpriteChange>("open", doc, 1, PoseState{Sprite(3, 3), Sprite{}, {}}), doc);
    QVERIFY(history.bytes() >= beforeDrop + pictureBytes);
    QVERIFY(!doc.sources[1].picture);
    history.undo(doc);
    QCOMPARE(doc.sources[1].picture, picture);
    QCOMPARE(doc.sources[1].conversion.threshold, 20);
}

void TestHistory::unsavedWork()
{
    EnemyDocument doc;
    QVERIFY(!doc.unsaved());
    doc.enemy.sprites[0] = filled(4, 4);
    QVERIFY(doc.unsaved());
    doc.saved = doc.enemy;
    QVERIFY(!doc.unsaved());
    doc.enemy.settings.money = "3";
    QVERIFY(doc.unsaved());

    // New over unsaved work leaves it only in the history, which says so.
    History history;
    history.apply(std::make_unique<DocumentChange>("New", doc, EnemyDocument{}), doc);
    QVERIFY(!doc.unsaved());
    QVERIFY(history.holdsUnsaved());
    History savedOnly;
    EnemyDocument written;
    written.enemy.sprites[0] = filled(4, 4);
    written.saved = written.enemy;
    savedOnly.apply(std::make_unique<DocumentChange>("New", written, EnemyDocument{}), written);
    QVERIFY(!savedOnly.holdsUnsaved());
}

void TestHistory::fivePosesAreOneStep()
{
    // A pose sheet replaces all five poses, their marks and kept pictures,
    // and leaves the settings and the file alone; one undo takes it all back.
    History history;
    EnemyDocument doc;
    doc.enemy.settings.name = "Slime";
    doc.file = "/enemies/Slime.asm";
    history.apply(intake(doc, 1, filled(8, 4)), doc);
    const EnemyDocument before = doc;
    std::array<palvorn::PoseState, palvorn::kPoses> after;
    for (int i = 0; i < palvorn::kPoses; ++i) {
        after[i].sprite = filled(3 + i, 4);
        after[i].marked = Sprite(3 + i, 4);
        after[i].marked.setPixel(0, 0, true);
        after[i].source.picture =
            std::make_shared<const palvorn::GreyPicture>(3 + i, 1, std::vector<std::uint16_t>(3 + i, 0));
    }
    history.apply(std::make_unique<palvorn::PosesChange>("sheet.png into the five poses", doc, after), doc);
    for (int i = 0; i < palvorn::kPoses; ++i)
        QCOMPARE(palvorn::poseState(doc, i).sprite, after[i].sprite);
    QCOMPARE(doc.marked[4], after[4].marked);
    QCOMPARE(doc.sources[2], after[2].source);
    QCOMPARE(doc.enemy.settings, before.enemy.settings);
    QCOMPARE(doc.file, before.file);
    QVERIFY(history.bytes() > 2 * sizeof(Sprite) * palvorn::kPoses);

    QCOMPARE(QString::fromStdString(history.undo(doc)->name()), QStringLiteral("sheet.png into the five poses"));
    QCOMPARE(doc, before);
    history.redo(doc);
    QCOMPARE(doc.sources[2], after[2].source);
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
