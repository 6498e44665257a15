// The Sprites window: made by a successful Create, it shows the five sprites
// as written, where NAME.asm went and how the build of NAME.8XP ends; its
// "Ok" ends the enemy. The build script is played by a fake launcher that
// writes what a script leaves behind: the status file, NAME.8XP, NAME.log.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "CreateRoad.h"
#include "SettingsFixture.h"
#include "Render.h"
#include "SpriteOf.h"
#include "Export.h"
#include "FileBytes.h"
#include <QSpinBox>
#include "WizardHarness.h"

namespace {

// The picture a copy shows, in a format that compares pixel by pixel.
QImage shown(const QLabel* copy)
{
    return copy->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class TestPicMatrix : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void createOpensIt();
    void copiesSizedAndArranged();
    void buildStatus_data();
    void buildStatus();
    void statusArrivesLater();
    void secondCreateFollowsItsOwnBuild();
    void enemyEnds_data();
    void enemyEnds();
    void titleBarCloseKeepsSettings();
    void exportWritesTheChosenFilter_data();
    void exportWritesTheChosenFilter();
    void exportErrorNamesTheFile();
    void openFolderChecksTheStarter_data();
    void openFolderChecksTheStarter();

private:
    // The wizard with these pictures, "Finish", the Slime settings typed in.
    void openSettings(const std::array<QImage, 5>& pictures = slimePictures());
    SpritesWindow* create();
    QString statusLine() const { return control<QLabel>(settings_->spritesWindow(), "BuildStatus")->text(); }
    QString folderPath(const QString& name) const { return QDir(folder_->path()).filePath(name); }

    std::optional<QTemporaryDir> folder_;
    std::optional<road::FakeLauncher> launcher_;
    std::optional<WarningRecorder> warnings_;
    std::unique_ptr<WizardWindow> wizard_;
    SettingsWindow* settings_ = nullptr;
};

void TestPicMatrix::init()
{
    folder_.emplace();
    QVERIFY(folder_->isValid());
    platform::setProgramFolder(folder_->path());
    launcher_.emplace();
    warnings_.emplace();
    wizard_ = harness::showWizard();
    QVERIFY(wizard_);
}

void TestPicMatrix::cleanup()
{
    wizard_.reset();
    QVERIFY(harness::otherWindowsGone());
    warnings_.reset();
    launcher_.reset();
    platform::setProgramFolder({});
    folder_.reset();
}

void TestPicMatrix::openSettings(const std::array<QImage, 5>& pictures)
{
    road::takeInAll(wizard_.get(), pictures);
    settings_ = road::finish(wizard_.get());
    QVERIFY(settings_);
    road::enterSlime(settings_);
}

SpritesWindow* TestPicMatrix::create()
{
    road::clickCreate(settings_);
    return settings_->spritesWindow();
}

void TestPicMatrix::createOpensIt()
{
    openSettings();
    QVERIFY(!settings_->spritesWindow());
    QVERIFY(!harness::openWindow<SpritesWindow>());

    SpritesWindow* sprites = create();
    QCOMPARE(warnings_->warnings.size(), 0);
    QVERIFY(sprites);
    QCOMPARE(harness::openWindow<SpritesWindow>(), sprites);
    QCOMPARE(sprites->objectName(), QStringLiteral("PicMatrix"));
    QCOMPARE(sprites->windowTitle(), QStringLiteral("Sprites"));
    QVERIFY(!sprites->parentWidget());
    QCOMPARE(control<QPushButton>(sprites, "OkBut")->text(), QStringLiteral("Ok"));
    QVERIFY(control<QPushButton>(sprites, "OkBut")->isEnabled());
    QCOMPARE(control<QLabel>(sprites, "SourcePath")->text(),
             QStringLiteral("Wrote ") + QDir::toNativeSeparators(folderPath(QStringLiteral("Slime.asm"))));
    QCOMPARE(statusLine(), QStringLiteral("Building Slime.8XP\u2026"));
    QCOMPARE(sprites->buildStatus(), statusLine());

    // The script of the program folder, the name alone, the program folder,
    // and a status file of its own outside the program folder.
    QCOMPARE(launcher_->starts.size(), 1);
    const road::Start& start = launcher_->starts.first();
    QCOMPARE(start.script, folderPath(QString::fromLatin1(palvorn::kBuildScript)));
    QCOMPARE(start.argument, QStringLiteral("Slime"));
    QCOMPARE(start.folder, folder_->path());
    QVERIFY(!start.statusFile.isEmpty());
    QVERIFY(QFileInfo(start.statusFile).dir().exists());
    QVERIFY(!QFile::exists(start.statusFile));
    QVERIFY(!start.statusFile.startsWith(folder_->path()));
}

void TestPicMatrix::copiesSizedAndArranged()
{
    const std::array<QImage, 5> pictures = {
        pictureFromRows({"XXXXXXXXXXXX", "X..........X"}), pictureFromRows({"XX", ".X", "X."}), pictureFromRows({"X"}),
        pictureFromRows({"X.X.X.XX"}), pictureFromRows({"XXX", "X..", "..X"})};
    openSettings(pictures);
    SpritesWindow* sprites = create();
    QVERIFY(sprites);
    QVERIFY(QTest::qWaitForWindowExposed(sprites));

    // Each copy as packed, all at the one scale at which the widest and the
    // tallest fit, captioned with its pose and packed size.
    const QStringList captions = {"normal (4 bytes)", "high attack (3 bytes)", "low attack (1 byte)",
                                  "special attack (1 byte)", "hurt (3 bytes)"};
    QSize largest;
    for (const QImage& picture : pictures)
        largest = largest.expandedTo(picture.size());
    QLabel* copy[5];
    for (int i = 0; i < 5; ++i) {
        copy[i] = control<QLabel>(sprites, qPrintable(QStringLiteral("CopySprite%1").arg(i + 1)));
        const palvorn::Sprite sprite = spriteOf(pictures[i]);
        const render::Scale scale = render::scaleFor(largest, copy[i]->size());
        QVERIFY(scale.up > 1);
        QCOMPARE(shown(copy[i]), render::renderSprite(sprite, {}, scale));
        QCOMPARE(control<QLabel>(sprites, qPrintable(QStringLiteral("CopyCaption%1").arg(i + 1)))->text(),
                 captions[i]);
    }
    for (int i = 1; i < 4; ++i) {
        QCOMPARE(copy[i]->y(), copy[0]->y());
        QVERIFY(copy[i]->x() >= copy[i - 1]->x() + copy[i - 1]->width());
    }
    QCOMPARE(copy[4]->x(), copy[0]->x());
    QVERIFY(copy[4]->y() >= copy[0]->y() + copy[0]->height());
    // The path and the build status lie below the sprites; "Ok" below
    // everything, at the bottom right, with "Open Folder" beside it.
    const int spritesBottom = qMax(copy[0]->geometry().bottom(), copy[4]->geometry().bottom());
    QVERIFY(control<QLabel>(sprites, "SourcePath")->y() > spritesBottom);
    auto* status = control<QLabel>(sprites, "BuildStatus");
    QVERIFY(status->y() > control<QLabel>(sprites, "SourcePath")->y());
    auto* ok = control<QPushButton>(sprites, "OkBut");
    QVERIFY(ok->y() >= status->geometry().bottom());
    QVERIFY(ok->geometry().right() >= copy[3]->geometry().right() - ok->width() / 2);
    QVERIFY(sprites->rect().bottom() - ok->geometry().bottom() < 2 * ok->height());
    // "Open Folder" shares the bottom row, just left of "Ok".
    auto* openFolder = control<QPushButton>(sprites, "OpenFolderBut");
    QCOMPARE(openFolder->geometry().center().y(), ok->geometry().center().y());
    QVERIFY(openFolder->geometry().right() < ok->x());
    QVERIFY(ok->x() - openFolder->geometry().right() < ok->width());
}

void TestPicMatrix::buildStatus_data()
{
    QTest::addColumn<QByteArray>("status");  // what the launcher writes to the status file
    QTest::addColumn<QString>("program");    // NAME.8XP: "none", "new" (1234 bytes), "old" (an hour old)
    QTest::addColumn<int>("logLines");       // NAME.log "line 1".."line N"; 0: none
    QTest::addColumn<QString>("expected");   // FOLDER stands for the program folder

    const QString built = QStringLiteral("Built Slime.8XP (1234 bytes) in FOLDER");
    const QString noNewProgram =
        QStringLiteral("Build failed:\nthe build script ended without making a new Slime.8XP");
    QTest::newRow("built") << QByteArray("0\n") << "new" << 0 << built;
    QTest::newRow("built, status as cmd.exe writes it") << QByteArray("0\r\n") << "new" << 0 << built;
    QTest::newRow("built, a log lying about") << QByteArray("0\n") << "new" << 2 << built;
    QTest::newRow("status 0 without a program") << QByteArray("0\n") << "none" << 0 << noNewProgram;
    QTest::newRow("status 0 with only an older program") << QByteArray("0\n") << "old" << 0 << noNewProgram;
    QTest::newRow("failed, short log") << QByteArray("1\n") << "none" << 3
                                       << "Build failed:\nline 1\nline 2\nline 3";
    QTest::newRow("failed, long log shows its first lines")
        << QByteArray("1\n") << "old" << 9 << "Build failed:\nline 1\nline 2\nline 3\nline 4\nline 5\nline 6";
    QTest::newRow("failed with a new program") << QByteArray("1\n") << "new" << 1 << "Build failed:\nline 1";
    QTest::newRow("failed without a log")
        << QByteArray("2\n") << "none" << 0
        << "Build failed:\nthe build script ended with status 2 and left no Slime.log";
    QTest::newRow("killed by a signal")
        << QByteArray("143\n") << "old" << 0
        << "Build failed:\nthe build script ended with status 143 and left no Slime.log";
}

void TestPicMatrix::buildStatus()
{
    QFETCH(QByteArray, status);
    QFETCH(QString, program);
    QFETCH(int, logLines);
    QFETCH(QString, expected);
    const QString programFile = folderPath(QStringLiteral("Slime.8XP"));
    if (program == "old") {
        QVERIFY(road::writeFile(programFile, QByteArray(99, 'o')));
        QFile old(programFile);
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    launcher_->setBuild([&](const road::Start& start) {
        const QDir folder(start.folder);
        if (program == "new" && !road::writeFile(folder.filePath(QStringLiteral("Slime.8XP")), QByteArray(1234, 'p')))
            return QStringLiteral("fake build: cannot write the program");
        QByteArray log;
        for (int i = 1; i <= logLines; ++i)
            log += "line " + QByteArray::number(i) + "\n";
        if (logLines > 0 && !road::writeFile(folder.filePath(QStringLiteral("Slime.log")), log))
            return QStringLiteral("fake build: cannot write the log");
        if (!road::writeFile(start.statusFile, status))
            return QStringLiteral("fake build: cannot write the status");
        return QString();
    });
    openSettings();
    QVERIFY(create());
    QCOMPARE(warnings_->warnings.size(), 0);
    // Until the window has looked at the status file, the build is running.
    QCOMPARE(statusLine(), QStringLiteral("Building Slime.8XP\u2026"));
    expected.replace(QStringLiteral("FOLDER"), QDir::toNativeSeparators(QDir(folder_->path()).absolutePath()));
    QTRY_COMPARE(statusLine(), expected);
    // Judged once: it stays.
    QTest::qWait(500);
    QCOMPARE(statusLine(), expected);
}

void TestPicMatrix::statusArrivesLater()
{
    QString statusFile;
    launcher_->setBuild([&](const road::Start& start) {
        statusFile = start.statusFile;
        return QString();
    });
    openSettings();
    QVERIFY(create());
    // A build that has not ended is running, however long it takes.
    QTest::qWait(1000);
    QCOMPARE(statusLine(), QStringLiteral("Building Slime.8XP\u2026"));
    QVERIFY(road::writeFile(folderPath(QStringLiteral("Slime.8XP")), QByteArray(300, 'p')));
    QVERIFY(road::writeFile(statusFile, "0\n"));
    QTRY_COMPARE(statusLine(), QStringLiteral("Built Slime.8XP (300 bytes) in ") +
                                    QDir::toNativeSeparators(QDir(folder_->path()).absolutePath()));
}

void TestPicMatrix::secondCreateFollowsItsOwnBuild()
{
    openSettings();
    QVERIFY(create());
    QCOMPARE(launcher_->starts.size(), 1);
    const QString firstStatus = launcher_->starts[0].statusFile;
    QTest::qWait(300);

    launcher_->setBuild([](const road::Start& start) {
        return road::writeFile(start.statusFile, "3\n") ? QString() : QStringLiteral("cannot write the status");
    });
    SpritesWindow* sprites = create();
    QCOMPARE(launcher_->starts.size(), 2);
    QCOMPARE(settings_->spritesWindow(), sprites);
    QVERIFY(launcher_->starts[1].statusFile != firstStatus);
    // The first build ending late, successfully, does not speak for the second.
    QVERIFY(road::writeFile(folderPath(QStringLiteral("Slime.8XP")), QByteArray(300, 'p')));
    road::writeFile(firstStatus, "0\n");
    QTRY_COMPARE(statusLine(),
                 QStringLiteral("Build failed:\nthe build script ended with status 3 and left no Slime.log"));
    QCOMPARE(harness::openWindow<SpritesWindow>(), sprites);
}

void TestPicMatrix::enemyEnds_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Ok") << "Ok";
    QTest::newRow("wizard New") << "New";
}

void TestPicMatrix::enemyEnds()
{
    QFETCH(QString, how);
    openSettings();
    SpritesWindow* sprites = create();
    QVERIFY(sprites);
    const QPointer<SettingsWindow> settingsAlive(settings_);
    const QPointer<SpritesWindow> spritesAlive(sprites);

    road::click(how == "Ok" ? static_cast<QWidget*>(sprites) : wizard_.get(), how == "Ok" ? "OkBut" : "NewBut");

    QVERIFY(!harness::openWindow<SpritesWindow>());
    QVERIFY(!harness::openWindow<SettingsWindow>());
    road::returnToEventLoop();
    QVERIFY(spritesAlive.isNull());
    QVERIFY(settingsAlive.isNull());
    QVERIFY(!wizard_->settingsWindow());
    QVERIFY(wizard_->isVisible());
    QCOMPARE(wizard_->curStep(), 1);
    QVERIFY(wizard_->enemy() == palvorn::Enemy{});
    for (int step = 1; step <= 5; ++step)
        QCOMPARE(wizard_->spriteSize(step), 0);
    QCOMPARE(control<QLabel>(wizard_.get(), "SizeLbl")->text(), QStringLiteral("Size: 0"));
    // The written file stays where it was written.
    QCOMPARE(road::readAll(folderPath(QStringLiteral("Slime.asm"))), road::readAll(slimeGoldenPath()));
}

void TestPicMatrix::titleBarCloseKeepsSettings()
{
    openSettings();
    SpritesWindow* sprites = create();
    QVERIFY(sprites);
    const QPointer<SpritesWindow> old(sprites);
    sprites->close();
    road::returnToEventLoop();
    QVERIFY(old.isNull());
    QVERIFY(!settings_->spritesWindow());
    // The settings and the wizard go on as they were.
    QCOMPARE(harness::openWindow<SettingsWindow>(), settings_);
    QCOMPARE(control<QLineEdit>(settings_, "CharName")->text(), QStringLiteral("Slime"));
    QCOMPARE(wizard_->enemy().settings.name, std::string("Slime"));
    QCOMPARE(wizard_->curStep(), 5);
    QCOMPARE(wizard_->spriteSize(1), 3);

    SpritesWindow* again = create();
    QVERIFY(again);
    QVERIFY(again->isVisible());
    QCOMPARE(launcher_->starts.size(), 2);
}

void TestPicMatrix::exportWritesTheChosenFilter_data()
{
    QTest::addColumn<int>("filter");     // the entry chosen in the dialog
    QTest::addColumn<QString>("typed");  // the name typed
    QTest::addColumn<QString>("written");
    QTest::addColumn<int>("scale");
    QTest::newRow("sheet") << 0 << "poses.png" << "poses.png" << 2;
    QTest::newRow("battle, extension added") << 1 << "fight" << "fight.gif" << 3;
    QTest::newRow("screen at 1x") << 2 << "screen" << "screen.png" << 1;
    QTest::newRow("the filter decides, not the name") << 1 << "odd.png" << "odd.png" << 1;
}

void TestPicMatrix::exportWritesTheChosenFilter()
{
    QFETCH(int, filter);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(int, scale);
    openSettings();
    SpritesWindow* sprites = create();
    QVERIFY(sprites);
    QList<platform::SaveFileRequest> requests;
    platform::setSaveFileDialog([&](QWidget*, platform::SaveFileRequest& request) {
        requests << request;
        request.selectedFilter = request.filter.split(QStringLiteral(";;"))[filter];
        return folderPath(typed);
    });
    control<QSpinBox>(sprites, "ExportScale")->setValue(scale);
    auto* exportBut = control<QPushButton>(sprites, "ExportBut");
    QCOMPARE(exportBut->text(), QStringLiteral("Export..."));
    QTest::mouseClick(exportBut, Qt::LeftButton);
    platform::setSaveFileDialog({});

    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].filter,
             QStringLiteral("Pose sheet (*.png);;Battle animation (*.gif);;Calculator screen (*.png)"));
    QCOMPARE(warnings_->warnings.size(), 0);
    const exporting::Kind kinds[] = {exporting::Kind::Sheet, exporting::Kind::Battle, exporting::Kind::Screen};
    QCOMPARE(readAll(folderPath(written)), exporting::exportBytes(kinds[filter], wizard_->enemy(), scale));
}

