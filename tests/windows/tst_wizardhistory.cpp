// No lost work, no dead ends: undo and redo of every change to the sprites,
// the wizard's buttons from one rule, Finish naming what is missing, the
// settings window keeping what it was given, the questions before work or
// another enemy's file is lost, and what is remembered between runs; all
// through the real windows.
#include <QtTest>

#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "CreateRoad.h"
#include "SpriteOf.h"
#include "Widgets.h"
#include "WizardHarness.h"

namespace {

QImage block(int width, int height)
{
    return harness::testSprite(width, height);
}

}  // namespace

class TestWizardHistory : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyActionUndoes_data();
    void everyActionUndoes();
    void historyAfterUndoAndNewChange();
    void stepLabelAndHeldButtons();
    void overLimitThenNewIsNoDeadEnd();
    void stepKeys();
    void cancelAfterOpenKeepsTheFile_data();
    void cancelAfterOpenKeepsTheFile();
    void createAsksBeforeReplacingAnother_data();
    void createAsksBeforeReplacingAnother();
    void closingAsksOnlyWhenWorkIsLost_data();
    void closingAsksOnlyWhenWorkIsLost();
    void rememberedBetweenRuns();

private:
    QString folderPath(const QString& name) const { return QDir(folder_->path()).filePath(name); }
    void press(const QKeySequence& keys);

    std::unique_ptr<WizardWindow> wizard_;
    std::unique_ptr<QTemporaryDir> folder_;  // the program folder
    std::optional<WarningRecorder> recorder_;
    std::optional<road::FakeLauncher> launcher_;
    QString dialogAnswer_;
    QString dialogFilterAnswer_;
    QList<platform::OpenFileRequest> requests_;
};

void TestWizardHistory::initTestCase()
{
    // What the windows remember goes to the test's own folder, and starts empty.
    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Palvorn"),
                    QStringLiteral("palvorn-enemy-creator"));
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY2(!config.isEmpty() && store.fileName().startsWith(config), qPrintable(store.fileName()));
    store.clear();
}

void TestWizardHistory::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    platform::setProgramFolder(folder_->path());
    launcher_.emplace();
    recorder_.emplace();
    requests_.clear();
    dialogFilterAnswer_.clear();
    platform::setOpenFileDialog([this](QWidget*, platform::OpenFileRequest& request) {
        requests_ << request;
        if (!dialogFilterAnswer_.isEmpty())
            request.selectedFilter = dialogFilterAnswer_;
        return dialogAnswer_;
    });
    wizard_ = harness::showWizard();
    QVERIFY(wizard_);
}

void TestWizardHistory::cleanup()
{
    wizard_.reset();
    QVERIFY(harness::otherWindowsGone());
    platform::setOpenFileDialog({});
    recorder_.reset();
    launcher_.reset();
    platform::setProgramFolder({});
    QGuiApplication::clipboard()->clear();
}

void TestWizardHistory::press(const QKeySequence& keys)
{
    QTest::keySequence(wizard_.get(), keys);
}

void TestWizardHistory::everyActionUndoes_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("name");  // as the tooltips name it
    QTest::addColumn<int>("step");      // the step undo and redo show

    QTest::newRow("Browse") << "Browse" << "pattern.png into high attack" << 2;
    QTest::newRow("clipboard button") << "clipboard" << "clipboard picture into high attack" << 2;
    QTest::newRow("Ctrl+V") << "Ctrl+V" << "clipboard picture into high attack" << 2;
    QTest::newRow("drop") << "drop" << "dropped picture into high attack" << 2;
    QTest::newRow("New") << "New" << "New" << 1;
    QTest::newRow("Open") << "Open" << "Open Ghoul.asm" << 1;
}

