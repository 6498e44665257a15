// The enemy model on its own: what each change says it changed, live edits
// as one undo step, and the Undo and Redo actions that name the step.

#include <QtTest>

#include <QAction>

#include "EnemyModel.h"

namespace {

palvorn::PoseState withPixel(palvorn::PoseState state, int x)
{
    state.sprite.setPixel(x, 0, true);
    return state;
}

std::unique_ptr<palvorn::Change> blankSprite(const EnemyModel& model, int pose)
{
    palvorn::PoseState after = model.pose(pose);
    after.sprite = palvorn::Sprite(8, 2);
    return std::make_unique<palvorn::SpriteChange>("Size 8 x 2", model.document(), pose, std::move(after));
}

}  // namespace

class TestEnemyModel : public QObject {
    Q_OBJECT

private slots:
    void changesSayWhatChanged_data();
    void changesSayWhatChanged();
    void liveEditIsOneStep();
    void liveEditEndsBeforeAnotherChange();
    void liveEditThatChangesNothingLeavesNoStep();
};

void TestEnemyModel::changesSayWhatChanged_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("pose");           // poseChanged's pose; -1: not sent
    QTest::addColumn<int>("replaced");       // documentReplaced sent
    QTest::addColumn<int>("settings");       // settingsChanged sent
    QTest::addColumn<QList<bool>>("clean");  // cleanChanged's arguments

    QTest::newRow("sprite change") << "sprite" << 3 << 0 << 0 << QList<bool>{false};
    QTest::newRow("undone") << "undo" << 3 << 0 << 0 << QList<bool>{true};
    QTest::newRow("another document") << "document" << -1 << 1 << 0 << QList<bool>{false};
    QTest::newRow("written") << "written" << -1 << 0 << 1 << QList<bool>{true};
}

void TestEnemyModel::changesSayWhatChanged()
{
    QFETCH(QString, action);
    QFETCH(int, pose);
    QFETCH(int, replaced);
    QFETCH(int, settings);
    QFETCH(QList<bool>, clean);

    EnemyModel model;
    if (action != "sprite" && action != "document")
        model.apply(blankSprite(model, 3));
    QSignalSpy poses(&model, &EnemyModel::poseChanged);
    QSignalSpy documents(&model, &EnemyModel::documentReplaced);
    QSignalSpy settingsSpy(&model, &EnemyModel::settingsChanged);
    QSignalSpy cleanSpy(&model, &EnemyModel::cleanChanged);
    if (action == "sprite") {
        model.apply(blankSprite(model, 3));
    } else if (action == "undo") {
        QVERIFY(model.undo());
    } else if (action == "document") {
        palvorn::EnemyDocument other;
        other.enemy.settings.name = "Slime";
        model.replaceDocument("Open Slime.asm", std::move(other));
    } else {
        model.keepWritten(model.enemy(), "/enemies/Robot.asm");
        QCOMPARE(model.name(), QStringLiteral("Robot"));
        QCOMPARE(model.document().file, std::filesystem::path("/enemies/Robot.asm"));
    }
    QCOMPARE(poses.size(), pose >= 0 ? 1 : 0);
    if (pose >= 0)
        QCOMPARE(poses.first().value(0).toInt(), pose);
    QCOMPARE(documents.size(), replaced);
    QCOMPARE(settingsSpy.size(), settings);
    QList<bool> cleanStates;
    for (const QList<QVariant>& arguments : cleanSpy)
        cleanStates << arguments.value(0).toBool();
    QCOMPARE(cleanStates, clean);
}

// A stroke shows every state as it comes and is one step from where it
// began; undo and redo give back each end exactly, and the actions name it.
void TestEnemyModel::liveEditIsOneStep()
{
    EnemyModel model;
    model.apply(blankSprite(model, 1));
    const palvorn::PoseState before = model.pose(1);
    QSignalSpy poses(&model, &EnemyModel::poseChanged);

    model.beginLive(1, QStringLiteral("Draw on low defense"));
    for (int x = 0; x < 3; ++x) {
        model.updateLive(withPixel(model.pose(1), x));
        QVERIFY(model.isLive());
        QCOMPARE(model.pose(1).sprite.pixel(x, 0), true);
    }
    QCOMPARE(poses.size(), 3);
    QCOMPARE(model.history().size(), std::size_t{1});  // nothing recorded while it goes on
    QCOMPARE(model.liveBefore(), before);
    model.updateLive(withPixel(model.pose(1), 3), QStringLiteral("Line on low defense"));
    const palvorn::PoseState after = model.pose(1);

    model.commitLive();
    QVERIFY(!model.isLive());
    QCOMPARE(poses.size(), 5);  // the end is told once more, as a change done
    QCOMPARE(model.history().size(), std::size_t{2});
    QCOMPARE(model.pose(1), after);
    QCOMPARE(model.undoAction()->toolTip(), QStringLiteral("Undo: Line on low defense"));
    QVERIFY(model.undoAction()->shortcuts().contains(QKeySequence(QKeySequence::Undo)));
    QVERIFY(model.redoAction()->shortcuts().contains(QKeySequence(QKeySequence::Redo)));

    model.undoAction()->trigger();
    QCOMPARE(model.pose(1), before);
    QCOMPARE(model.redoAction()->toolTip(), QStringLiteral("Redo: Line on low defense"));
    QVERIFY(model.redoAction()->isEnabled());
    model.redoAction()->trigger();
    QCOMPARE(model.pose(1), after);
    QVERIFY(!model.redoAction()->isEnabled());
    QCOMPARE(model.redoAction()->toolTip(), QStringLiteral("Nothing to redo"));
}

void TestEnemyModel::liveEditEndsBeforeAnotherChange()
{
    EnemyModel model;
    model.apply(blankSprite(model, 0));
    model.beginLive(0, QStringLiteral("Draw on normal"));
    model.updateLive(withPixel(model.pose(0), 5));
    model.apply(blankSprite(model, 2));
    QVERIFY(!model.isLive());
    QCOMPARE(model.history().size(), std::size_t{3});
    QVERIFY(model.undo());
    QVERIFY(model.pose(2).sprite.isEmpty());
    QCOMPARE(model.undoAction()->toolTip(), QStringLiteral("Undo: Draw on normal"));
    QVERIFY(model.undo());
    QCOMPARE(model.pose(0).sprite, palvorn::Sprite(8, 2));
}

void TestEnemyModel::liveEditThatChangesNothingLeavesNoStep()
{
    EnemyModel model;
    model.apply(blankSprite(model, 4));
    QSignalSpy poses(&model, &EnemyModel::poseChanged);
    model.beginLive(4, QStringLiteral("Erase on special attack"));
    model.updateLive(model.pose(4));
    model.commitLive();
    QCOMPARE(model.history().size(), std::size_t{1});
    QCOMPARE(poses.size(), 1);  // the update only
    QCOMPARE(model.undoAction()->toolTip(), QStringLiteral("Undo: Size 8 x 2"));
}

QTEST_MAIN(TestEnemyModel)
#include "tst_enemymodel.moc"