void TestPicMatrix::exportErrorNamesTheFile()
{
    openSettings();
    SpritesWindow* sprites = create();
    QVERIFY(sprites);
    const QString path = folderPath(QStringLiteral("gone/poses.png"));
    platform::setSaveFileDialog([&](QWidget*, platform::SaveFileRequest&) { return path; });
    QTest::mouseClick(control<QPushButton>(sprites, "ExportBut"), Qt::LeftButton);
    QCOMPARE(warnings_->warnings.size(), 1);
    QVERIFY2(warnings_->warnings[0].text.startsWith(
                 QStringLiteral("The file \"%1\" could not be written: ").arg(QDir::toNativeSeparators(path))),
             qPrintable(warnings_->warnings[0].text));
    // Cancelled: nothing written, nothing said.
    platform::setSaveFileDialog([&](QWidget*, platform::SaveFileRequest&) { return QString(); });
    QTest::mouseClick(control<QPushButton>(sprites, "ExportBut"), Qt::LeftButton);
    platform::setSaveFileDialog({});
    QCOMPARE(warnings_->warnings.size(), 1);
}

void TestPicMatrix::openFolderChecksTheStarter_data()
{
    QTest::addColumn<QByteArray>("opener");  // the xdg-open found on PATH; empty: none
    QTest::addColumn<bool>("said");

    QTest::newRow("opened") << QByteArray("#!/bin/sh\necho \"$1\" > \"${0%/*}/opened\"\n") << false;
    QTest::newRow("no method available")
        << QByteArray("#!/bin/sh\necho 'xdg-open: no method available' >&2\nexit 3\n") << true;
    QTest::newRow("no xdg-open") << QByteArray() << true;
}

