// The worker window: its life, its layout, WriteFile and "Ok".
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "SettingsWindow.h"
#include "WizardWindow.h"
#include "SpritesWindow.h"
#include "Platform.h"
#include "SlimePictures.h"

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(cannot read " + path.toUtf8() + ")";
    return file.readAll();
}

// Lets a closed window finish its deferred deletion.
void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// What the settings window gives for the Slime enemy.
void slimeSettings(palvorn::EnemyValues& v)
{
    v.name = "Slime";
    v.minHP = "20";
    v.highDefense = 5;
    v.lowDefense = 4;
    v.highAttack = 6;
    v.lowAttack = 3;
    v.specialAttack = 7;
    v.blockChance = 3;
    v.attacks = 5;
    v.itemPosition = 1;
}

void storeSlime(SpritesWindow* worker)
{
    worker->lblIncAmount = QStringLiteral("5");
    worker->lblRobotMoney = QStringLiteral("15");
    worker->lblRobotY = QStringLiteral("61");
    worker->lblRobotX = QStringLiteral("88");
    worker->lblRobotTo = QStringLiteral("72");
    const auto pictures = slimePictures();
    for (int i = 1; i <= 5; ++i)
        worker->setCopySprite(i, pictures[i - 1]);
}

}  // namespace

class TestPicMatrix : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void createdHiddenByFirstStore();
    void closingDiscardsEverything();
    void copiesSizedAndArranged();
    void writesTheGoldenFile();
    void gathersAtTheMomentOfTheCall();
    void failuresPassToTheCaller_data();
    void failuresPassToTheCaller();
    void okReturnsWizardToStepOne();

private:
    QTemporaryDir folder_;
};

void TestPicMatrix::init()
{
    QVERIFY(folder_.isValid());
    platform::setProgramFolder(folder_.path());
}

void TestPicMatrix::cleanup()
{
    SpritesWindow::closeIfOpen();
    SettingsWindow::closeIfOpen();
    flushDeletes();
    SpritesWindow::setSettingsReader({});
    SpritesWindow::setOkFollowUp({});
    platform::setProgramFolder({});
    for (const QFileInfo& entry : QDir(folder_.path()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
        QVERIFY(entry.isDir() ? QDir(entry.filePath()).removeRecursively() : QFile::remove(entry.filePath()));
}

void TestPicMatrix::createdHiddenByFirstStore()
{
    QVERIFY(!SpritesWindow::existing());
    SpritesWindow::instance()->lblRobotY = QStringLiteral("61");
    SpritesWindow* worker = SpritesWindow::existing();
    QVERIFY(worker);
    QVERIFY(!worker->isVisible());
    QCOMPARE(worker->windowTitle(), QStringLiteral("Sprites"));
    QCOMPARE(worker->lblRobotY, QStringLiteral("61"));
    for (const QString* other : {&worker->lblIncAmount, &worker->lblRobotMoney, &worker->lblRobotX, &worker->lblRobotTo})
        QVERIFY(other->isEmpty());
    QCOMPARE(SpritesWindow::instance(), worker);
    auto* ok = worker->findChild<QPushButton*>(QStringLiteral("OkBut"));
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral("Ok"));
    // The hidden values are never shown: no label of the window carries them.
    for (const QLabel* label : worker->findChildren<QLabel*>())
        QVERIFY(label->text().isEmpty());
}

void TestPicMatrix::closingDiscardsEverything()
{
    SpritesWindow* worker = SpritesWindow::instance();
    storeSlime(worker);
    const QPointer<SpritesWindow> old(worker);
    worker->close();
    // A store right after the close, before the deletion ran, must not reach the old window.
    QVERIFY(!SpritesWindow::existing());
    SpritesWindow* fresh = SpritesWindow::instance();
    QVERIFY(fresh != old.data());
    flushDeletes();
    QVERIFY(old.isNull());
    for (const QString* value : {&fresh->lblIncAmount, &fresh->lblRobotMoney, &fresh->lblRobotY, &fresh->lblRobotX,
                                 &fresh->lblRobotTo})
        QVERIFY(value->isEmpty());
    for (int i = 1; i <= 5; ++i)
        QVERIFY(fresh->copySprite(i).isNull());
}

void TestPicMatrix::copiesSizedAndArranged()
{
    SpritesWindow* worker = SpritesWindow::instance();
    const QImage pictures[] = {pictureFromRows({"XXXXXXXXXXXX", "X"}), pictureFromRows({"XX", "XX", "XX"}),
                               pictureFromRows({"X"}), pictureFromRows({"XXXXXXXX"}), pictureFromRows({"XXX", "X", "X"})};
    for (int i = 1; i <= 5; ++i)
        worker->setCopySprite(i, pictures[i - 1]);
    worker->show();
    QVERIFY(QTest::qWaitForWindowExposed(worker));

    QLabel* copy[5];
    for (int i = 0; i < 5; ++i) {
        copy[i] = worker->findChild<QLabel*>(QStringLiteral("CopySprite%1").arg(i + 1));
        QVERIFY(copy[i]);
        QCOMPARE(copy[i]->size(), pictures[i].size());
        QCOMPARE(worker->copySprite(i + 1), pictures[i]);
    }
    for (int i = 1; i < 4; ++i) {
        QCOMPARE(copy[i]->y(), copy[0]->y());
        QVERIFY(copy[i]->x() >= copy[i - 1]->x() + copy[i - 1]->width());
    }
    QCOMPARE(copy[4]->x(), copy[0]->x());
    QVERIFY(copy[4]->y() >= copy[0]->y() + copy[0]->height());
    auto* ok = worker->findChild<QPushButton*>(QStringLiteral("OkBut"));
    QVERIFY(ok->x() >= copy[4]->x() + copy[4]->width());
    QVERIFY(ok->geometry().bottom() > copy[4]->y());
}

void TestPicMatrix::writesTheGoldenFile()
{
    SpritesWindow::setSettingsReader(slimeSettings);
    storeSlime(SpritesWindow::instance());
    const std::filesystem::path written = SpritesWindow::instance()->WriteFile();
    QCOMPARE(QString::fromStdString(written.string()), QDir(folder_.path()).filePath(QStringLiteral("Slime.asm")));
    QCOMPARE(readAll(folder_.filePath(QStringLiteral("Slime.asm"))), readAll(slimeGoldenPath()));
}

void TestPicMatrix::gathersAtTheMomentOfTheCall()
{
    QString minHP = QStringLiteral("20");
    SpritesWindow::setSettingsReader([&minHP](palvorn::EnemyValues& v) {
        slimeSettings(v);
        v.minHP = minHP.toStdString();
    });
    SpritesWindow* worker = SpritesWindow::instance();
    storeSlime(worker);
    worker->WriteFile();
    minHP = QStringLiteral("30");
    worker->lblRobotMoney = QStringLiteral("9");
    worker->setCopySprite(5, pictureFromRows({"X"}));
    worker->WriteFile();
    const QList<QByteArray> lines = readAll(folder_.filePath(QStringLiteral("Slime.asm"))).split('\n');
    QCOMPARE(lines.value(4), QByteArray(" .db 30,5,5,4,6,3,7,3,5,2,9,61,88,72,3,1,2,1,2,1,2,1,1,1\r"));
    QCOMPARE(lines.value(lines.size() - 5), QByteArray(" .db 1\r"));
    QCOMPARE(lines.value(lines.size() - 4), QByteArray(" .db $80\r"));
}

void TestPicMatrix::failuresPassToTheCaller_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("directoryInTheWay");
    QTest::addColumn<bool>("invalidName");

    QTest::newRow("directory standing at NAME.asm") << QStringLiteral("Slime") << true << false;
    // Without the UTF-8 hand-over, "Ω" would become "?" and the file "a?.asm".
    QTest::newRow("character beyond one byte") << QStringLiteral("a\u03A9") << false << true;
    QTest::newRow("latin-1 character") << QStringLiteral("caf\u00E9") << false << true;
    QTest::newRow("path separator") << QStringLiteral("../x") << false << true;
}

