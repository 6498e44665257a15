// A picture read off the GUI thread: the busy note while it is read, a newer
// intake replacing an older one, a result dropped when its pose changed
// meanwhile, and a window closed while a picture is read.

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "Platform.h"
#include "WizardHarness.h"

using harness::control;

class IntakeWait : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void busyNoteAppearsAndGoes_data();
    void busyNoteAppearsAndGoes();
    void newerIntakeReplacesOlder();
    void resultForChangedPoseDropped_data();
    void resultForChangedPoseDropped();
    void closingWhileReading();

private:
    // Clicks Browse with the dialog answering the picture saved as name;
    // returns at once, the picture still being read.
    void browse(const QString& name, const QImage& picture);
    PictureIntake* intake() const { return wizard->findChild<PictureIntake*>(); }
    QString note() const { return control<QLabel>(wizard.get(), "SpriteNote")->text(); }

    std::unique_ptr<WizardWindow> wizard;
    std::unique_ptr<QTemporaryDir> folder;
    QString chosenFile;
    QStringList warnings;
};

void IntakeWait::init()
{
    PictureIntake::setWaitForEachIntake(false);
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    warnings.clear();
    platform::setOpenFileDialog([this](QWidget*, const platform::OpenFileRequest&) { return chosenFile; });
    platform::setWarningBox(
        [this](QWidget*, const QString&, const QString& text, platform::Buttons) { warnings << text; });
    wizard = harness::showWizard();
    QVERIFY(wizard);
}

void IntakeWait::cleanup()
{
    wizard.reset();
    PictureIntake::setWaitForEachIntake(true);
    platform::setOpenFileDialog({});
    platform::setWarningBox({});
    folder.reset();
    QVERIFY(harness::otherWindowsGone());
}

void IntakeWait::browse(const QString& name, const QImage& picture)
{
    chosenFile = folder->filePath(name);
    if (picture.isNull()) {
        QFile file(chosenFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture at all\n");
    } else {
        QVERIFY(picture.save(chosenFile, "PNG"));
    }
    QTest::mouseClick(control<QPushButton>(wizard.get(), "Browse"), Qt::LeftButton);
}

void IntakeWait::busyNoteAppearsAndGoes_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<bool>("refused");
    QTest::newRow("picture") << harness::testSprite(9, 7) << false;
    QTest::newRow("refused file") << QImage() << true;
}

void IntakeWait::busyNoteAppearsAndGoes()
{
    QFETCH(QImage, picture);
    QFETCH(bool, refused);
    const palvorn::EnemyDocument before = wizard->document();
    browse(QStringLiteral("face.png"), picture);
    // Nothing is applied before the event loop runs, however fast the worker.
    QVERIFY(intake()->busy());
    QCOMPARE(note(), QStringLiteral("Reading face.png…"));
    QCOMPARE(wizard->cursor().shape(), Qt::BusyCursor);
    QVERIFY(wizard->document() == before);

    intake()->waitForIdle();
    QVERIFY(!intake()->busy());
    QVERIFY(!note().startsWith(QStringLiteral("Reading")));
    QVERIFY(wizard->cursor().shape() != Qt::BusyCursor);
    if (refused) {
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings[0].contains(QStringLiteral("face.png")), qPrintable(warnings[0]));
        QVERIFY(wizard->document() == before);
        QCOMPARE(wizard->history().size(), std::size_t{0});
    } else {
        QVERIFY(warnings.isEmpty());
        QCOMPARE(wizard->enemy().sprites[0].width(), 9);
        QCOMPARE(wizard->history().size(), std::size_t{1});
    }
}

void IntakeWait::newerIntakeReplacesOlder()
{
    browse(QStringLiteral("older.png"), harness::testSprite(12, 5));
    browse(QStringLiteral("newer.png"), harness::testSprite(6, 8));
    QCOMPARE(note(), QStringLiteral("Reading newer.png…"));
    intake()->waitForIdle();
    // The older one's result is dropped whichever ended first: one change, the newer picture.
    QCOMPARE(wizard->history().size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(wizard->history().nextUndo()->name()), QStringLiteral("newer.png into normal"));
    QCOMPARE(wizard->enemy().sprites[0].width(), 6);
    QCOMPARE(wizard->enemy().sprites[0].height(), 8);
    QVERIFY(!intake()->busy());
}

void IntakeWait::resultForChangedPoseDropped_data()
{
    QTest::addColumn<bool>("undo");
    QTest::newRow("undone meanwhile") << true;
    QTest::newRow("changed meanwhile") << false;
}

void IntakeWait::resultForChangedPoseDropped()
{
    QFETCH(bool, undo);
    wizard->takeIn(palvorn::Sprite(4, 4));
    browse(QStringLiteral("late.png"), harness::testSprite(10, 10));
    if (undo)
        QTest::mouseClick(control<QPushButton>(wizard.get(), "UndoBut"), Qt::LeftButton);
    else
        wizard->takeIn(palvorn::Sprite(3, 5));
    const palvorn::EnemyDocument meanwhile = wizard->document();
    const std::size_t steps = wizard->history().size();

    intake()->waitForIdle();
    QVERIFY(wizard->document() == meanwhile);
    QCOMPARE(wizard->history().size(), steps);
    QVERIFY(!note().startsWith(QStringLiteral("Reading")));
    QVERIFY(warnings.isEmpty());
}

void IntakeWait::closingWhileReading()
{
    browse(QStringLiteral("big.png"), harness::testSprite(600, 600));
    QVERIFY(intake()->busy());
    wizard.reset();  // waits for the worker; its result goes with the window
    QCoreApplication::processEvents();
    QVERIFY(warnings.isEmpty());
}

QTEST_MAIN(IntakeWait)
#include "tst_intakewait.moc"