void TestPicMatrix::openFolderChecksTheStarter()
{
#if !defined(Q_OS_LINUX)
    QSKIP("xdg-open is the starter on Linux only");
#endif
    QFETCH(QByteArray, opener);
    QFETCH(bool, said);
    openSettings();
    SpritesWindow* sprites = create();
    QVERIFY(sprites);
    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    if (!opener.isEmpty()) {
        const QString path = bin.filePath(QStringLiteral("xdg-open"));
        QVERIFY(writeFile(path, opener));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    QTest::mouseClick(control<QPushButton>(sprites, "OpenFolderBut"), Qt::LeftButton);
    qputenv("PATH", oldPath);

    QCOMPARE(warnings_->warnings.size(), said ? 1 : 0);
    if (said) {
        QCOMPARE(warnings_->warnings[0].title, QStringLiteral("Open Folder"));
        QVERIFY2(warnings_->warnings[0].text.contains(QDir::toNativeSeparators(folder_->path())),
                 qPrintable(warnings_->warnings[0].text));
    } else {
        QCOMPARE(readAll(bin.filePath(QStringLiteral("opened"))).trimmed(),
                 QUrl::fromLocalFile(QFileInfo(folderPath(QStringLiteral("Slime.asm"))).absolutePath())
                     .toString()
                     .toUtf8());
    }
}

QTEST_MAIN(TestPicMatrix)
#include "tst_spriteswindow.moc"