// Doing an action and undoing it gives back the enemy before, equal in
// every value; redo gives the one after; by buttons and by every key.
void TestWizardHistory::everyActionUndoes()
{
    QFETCH(QString, action);
    QFETCH(QString, name);
    QFETCH(int, step);
    auto* undo = control<QPushButton>(wizard_.get(), "UndoBut");
    auto* redo = control<QPushButton>(wizard_.get(), "RedoBut");
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());

    road::takeFromClipboard(wizard_.get(), block(16, 5));
    road::click(wizard_.get(), "NextBut");
    road::takeFromClipboard(wizard_.get(), block(8, 3));
    const palvorn::EnemyDocument before = wizard_->document();

    const QImage picture = block(24, 6);
    if (action == "Browse") {
        dialogAnswer_ = folderPath("pattern.png");
        QVERIFY(picture.save(dialogAnswer_));
        road::click(wizard_.get(), "Browse");
    } else if (action == "clipboard") {
        road::takeFromClipboard(wizard_.get(), picture);
    } else if (action == "Ctrl+V") {
        QGuiApplication::clipboard()->setImage(picture);
        press(QKeySequence(Qt::CTRL | Qt::Key_V));
    } else if (action == "drop") {
        QMimeData data;
        data.setImageData(picture);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(wizard_.get(), &enter);
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(wizard_.get(), &drop);
        QVERIFY(drop.isAccepted());
    } else if (action == "New") {
        road::click(wizard_.get(), "NewBut");
    } else {
        // A file an editor left a blank line and spaces after END in.
        QByteArray bytes = readAll(slimeGoldenPath()).replace("Slime   ", "Ghoul   ") + "\r\n   \r\n";
        QVERIFY(writeFile(folderPath("Ghoul.asm"), bytes));
        dialogAnswer_ = folderPath("Ghoul.asm");
        road::click(wizard_.get(), "OpenBut");
        QVERIFY(recorder_->warnings.isEmpty());
        QVERIFY(wizard_->settingsWindow());
        QCOMPARE(wizard_->enemy().settings.name, std::string("Ghoul"));
    }
    QVERIFY(recorder_->questions.isEmpty());  // New and Open ask nothing: they can be undone
    const palvorn::EnemyDocument after = wizard_->document();
    QVERIFY(after != before);
    if (action != "New" && action != "Open")
        QCOMPARE(wizard_->enemy().sprites[1], spriteOf(picture));
    QCOMPARE(undo->toolTip(), QStringLiteral("Undo: ") + name);
    QVERIFY(undo->isEnabled() && !redo->isEnabled());

    const QList<QKeySequence> undoKeys{QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Z)};
    const QList<QKeySequence> redoKeys{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)};
    // Each time away at step 5 first, so that undo and redo have to show the step.
    for (int i = 0; i < 2; ++i) {
        road::walk(wizard_.get(), 5 - wizard_->curStep());
        press(undoKeys[i]);
        QVERIFY(wizard_->document() == before);
        QCOMPARE(wizard_->curStep(), step);
        QVERIFY(!wizard_->settingsWindow());
        QCOMPARE(redo->toolTip(), QStringLiteral("Redo: ") + name);
        road::walk(wizard_.get(), 5 - wizard_->curStep());
        press(redoKeys[i]);
        QVERIFY(wizard_->document() == after);
        QCOMPARE(wizard_->curStep(), step);
    }
    road::click(wizard_.get(), "UndoBut");
    QVERIFY(wizard_->document() == before);
    road::click(wizard_.get(), "RedoBut");
    QVERIFY(wizard_->document() == after);
}

// An intake after an undo drops what was undone; the history keeps its bound.
void TestWizardHistory::historyAfterUndoAndNewChange()
{
    for (int i = 1; i <= 120; ++i)
        road::takeFromClipboard(wizard_.get(), block(8, 1 + i % 20));
    QCOMPARE(wizard_->history().size(), palvorn::History::kMaxSteps);
    road::click(wizard_.get(), "UndoBut");
    road::takeFromClipboard(wizard_.get(), block(9, 9));
    QVERIFY(!control<QPushButton>(wizard_.get(), "RedoBut")->isEnabled());
    road::click(wizard_.get(), "UndoBut");
    QCOMPARE(wizard_->enemy().sprites[0], spriteOf(block(8, 1 + 119 % 20)));
}