void TestPicMatrix::failuresPassToTheCaller()
{
    QFETCH(QString, name);
    QFETCH(bool, directoryInTheWay);
    QFETCH(bool, invalidName);
    if (directoryInTheWay)
        QVERIFY(QDir(folder_.path()).mkdir(name + QStringLiteral(".asm")));
    SpritesWindow::setSettingsReader([name](palvorn::EnemyValues& v) {
        slimeSettings(v);
        v.name = fileText(name);
    });
    storeSlime(SpritesWindow::instance());
    const QStringList before = QDir(folder_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    bool threwInvalidName = false;
    bool threwWriteError = false;
    try {
        SpritesWindow::instance()->WriteFile();
    } catch (const palvorn::InvalidName&) {
        threwInvalidName = true;
    } catch (const palvorn::WriteError& e) {
        threwWriteError = true;
        QVERIFY(!e.reason().empty());
    }
    QCOMPARE(threwInvalidName, invalidName);
    QCOMPARE(threwWriteError, !invalidName);
    QCOMPARE(QDir(folder_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(!QFile::exists(QDir(folder_.path()).filePath(QStringLiteral("../x.asm"))));
}

void TestPicMatrix::okReturnsWizardToStepOne()
{
    WizardWindow wizard;
    const auto pictures = slimePictures();
    for (int i = 1; i <= 5; ++i) {
        wizard.SaveSprite[i] = pictures[i - 1];
        wizard.SpriteSize[i] = 3;
    }
    wizard.ShowStep(5);
    wizard.CurStep = 5;
    SettingsWindow* settings = SettingsWindow::showWindow();
    SpritesWindow* worker = SpritesWindow::instance();
    storeSlime(worker);
    worker->show();
    const QPointer<SettingsWindow> settingsAlive(settings);
    const QPointer<SpritesWindow> workerAlive(worker);

    QTest::mouseClick(worker->findChild<QPushButton*>(QStringLiteral("OkBut")), Qt::LeftButton);

    QVERIFY(!SpritesWindow::existing());
    QVERIFY(!SettingsWindow::existing());
    flushDeletes();
    QVERIFY(workerAlive.isNull());
    QVERIFY(settingsAlive.isNull());
    QCOMPARE(wizard.CurStep, 1);
    for (int i = 1; i <= 5; ++i) {
        QVERIFY2(wizard.SaveSprite[i].isNull(), qPrintable(QStringLiteral("slot %1").arg(i)));
        QCOMPARE(wizard.SpriteSize[i], 0);
    }
}

QTEST_MAIN(TestPicMatrix)
#include "tst_spriteswindow.moc"