void TestWizardHistory::stepLabelAndHeldButtons()
{
    auto* stepLabel = control<QLabel>(wizard_.get(), "StepLbl");
    const QStringList poses{"normal", "high attack", "low attack", "special attack", "hurt"};
    for (int step = 1; step <= 5; ++step) {
        QCOMPARE(stepLabel->text(), QStringLiteral("Step %1 of 5: %2").arg(step).arg(poses[step - 1]));
        if (step < 5)
            road::click(wizard_.get(), "NextBut");
    }
    road::walk(wizard_.get(), -2);

    // Over the limit: the note says so in the warning colour, with the size
    // and the limit, and the held buttons say why they are held.
    road::takeFromClipboard(wizard_.get(), block(64, 40));  // 8 bytes x 40 rows
    auto* note = control<QLabel>(wizard_.get(), "SpriteNote");
    QCOMPARE(note->text(), QStringLiteral("Too large: this sprite packs into 320 bytes, over the limit of 200. "
                                          "Take a smaller picture to go on."));
    QVERIFY(widgets::showsWarning(note));
    for (const char* name : {"BackBut", "NextBut"}) {
        auto* button = control<QPushButton>(wizard_.get(), name);
        QVERIFY(!button->isEnabled());
        QCOMPARE(button->toolTip(), QStringLiteral("Held: the low attack sprite packs into 320 bytes; the limit is "
                                                   "200. Take a smaller picture to go on."));
    }
    // Undoing the picture frees the step at once.
    road::click(wizard_.get(), "UndoBut");
    QVERIFY(control<QPushButton>(wizard_.get(), "NextBut")->isEnabled());
    QVERIFY(!widgets::showsWarning(note));
    QCOMPARE(note->font(), wizard_->font());
    QCOMPARE(control<QPushButton>(wizard_.get(), "NextBut")->toolTip(), QStringLiteral("Next step (Page Down, Alt+N)"));
}

// Over the limit at any step, New, then Next without a picture: nothing
// stays held, and Finish says which sprite is missing and goes there.
void TestWizardHistory::overLimitThenNewIsNoDeadEnd()
{
    road::click(wizard_.get(), "NextBut");
    road::click(wizard_.get(), "NextBut");
    road::takeFromClipboard(wizard_.get(), block(41, 40));
    road::click(wizard_.get(), "NewBut");
    for (int step = 2; step <= 5; ++step) {
        road::click(wizard_.get(), "NextBut");
        QCOMPARE(wizard_->curStep(), step);
        QVERIFY(control<QPushButton>(wizard_.get(), "BackBut")->isEnabled());
    }
    road::takeFromClipboard(wizard_.get(), block(8, 8));
    road::click(wizard_.get(), "FinishBut");
    QCOMPARE(recorder_->warnings.size(), 1);
    QCOMPARE(recorder_->warnings[0].title, QStringLiteral("Sprites"));
    QCOMPARE(recorder_->warnings[0].text, QStringLiteral("The normal, high attack, low attack and special attack sprites are missing."));
    QCOMPARE(wizard_->curStep(), 1);
    QVERIFY(!harness::openWindow<SettingsWindow>());
}

void TestWizardHistory::stepKeys()
{
    const auto captions = [this] {
        return QStringList{control<QPushButton>(wizard_.get(), "NextBut")->text(),
                           control<QPushButton>(wizard_.get(), "BackBut")->text()};
    };
    const QStringList before = captions();
    press(QKeySequence(Qt::Key_PageDown));
    QCOMPARE(wizard_->curStep(), 2);
    press(QKeySequence(Qt::ALT | Qt::Key_N));
    QCOMPARE(wizard_->curStep(), 3);
    press(QKeySequence(Qt::Key_PageUp));
    QCOMPARE(wizard_->curStep(), 2);
    press(QKeySequence(Qt::ALT | Qt::Key_B));
    QCOMPARE(wizard_->curStep(), 1);
    press(QKeySequence(Qt::Key_PageUp));
    QCOMPARE(wizard_->curStep(), 1);
    // The keys are held with the buttons.
    road::takeFromClipboard(wizard_.get(), block(41, 40));
    press(QKeySequence(Qt::Key_PageDown));
    press(QKeySequence(Qt::ALT | Qt::Key_N));
    QCOMPARE(wizard_->curStep(), 1);
    QCOMPARE(captions(), before);
}

void TestWizardHistory::cancelAfterOpenKeepsTheFile_data()
{
    QTest::addColumn<bool>("titleBar");
    QTest::newRow("Cancel") << false;
    QTest::newRow("title bar") << true;
}

// Open an enemy, close the settings window without Create, press Finish:
// the file's values come back, not the defaults.
void TestWizardHistory::cancelAfterOpenKeepsTheFile()
{
    QFETCH(bool, titleBar);
    dialogAnswer_ = slimeGoldenPath();
    road::click(wizard_.get(), "OpenBut");
    SettingsWindow* settings = wizard_->settingsWindow();
    QVERIFY(settings);
    const palvorn::Enemy opened = wizard_->enemy();
    replaceText(control<QLineEdit>(settings, "txtMinHP"), QStringLiteral("99"));
    if (titleBar)
        settings->close();
    else
        road::click(settings, "CancelBut");
    road::returnToEventLoop();
    QCOMPARE(wizard_->enemy(), opened);

    road::walk(wizard_.get(), 4);
    settings = road::finish(wizard_.get());
    QVERIFY(settings);
    QCOMPARE(settings->enemy(), opened);
    QCOMPARE(control<QLineEdit>(settings, "CharName")->text(), QStringLiteral("Slime"));
    QCOMPARE(control<QLineEdit>(settings, "txtMinHP")->text(), QStringLiteral("20"));
    QCOMPARE(control<QLineEdit>(settings, "txtMaxHP")->text(), QStringLiteral("65"));
    QCOMPARE(control<QComboBox>(settings, "cmbItem")->currentText(), QStringLiteral("Heal Leaf"));
}

void TestWizardHistory::createAsksBeforeReplacingAnother_data()
{
    QTest::addColumn<QString>("before");   // what happened before the Create looked at
    QTest::addColumn<bool>("asks");
    QTest::addColumn<bool>("replace");     // the answer

    QTest::newRow("no file there") << "" << false << false;
    QTest::newRow("another enemy there, Cancel") << "other" << true << false;
    QTest::newRow("another enemy there, Replace") << "other" << true << true;
    QTest::newRow("the same bytes there") << "same" << false << false;
    QTest::newRow("its own file, changed and created again") << "own" << false << false;
    QTest::newRow("opened from there, changed") << "opened" << false << false;
    QTest::newRow("its own file forgotten by New") << "own, New" << true << false;
    QTest::newRow("New undone: its own file again") << "own, New, undo" << false << false;
}

void TestWizardHistory::createAsksBeforeReplacingAnother()
{
    QFETCH(QString, before);
    QFETCH(bool, asks);
    QFETCH(bool, replace);
    recorder_->answer = replace;
    const QString target = folderPath("Slime.asm");
    const QByteArray golden = readAll(slimeGoldenPath());
    const QByteArray other = QByteArray(golden).replace(" .db 20,", " .db 21,");

    SettingsWindow* settings = nullptr;
    if (before == "opened") {
        QVERIFY(writeFile(target, golden));
        dialogAnswer_ = target;
        road::click(wizard_.get(), "OpenBut");
        settings = wizard_->settingsWindow();
    } else {
        road::takeInAll(wizard_.get());
        settings = road::finish(wizard_.get());
        QVERIFY(settings);
        road::enterSlime(settings);
    }
    QVERIFY(settings);
    if (before == "other")
        QVERIFY(writeFile(target, other));
    if (before == "same")
        QVERIFY(writeFile(target, golden));
    if (before.startsWith("own")) {
        road::clickCreate(settings);
        QCOMPARE(readAll(target), golden);
    }
    if (before.startsWith("own, New")) {
        road::click(settings->spritesWindow(), "OkBut");  // done: a new enemy
        road::returnToEventLoop();
        if (before.endsWith("undo")) {
            road::click(wizard_.get(), "UndoBut");
        } else {
            road::takeInAll(wizard_.get());
            settings = road::finish(wizard_.get());
            road::enterSlime(settings);
        }
        road::walk(wizard_.get(), 5 - wizard_->curStep());
        settings = road::finish(wizard_.get());
        QVERIFY(settings);
    }
    if (before == "own" || before == "opened" || before.endsWith("undo") || before == "own, New")
        replaceText(control<QLineEdit>(settings, "txtMinHP"), QStringLiteral("21"));
    const QByteArray there = readAll(target);
    const int starts = launcher_->starts.size();

    road::clickCreate(settings);
    QVERIFY(recorder_->warnings.isEmpty());
    QCOMPARE(recorder_->questions.size(), asks ? 1 : 0);
    if (asks) {
        const platform::Question& q = recorder_->questions[0];
        QCOMPARE(q.text, QStringLiteral("Slime.asm holds another enemy. Replace it?\n\nFolder: ") +
                             QDir::toNativeSeparators(folder_->path()));
        QCOMPARE(q.accept, QStringLiteral("Replace"));
        QCOMPARE(q.reject, QStringLiteral("Cancel"));
    }
    if (asks && !replace) {
        // Cancel writes nothing and starts nothing.
        QCOMPARE(readAll(target), there);
        QCOMPARE(launcher_->starts.size(), starts);
        return;
    }
    QCOMPARE(launcher_->starts.size(), starts + 1);
    QCOMPARE(road::valueFields(target).value(0), settings->enemy().settings.minHP == "21" ? QByteArray("21")
                                                                                           : QByteArray("20"));
    QCOMPARE(wizard_->document().file, std::filesystem::path(target.toStdString()));
    QVERIFY(!wizard_->document().unsaved());
}

void TestWizardHistory::closingAsksOnlyWhenWorkIsLost_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("asks");
    QTest::newRow("nothing taken") << "" << false;
    QTest::newRow("a picture taken") << "picture" << true;
    QTest::newRow("a picture taken, then New") << "picture, New" << true;
    QTest::newRow("opened") << "opened" << false;
    QTest::newRow("opened, then a picture") << "opened, picture" << true;
    QTest::newRow("created") << "created" << false;
    QTest::newRow("created, then Ok") << "created, Ok" << false;
}

void TestWizardHistory::closingAsksOnlyWhenWorkIsLost()
{
    QFETCH(QString, state);
    QFETCH(bool, asks);
    recorder_->answer = false;
    if (state.startsWith("picture"))
        road::takeFromClipboard(wizard_.get(), block(8, 8));
    if (state.startsWith("opened")) {
        dialogAnswer_ = slimeGoldenPath();
        road::click(wizard_.get(), "OpenBut");
    }
    if (state.endsWith(", picture"))
        road::takeFromClipboard(wizard_.get(), block(8, 8));
    if (state.endsWith("New"))
        road::click(wizard_.get(), "NewBut");
    if (state.startsWith("created")) {
        road::takeInAll(wizard_.get());
        SettingsWindow* settings = road::finish(wizard_.get());
        road::enterSlime(settings);
        road::clickCreate(settings);
        if (state.endsWith("Ok"))
            road::click(settings->spritesWindow(), "OkBut");
    }
    QCOMPARE(wizard_->close(), !asks);
    QCOMPARE(recorder_->questions.size(), asks ? 1 : 0);
}

// The picture folder and filter, the Open folder and the window's size and
// place come back in the next run.
void TestWizardHistory::rememberedBetweenRuns()
{
    QTemporaryDir pictures;
    QTemporaryDir enemies;
    dialogAnswer_ = QDir(pictures.path()).filePath("normal.png");
    QVERIFY(block(8, 8).save(dialogAnswer_));
    dialogFilterAnswer_ = QStringLiteral("Bitmaps (.bmp) (*.bmp)");
    road::click(wizard_.get(), "Browse");
    QCOMPARE(requests_.size(), 1);
    QCOMPARE(requests_[0].selectedFilter, QStringLiteral("Pictures (*.bmp *.png *.gif *.jpg *.jpeg *.webp)"));
    dialogAnswer_ = QDir(enemies.path()).filePath("Slime.asm");
    QVERIFY(writeFile(dialogAnswer_, readAll(slimeGoldenPath())));
    dialogFilterAnswer_.clear();
    road::click(wizard_.get(), "OpenBut");
    wizard_->settingsWindow()->close();
    wizard_->resize(700, 420);
    wizard_->move(40, 30);
    QCoreApplication::processEvents();
    const QSize size = wizard_->size();
    QVERIFY(wizard_->close());
    wizard_.reset();

    requests_.clear();
    dialogAnswer_.clear();
    wizard_ = harness::showWizard();
    QCOMPARE(wizard_->size(), size);
    road::click(wizard_.get(), "Browse");
    road::click(wizard_.get(), "OpenBut");
    QCOMPARE(requests_.size(), 2);
    QCOMPARE(requests_[0].folder, pictures.path());
    QCOMPARE(requests_[0].selectedFilter, QStringLiteral("Bitmaps (.bmp) (*.bmp)"));
    QVERIFY(requests_[0].filter.contains(QStringLiteral("Bitmaps (.bmp) (*.bmp)")));
    QCOMPARE(requests_[1].folder, enemies.path());
}

QTEST_MAIN(TestWizardHistory)
#include "tst_wizardhistory.moc"
