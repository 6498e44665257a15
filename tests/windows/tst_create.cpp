// "Create" through the real windows: the checks, the file, the build script,
// and everything that can go wrong on the way.
#include <QtTest>

#include <QClipboard>
#include <QComboBox>
#include <QDirIterator>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <unistd.h>

#include "CreateRoad.h"
#include "ScriptRunner.h"
#include "Render.h"
#include "SettingsFixture.h"
#include "SpriteOf.h"
#include "WizardHarness.h"

using road::readAll;
using road::valueFields;
using road::writeFile;

namespace {

// What copy i of the Sprites window shows.
QImage copyShown(const SpritesWindow* sprites, int i)
{
    const auto* copy = control<QLabel>(sprites, qPrintable(QStringLiteral("CopySprite%1").arg(i)));
    return copy->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

// The picture as packed, scaled as that copy scales it.
QImage asPacked(const std::array<palvorn::Sprite, 5>& poses, const SpritesWindow* sprites, int i)
{
    const auto* copy = control<QLabel>(sprites, qPrintable(QStringLiteral("CopySprite%1").arg(i)));
    // All five at the one scale that fits the widest and the tallest.
    QSize largest;
    for (const palvorn::Sprite& pose : poses)
        largest = largest.expandedTo(QSize(pose.width(), pose.height()));
    return render::renderSprite(poses[std::size_t(i - 1)], {}, render::scaleFor(largest, copy->size()));
}

// Every file and folder below root, relative to it.
QStringList tree(const QString& root)
{
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(root).relativeFilePath(it.next()));
    found.sort();
    return found;
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

const QString kScript = QString::fromLatin1(palvorn::kBuildScript);

// The value line of the golden Slime file with some fields replaced.
QList<QByteArray> slimeFieldsWith(const QMap<int, QByteArray>& changed)
{
    QList<QByteArray> fields = valueFields(slimeGoldenPath());
    for (auto it = changed.begin(); it != changed.end(); ++it)
        fields[it.key()] = it.value();
    return fields;
}

// Value line positions.
constexpr int kMinHP = 0;
constexpr int kIncrement = 1;
constexpr int kItem = 9;
constexpr int kMoney = 10;
constexpr int kRobotY = 11;  // then RobotX and RobotTo

}  // namespace

class TestCreate : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void validation_data();
    void validation();
    void wholeRoad();
    void roundTrips_data();
    void roundTrips();
    void hpAndMoney_data();
    void hpAndMoney();
    void intakeWhileSettingsOpen_data();
    void intakeWhileSettingsOpen();
    void spriteLimits_data();
    void spriteLimits();
    void typedItemWritesWhatItNames_data();
    void typedItemWritesWhatItNames();
    void realBuild();
    void perUserFolder_data();
    void perUserFolder();
    void nameIsOneArgument_data();
    void nameIsOneArgument();
    void scriptNotStartable_data();
    void scriptNotStartable();
    void writeFailureLosesNothing_data();
    void writeFailureLosesNothing();
    void namesCannotEscape_data();
    void namesCannotEscape();
    void batchArgument_data();
    void batchArgument();

private:
    // A build script that appends its arguments and working folder to starts.log.
    void writeRecordingScript();
    // One entry per start: the arguments, then the working folder.
    QList<QStringList> recordedStarts() const;
    // The launcher seam: remembers each start instead of running anything.
    road::FakeLauncher& recordStarts();
    // The Slime pictures taken in, "Finish"; the settings window.
    SettingsWindow* openSettings(const std::array<QImage, 5>& pictures = slimePictures());
    // Then the Slime settings typed in.
    SettingsWindow* enterSlime();
    QString folderPath(const QString& name) const { return QDir(folder_).filePath(name); }
    // The program's own script and wrapper copied into folder.
    void copyTools(const QString& folder);
    // An installed program: an executable's folder without the build script,
    // the script and wrapper in the package's library folder beside it. The
    // program folder is set to the executable's folder.
    void installLayout();
    // The per-user folder, with the sandbox's home as the user's home.
    QString userFolder() const { return QDir(home_).filePath(QStringLiteral("Palvorn Enemies")); }

    QTemporaryDir sandbox_;
    QTemporaryDir homeBox_;  // holds the user's home, apart from the program's sandbox
    QString folder_;
    QString home_;
    std::optional<WarningRecorder> recorder_;
    std::optional<road::FakeLauncher> launcher_;
    std::unique_ptr<WizardWindow> wizard_;
    QString mounted_;
};

void TestCreate::init()
{
    QVERIFY(sandbox_.isValid());
    folder_ = sandbox_.filePath(QStringLiteral("prog"));
    QVERIFY(QDir().mkpath(folder_));
    platform::setProgramFolder(folder_);
    // The user's home and settings are the sandbox's, so that a per-user
    // folder never lands in the real home.
    QVERIFY(homeBox_.isValid());
    home_ = homeBox_.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home_));
    qputenv("HOME", QFile::encodeName(home_));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(sandbox_.filePath(QStringLiteral("config"))));
    recorder_.emplace();
    wizard_ = harness::showWizard();
    QVERIFY(wizard_);
}

void TestCreate::cleanup()
{
    wizard_.reset();
    QVERIFY(harness::otherWindowsGone());
    recorder_.reset();
    launcher_.reset();
    platform::setProgramFolder({});
    if (!mounted_.isEmpty()) {
        QProcess::execute(QStringLiteral("umount"), {mounted_});
        mounted_.clear();
    }
    for (const QString& folder : {folder_, userFolder()})
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const QString& box : {sandbox_.path(), homeBox_.path()})
        for (const QFileInfo& entry : QDir(box).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
            QVERIFY(entry.isDir() ? QDir(entry.filePath()).removeRecursively() : QFile::remove(entry.filePath()));
}

void TestCreate::writeRecordingScript()
{
    const QString log = folderPath(QStringLiteral("starts.log"));
    const QByteArray script = "log='" + log.toUtf8() +
                              "'\n"
                              "{ printf 'start\\n'; for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done; "
                              "printf 'pwd=%s\\n' \"$(pwd)\"; printf 'end\\n'; } >> \"$log\"\n";
    QVERIFY(writeFile(folderPath(kScript), script));
}

void TestCreate::copyTools(const QString& folder)
{
    QVERIFY(QDir().mkpath(folder));
    for (const char* tool : {"asm.sh", "palvorn-8xp"})
        QVERIFY2(QFile::copy(QDir(QStringLiteral(PALVORN_PROGRAM_DIR)).filePath(QLatin1String(tool)),
                             QDir(folder).filePath(QLatin1String(tool))),
                 tool);
}

void TestCreate::installLayout()
{
    const QString program = sandbox_.filePath(QStringLiteral("usr/bin"));
    QVERIFY(QDir().mkpath(program));
    copyTools(sandbox_.filePath(QStringLiteral("usr/lib/palvorn-enemy-creator")));
    platform::setProgramFolder(program);
}

QList<QStringList> TestCreate::recordedStarts() const
{
    QList<QStringList> starts;
    for (const QByteArray& line : readAll(folderPath(QStringLiteral("starts.log"))).split('\n')) {
        if (line == "start")
            starts.append(QStringList());
        else if (!starts.isEmpty() && line != "end" && !line.isEmpty())
            starts.last().append(QString::fromUtf8(line));
    }
    return starts;
}

road::FakeLauncher& TestCreate::recordStarts()
{
    return launcher_.emplace();
}

SettingsWindow* TestCreate::openSettings(const std::array<QImage, 5>& pictures)
{
    road::takeInAll(wizard_.get(), pictures);
    SettingsWindow* settings = road::finish(wizard_.get());
    if (!settings)
        qFatal("Finish opened no settings window");
    return settings;
}

SettingsWindow* TestCreate::enterSlime()
{
    SettingsWindow* settings = openSettings();
    road::enterSlime(settings);
    return settings;
}

void TestCreate::validation_data()
{
    QTest::addColumn<int>("itemDowns");  // 0: the item text is left alone
    QTest::addColumn<QString>("typedItem");
    QTest::addColumn<QString>("maxHP");
    QTest::addColumn<QString>("minHP");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");  // empty: Create proceeds
    QTest::addColumn<QString>("text");   // the whole text, or "..." and a part of it

    const QString item = QStringLiteral("Select Item");
    const QString itemText = QStringLiteral("You must select an item!");
    const QString hp = QStringLiteral("Figuring HP");
    const QString hpText = QStringLiteral("Max HP must be higher than Min HP!");
    const QString name = QStringLiteral("Robot Name");
    QTest::newRow("Select Item with good HP") << 0 << "" << "100" << "50" << "Robot" << item << itemText;
    QTest::newRow("Select Item with bad HP") << 0 << "" << "50" << "50" << "Robot" << item << itemText;
    QTest::newRow("Select Item with bad HP and no name") << 0 << "" << "50" << "50" << "" << item << itemText;
    QTest::newRow("typed item text") << 0 << "select item" << "100" << "50" << "Robot" << "" << "";
    QTest::newRow("100 over 50") << 1 << "" << "100" << "50" << "Robot" << "" << "";
    QTest::newRow("50 equal 50") << 1 << "" << "50" << "50" << "Robot" << hp << hpText;
    QTest::newRow("bad HP and no name") << 1 << "" << "40" << "50" << "" << hp << hpText;
    QTest::newRow("empty max") << 1 << "" << "" << "0" << "Robot" << hp << hpText;
    QTest::newRow("5 over empty min") << 1 << "" << "5" << "" << "Robot" << "" << "";
    QTest::newRow("min HP 255") << 1 << "" << "999" << "255" << "Robot" << "" << "";
    QTest::newRow("min HP 256") << 1 << "" << "999" << "256" << "Robot" << hp << "...at most 255";
    QTest::newRow("min HP 300") << 1 << "" << "400" << "300" << "Robot" << hp << "...at most 255";
    QTest::newRow("min HP 300 and no name") << 1 << "" << "400" << "300" << "" << hp << "...at most 255";
    QTest::newRow("empty name") << 1 << "" << "100" << "50" << "" << name << "You must enter a name!";
    QTest::newRow("name starting with a digit") << 1 << "" << "100" << "50" << "9Lives" << name
                                                << "...\"9Lives\" gives no calculator program name";
    QTest::newRow("name without letter or digit") << 1 << "" << "100" << "50" << "___" << name
                                                  << "...\"___\" gives no calculator program name";
    QTest::newRow("digit after a letter") << 1 << "" << "100" << "50" << "Lives9" << "" << "";
}

void TestCreate::validation()
{
    QFETCH(int, itemDowns);
    QFETCH(QString, typedItem);
    QFETCH(QString, maxHP);
    QFETCH(QString, minHP);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, text);
    road::FakeLauncher& launcher = recordStarts();
    SettingsWindow* settings = openSettings();
    road::chooseItem(settings, itemDowns);
    if (!typedItem.isEmpty())
        replaceText(control<QComboBox>(settings, "cmbItem")->lineEdit(), typedItem);
    replaceText(control<QLineEdit>(settings, "txtMaxHP"), maxHP);
    replaceText(control<QLineEdit>(settings, "txtMinHP"), minHP);
    replaceText(control<QLineEdit>(settings, "CharName"), name);
    road::clickCreate(settings);

    if (title.isEmpty()) {
        QCOMPARE(recorder_->warnings.size(), 0);
        QCOMPARE(tree(folder_), QStringList{name + ".asm"});
        QCOMPARE(launcher.starts.size(), 1);
        QVERIFY(settings->spritesWindow() && settings->spritesWindow()->isVisible());
    } else {
        QCOMPARE(recorder_->warnings.size(), 1);
        const Warning& warning = recorder_->warnings[0];
        QCOMPARE(warning.title, title);
        if (text.startsWith("..."))
            QVERIFY2(warning.text.contains(text.mid(3)), qPrintable(warning.text));
        else
            QCOMPARE(warning.text, text);
        QCOMPARE(warning.buttons, platform::Buttons::OkCancel);
        QCOMPARE(tree(folder_), QStringList());
        QCOMPARE(launcher.starts.size(), 0);
        QVERIFY(!settings->spritesWindow());
        QVERIFY(!harness::openWindow<SpritesWindow>());
        QCOMPARE(harness::openWindow<SettingsWindow>(), settings);
    }
}

void TestCreate::wholeRoad()
{
    writeRecordingScript();
    const auto pictures = slimePictures();
    for (int step = 1; step <= 5; ++step) {
        road::takeFromClipboard(wizard_.get(), pictures[step - 1]);
        QCOMPARE(wizard_->spriteSize(step), step == 1 ? 3 : 2);
        road::click(wizard_.get(), step < 5 ? "NextBut" : "FinishBut");
    }
    SettingsWindow* settings = wizard_->settingsWindow();
    QVERIFY(settings && settings->isVisible());
    road::enterSlime(settings);
    road::clickCreate(settings);

    QCOMPARE(recorder_->warnings.size(), 0);
    SpritesWindow* sprites = settings->spritesWindow();
    QVERIFY(sprites && sprites->isVisible());
    QVERIFY(control<QPushButton>(sprites, "OkBut")->isEnabled());
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(copyShown(sprites, i), asPacked(wizard_->enemy().sprites, sprites, i));
    QCOMPARE(readAll(folderPath(QStringLiteral("Slime.asm"))), readAll(slimeGoldenPath()));
    const QStringList expected = {QStringLiteral("arg=Slime"), QStringLiteral("pwd=") + QDir(folder_).canonicalPath()};
    QTRY_COMPARE(recordedStarts(), QList<QStringList>{expected});
    // The recording script makes no program: the status it left says so.
    const QString noProgram = QStringLiteral("Build failed:\nthe build script ended without making a new Slime.8XP");
    QTRY_COMPARE(sprites->buildStatus(), noProgram);

    // Again: the file is written anew and the script runs once more.
    QVERIFY(QFile::remove(folderPath(QStringLiteral("Slime.asm"))));
    road::clickCreate(settings);
    QCOMPARE(settings->spritesWindow(), sprites);
    QCOMPARE(sprites->buildStatus(), QStringLiteral("Building Slime.8XP\u2026"));
    QCOMPARE(readAll(folderPath(QStringLiteral("Slime.asm"))), readAll(slimeGoldenPath()));
    QTRY_COMPARE(recordedStarts(), (QList<QStringList>{expected, expected}));
    QTRY_COMPARE(sprites->buildStatus(), noProgram);
    QStringList expectedTree = {"Slime.asm", kScript, "starts.log"};
    expectedTree.sort();
    QCOMPARE(tree(folder_), expectedTree);
}

void TestCreate::roundTrips_data()
{
    QTest::addColumn<QString>("between");
    // Once the second Create wrote empty placement values, increment and
    // money, an unbuildable file.
    QTest::newRow("Cancel, Finish again, fields filled") << "Cancel";
    QTest::newRow("settings closed by title bar, Finish again, fields filled") << "close settings";
    QTest::newRow("Sprites window closed by title bar") << "close sprites";
    QTest::newRow("Sprites window closed by title bar, then Cancel") << "close sprites, Cancel";
    QTest::newRow("nothing") << "";
}

void TestCreate::roundTrips()
{
    QFETCH(QString, between);
    road::FakeLauncher& launcher = recordStarts();
    SettingsWindow* settings = enterSlime();
    road::clickCreate(settings);
    QCOMPARE(readAll(folderPath(QStringLiteral("Slime.asm"))), readAll(slimeGoldenPath()));
    QVERIFY(QFile::remove(folderPath(QStringLiteral("Slime.asm"))));

    if (between.startsWith("close sprites")) {
        settings->spritesWindow()->close();
        road::returnToEventLoop();
    }
    if (between.endsWith("Cancel"))
        road::click(settings, "CancelBut");
    if (between == "close settings")
        settings->close();
    if (between.endsWith("Cancel") || between == "close settings") {
        road::returnToEventLoop();
        QVERIFY(!wizard_->settingsWindow());
        settings = road::finish(wizard_.get());
        QVERIFY(settings);
        // What the first Create wrote comes back, not the fields' defaults.
        QCOMPARE(settings->enemy(), wizard_->enemy());
        QCOMPARE(control<QLineEdit>(settings, "CharName")->text(), QStringLiteral("Slime"));
    }
    road::clickCreate(settings);

    QCOMPARE(recorder_->warnings.size(), 0);
    QCOMPARE(launcher.starts.size(), 2);
    QCOMPARE(valueFields(folderPath(QStringLiteral("Slime.asm"))), valueFields(slimeGoldenPath()));
    QCOMPARE(readAll(folderPath(QStringLiteral("Slime.asm"))), readAll(slimeGoldenPath()));
    QVERIFY(settings->spritesWindow() && settings->spritesWindow()->isVisible());
}

void TestCreate::hpAndMoney_data()
{
    QTest::addColumn<QString>("minHP");
    QTest::addColumn<QString>("maxHP");
    QTest::addColumn<QString>("money");
    QTest::addColumn<QString>("minAfterMax");  // Min HP typed again after Max HP; "-": not
    QTest::addColumn<QList<QByteArray>>("written");  // Min HP, increment, money

    using F = QList<QByteArray>;
    QTest::newRow("Slime") << "20" << "65" << "15" << "-" << F{"20", "5", "15"};
    // An empty field was once written as an empty value.
    QTest::newRow("money empty") << "20" << "65" << "" << "-" << F{"20", "5", "0"};
    QTest::newRow("min HP empty") << "" << "65" << "15" << "-" << F{"0", "0", "15"};
    QTest::newRow("min HP and money empty") << "" << "9" << "" << "-" << F{"0", "0", "0"};
    QTest::newRow("min HP 0") << "0" << "9" << "1" << "-" << F{"0", "0", "1"};
    QTest::newRow("min HP 255, the most a byte holds") << "255" << "999" << "99" << "-" << F{"255", "83", "99"};
    QTest::newRow("increment rounded down") << "10" << "14" << "0" << "-" << F{"10", "0", "0"};
    QTest::newRow("increment rounded up") << "10" << "15" << "0" << "-" << F{"10", "1", "0"};
    // The increment was once taken when Max HP was typed, and kept.
    QTest::newRow("min HP changed after max HP") << "10" << "100" << "15" << "90" << F{"90", "1", "15"};
    QTest::newRow("min HP emptied after max HP") << "10" << "100" << "15" << "" << F{"0", "0", "15"};
}

void TestCreate::hpAndMoney()
{
    QFETCH(QString, minHP);
    QFETCH(QString, maxHP);
    QFETCH(QString, money);
    QFETCH(QString, minAfterMax);
    QFETCH(QList<QByteArray>, written);
    recordStarts();
    SettingsWindow* settings = enterSlime();
    replaceText(control<QLineEdit>(settings, "txtRobotMoney"), money);
    replaceText(control<QLineEdit>(settings, "txtMinHP"), minHP);
    replaceText(control<QLineEdit>(settings, "txtMaxHP"), maxHP);
    if (minAfterMax != "-")
        replaceText(control<QLineEdit>(settings, "txtMinHP"), minAfterMax);
    road::clickCreate(settings);
    QCOMPARE(recorder_->warnings.size(), 0);
    QCOMPARE(valueFields(folderPath(QStringLiteral("Slime.asm"))),
             slimeFieldsWith({{kMinHP, written[0]}, {kIncrement, written[1]}, {kMoney, written[2]}}));
}

void TestCreate::intakeWhileSettingsOpen_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QImage>("picture");

    // Once shown at once but written only after a new "Finish".
    QTest::newRow("hurt at step 5") << 5 << pictureFromRows({"XXXXXXXXXX", "X........X", "XXXXXXXXXX"});
    QTest::newRow("normal at step 1, placement follows") << 1 << harness::testSprite(16, 4);
    QTest::newRow("low attack at step 3") << 3 << pictureFromRows({"X"});
}

void TestCreate::intakeWhileSettingsOpen()
{
    QFETCH(int, step);
    QFETCH(QImage, picture);
    recordStarts();
    auto pictures = slimePictures();
    pictures[step - 1] = picture;

    // What the file must be: the same enemy with the picture taken in before "Finish".
    QByteArray expected;
    {
        QTemporaryDir other;
        QVERIFY(other.isValid());
        platform::setProgramFolder(other.path());
        const auto wizard = harness::showWizard();
        road::takeInAll(wizard.get(), pictures);
        SettingsWindow* settings = road::finish(wizard.get());
        QVERIFY(settings);
        road::enterSlime(settings);
        road::clickCreate(settings);
        expected = readAll(QDir(other.path()).filePath(QStringLiteral("Slime.asm")));
        platform::setProgramFolder(folder_);
    }
    QVERIFY(expected.startsWith(';'));
    QVERIFY(expected != readAll(slimeGoldenPath()));

    SettingsWindow* settings = enterSlime();
    road::walk(wizard_.get(), step - 5);
    QCOMPARE(wizard_->curStep(), step);
    road::takeFromClipboard(wizard_.get(), picture);
    road::clickCreate(settings);

    QCOMPARE(recorder_->warnings.size(), 0);
    QCOMPARE(readAll(folderPath(QStringLiteral("Slime.asm"))), expected);
    QCOMPARE(copyShown(settings->spritesWindow(), step), asPacked(wizard_->enemy().sprites, settings->spritesWindow(), step));
}

void TestCreate::spriteLimits_data()
{
    QTest::addColumn<QString>("at");  // "Finish", or "Create" with the settings window open
    QTest::addColumn<int>("step");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("refusal");  // empty: accepted
    QTest::addColumn<QList<QByteArray>>("placement");  // when accepted with a new normal sprite

    using P = QList<QByteArray>;
    const auto placementRefusal = [](int width, int height) {
        return QStringLiteral("The normal sprite is %1 x %2 pixels; its place on the screen fits the file only up "
                              "to 208 pixels wide and 192 high.")
            .arg(width)
            .arg(height);
    };
    const QString poses[] = {"normal", "high attack", "low attack", "special attack", "hurt"};

    // "Finish" once stored the hurt sprite before measuring it.
    QTest::newRow("Finish, hurt 41 x 40") << "Finish" << 5 << QSize(41, 40)
                                          << "The hurt sprite packs into 240 bytes; the limit is 200." << P{};
    QTest::newRow("Finish, hurt 40 x 40") << "Finish" << 5 << QSize(40, 40) << "" << P{};
    // Placement values that fit no byte.
    QTest::newRow("Finish, normal 209 x 1") << "Finish" << 1 << QSize(209, 1) << placementRefusal(209, 1) << P{};
    QTest::newRow("Finish, normal 1 x 193") << "Finish" << 1 << QSize(1, 193) << placementRefusal(1, 193) << P{};
    QTest::newRow("Finish, normal 208 x 1") << "Finish" << 1 << QSize(208, 1) << "" << P{"63", "-112", "-128"};
    QTest::newRow("Finish, normal 1 x 192") << "Finish" << 1 << QSize(1, 192) << "" << P{"-128", "95", "79"};
    for (int step = 1; step <= 5; ++step)
        QTest::addRow("Create, %s 41 x 40", qPrintable(poses[step - 1]))
            << "Create" << step << QSize(41, 40)
            << QStringLiteral("The %1 sprite packs into 240 bytes; the limit is 200.").arg(poses[step - 1]) << P{};
    QTest::newRow("Create, hurt 40 x 40") << "Create" << 5 << QSize(40, 40) << "" << P{};
    QTest::newRow("Create, normal 209 x 1") << "Create" << 1 << QSize(209, 1) << placementRefusal(209, 1) << P{};
    QTest::newRow("Create, normal 1 x 193") << "Create" << 1 << QSize(1, 193) << placementRefusal(1, 193) << P{};
    QTest::newRow("Create, normal 208 x 1") << "Create" << 1 << QSize(208, 1) << "" << P{"63", "-112", "-128"};
}

void TestCreate::spriteLimits()
{
    QFETCH(QString, at);
    QFETCH(int, step);
    QFETCH(QSize, size);
    QFETCH(QString, refusal);
    QFETCH(QList<QByteArray>, placement);
    road::FakeLauncher& launcher = recordStarts();
    const QImage picture = harness::testSprite(size.width(), size.height());

    SettingsWindow* settings = nullptr;
    if (at == "Finish") {
        auto pictures = slimePictures();
        pictures[step - 1] = picture;
        road::takeInAll(wizard_.get(), pictures);
        settings = road::finish(wizard_.get());
        if (!refusal.isEmpty() && size.width() == 41) {
            // Over the limit, the step holds Finish and says why.
            auto* finish = control<QPushButton>(wizard_.get(), "FinishBut");
            QVERIFY(!finish->isEnabled());
            QVERIFY2(finish->toolTip().contains(QStringLiteral("packs into 240 bytes; the limit is 200")),
                     qPrintable(finish->toolTip()));
            QCOMPARE(recorder_->warnings.size(), 0);
            QVERIFY(!settings);
            return;
        }
        if (!refusal.isEmpty()) {
            QCOMPARE(recorder_->warnings.size(), 1);
            QCOMPARE(recorder_->warnings[0].title, QStringLiteral("Sprites"));
            QCOMPARE(recorder_->warnings[0].text, refusal);
            QCOMPARE(recorder_->warnings[0].buttons, platform::Buttons::Ok);
            QVERIFY(!settings);
            QVERIFY(!harness::openWindow<SettingsWindow>());
            return;
        }
        QVERIFY(settings);
        road::enterSlime(settings);
    } else {
        settings = enterSlime();
        road::walk(wizard_.get(), step - 5);
        road::takeFromClipboard(wizard_.get(), picture);
    }
    road::clickCreate(settings);

    if (!refusal.isEmpty()) {
        QCOMPARE(recorder_->warnings.size(), 1);
        QCOMPARE(recorder_->warnings[0].title, QStringLiteral("Sprites"));
        QCOMPARE(recorder_->warnings[0].text, refusal);
        QCOMPARE(recorder_->warnings[0].buttons, platform::Buttons::OkCancel);
        QCOMPARE(tree(folder_), QStringList());
        QCOMPARE(launcher.starts.size(), 0);
        QVERIFY(!settings->spritesWindow());
        return;
    }
    QCOMPARE(recorder_->warnings.size(), 0);
    QCOMPARE(launcher.starts.size(), 1);
    const QList<QByteArray> fields = valueFields(folderPath(QStringLiteral("Slime.asm")));
    QCOMPARE(fields.size(), 24);
    if (!placement.isEmpty())
        QCOMPARE(fields.mid(kRobotY, 3), placement);
    else
        QCOMPARE(fields.mid(kRobotY, 3), valueFields(slimeGoldenPath()).mid(kRobotY, 3));
}

void TestCreate::typedItemWritesWhatItNames_data()
{
    QTest::addColumn<QString>("typed");   // over the chosen "Heal Leaf"; empty: none
    QTest::addColumn<QString>("ending");  // the key after it
    QTest::addColumn<QByteArray>("written");

    // Typed text is the entry it names, however the typing ends; other text no item.
    for (const char* ending : {"none", "Enter", "Tab"}) {
        QTest::addRow("Potion typed, %s", ending) << "Potion" << ending << QByteArray("1");
        QTest::addRow("blk apple typed, %s", ending) << " blk apple" << ending << QByteArray("6");
        QTest::addRow("Bone typed, %s", ending) << "Bone" << ending << QByteArray("0");
    }
    QTest::newRow("Heal Leaf chosen") << "" << "none" << QByteArray("2");
    QTest::newRow("Potion chosen with the up key") << "" << "Up" << QByteArray("1");
    QTest::newRow("BLK Apple chosen with the down key") << "" << "Down" << QByteArray("6");
}

void TestCreate::typedItemWritesWhatItNames()
{
    QFETCH(QString, typed);
    QFETCH(QString, ending);
    QFETCH(QByteArray, written);
    recordStarts();
    SettingsWindow* settings = enterSlime();
    auto* item = control<QComboBox>(settings, "cmbItem");
    item->setFocus();
    if (!typed.isEmpty()) {
        QTest::keyClick(item->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        typeInto(item->lineEdit(), typed);
    }
    if (ending == "Enter")
        QTest::keyClick(item->lineEdit(), Qt::Key_Return);
    else if (ending == "Tab")
        QTest::keyClick(item->lineEdit(), Qt::Key_Tab);
    else if (ending == "Up")
        QTest::keyClick(item, Qt::Key_Up);
    else if (ending == "Down")
        for (int i = 0; i < 4; ++i)  // from "Heal Leaf" to the last entry
            QTest::keyClick(item, Qt::Key_Down);
    road::clickCreate(settings);
    QCOMPARE(recorder_->warnings.size(), 0);
    QCOMPARE(valueFields(folderPath(QStringLiteral("Slime.asm"))).value(kItem), written);
}

void TestCreate::realBuild()
{
    // The program folder's own script and wrapper, started by the real launcher.
    copyTools(folder_);
    SettingsWindow* settings = enterSlime();
    road::clickCreate(settings);
    QCOMPARE(recorder_->warnings.size(), 0);
    SpritesWindow* sprites = settings->spritesWindow();
    QVERIFY(sprites);
    QCOMPARE(sprites->buildStatus(), QStringLiteral("Building Slime.8XP\u2026"));

    QTRY_VERIFY2_WITH_TIMEOUT(sprites->buildStatus().startsWith(QStringLiteral("Built Slime.8XP (")),
                              qPrintable(sprites->buildStatus()), 20000);
    const QFileInfo program(folderPath(QStringLiteral("Slime.8XP")));
    QVERIFY(program.isFile());
    QCOMPARE(sprites->buildStatus(), QStringLiteral("Built Slime.8XP (%1 bytes) in %2")
                                         .arg(program.size())
                                         .arg(QDir::toNativeSeparators(QDir(folder_).absolutePath())));
    QVERIFY(readAll(program.filePath()).startsWith("**TI83F*"));
    QVERIFY(!QFile::exists(folderPath(QStringLiteral("Slime.log"))));
}

void TestCreate::perUserFolder_data()
{
    QTest::addColumn<QString>("program");     // "installed" or "read-only" (script and wrapper beside it)
    QTest::addColumn<bool>("documents");      // the home has a documents folder
    QTest::newRow("installed, home with documents") << "installed" << true;
    QTest::newRow("installed, home without documents") << "installed" << false;
    QTest::newRow("read-only program folder") << "read-only" << false;
}

void TestCreate::perUserFolder()
{
    QFETCH(QString, program);
    QFETCH(bool, documents);
    if (program == "installed") {
        installLayout();
    } else if (::geteuid() != 0) {
        copyTools(folder_);
        QVERIFY(QFile::setPermissions(folder_, QFile::ReadOwner | QFile::ExeOwner));
    } else {
        // Permissions do not stop root; a file system mounted read-only does.
        if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=4m", "tmpfs", folder_}) != 0)
            QSKIP("a small file system cannot be mounted here");
        mounted_ = folder_;
        copyTools(folder_);
        QCOMPARE(QProcess::execute(QStringLiteral("mount"), {"-o", "remount,ro", folder_}), 0);
    }
    if (documents)
        QVERIFY(QDir(home_).mkdir(QStringLiteral("Documents")));
    const QString expected =
        QDir(documents ? QDir(home_).filePath(QStringLiteral("Documents")) : home_).filePath("Palvorn Enemies");
    const QString programFolder = platform::programFolder();
    const QStringList programBefore = tree(programFolder);

    // Named before the first Create, made by it.
    SettingsWindow* settings = enterSlime();
    QCOMPARE(control<QLabel>(settings, "EnemyFolder")->text(), QStringLiteral("Enemies go to: ") + expected);
    QVERIFY(!QFileInfo::exists(expected));
    road::clickCreate(settings);
    QCOMPARE(recorder_->warnings.size(), 0);
    const QDir folder(expected);
    QCOMPARE(readAll(folder.filePath(QStringLiteral("Slime.asm"))), readAll(slimeGoldenPath()));
    SpritesWindow* sprites = settings->spritesWindow();
    QVERIFY(sprites);
    QCOMPARE(control<QLabel>(sprites, "SourcePath")->text(),
             QStringLiteral("Wrote ") + folder.filePath(QStringLiteral("Slime.asm")));
    // The installed script runs in the per-user folder and leaves NAME.8XP there.
    QTRY_VERIFY2_WITH_TIMEOUT(sprites->buildStatus().startsWith(QStringLiteral("Built Slime.8XP (")),
                              qPrintable(sprites->buildStatus()), 20000);
    QCOMPARE(sprites->buildStatus(), QStringLiteral("Built Slime.8XP (%1 bytes) in %2")
                                         .arg(QFileInfo(folder.filePath(QStringLiteral("Slime.8XP"))).size())
                                         .arg(expected));
    QVERIFY(readAll(folder.filePath(QStringLiteral("Slime.8XP"))).startsWith("**TI83F*"));

    // "Open Folder" hands that folder to the file manager; a refusal is said.
    QStringList opened;
    bool opens = true;
    platform::setFolderOpener([&](const QString& path) {
        opened.append(path);
        return opens;
    });
    road::click(sprites, "OpenFolderBut");
    QCOMPARE(opened, QStringList{expected});
    QCOMPARE(recorder_->warnings.size(), 0);
    opens = false;
    road::click(sprites, "OpenFolderBut");
    platform::setFolderOpener({});
    QCOMPARE(recorder_->warnings.size(), 1);
    QCOMPARE(recorder_->warnings[0].title, QStringLiteral("Open Folder"));
    QVERIFY2(recorder_->warnings[0].text.contains(expected), qPrintable(recorder_->warnings[0].text));

    // A failed build leaves its NAME.log there too.
    QVERIFY(QFile::remove(folder.filePath(QStringLiteral("Slime.8XP"))));
    QVERIFY(folder.mkdir(QStringLiteral("Slime.8XP")));
    road::clickCreate(settings);
    QTRY_VERIFY2_WITH_TIMEOUT(sprites->buildStatus().startsWith(QStringLiteral("Build failed:")),
                              qPrintable(sprites->buildStatus()), 20000);
    QVERIFY(readAll(folder.filePath(QStringLiteral("Slime.log"))).contains("a folder of that name is in the way"));

    // Nothing was written beside the program.
    QCOMPARE(tree(programFolder), programBefore);
}

void TestCreate::nameIsOneArgument_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("space") << "Big Bat";
    QTest::newRow("two spaces") << "a  b";
    QTest::newRow("quote, semicolon, star") << "a'b;c*";
    QTest::newRow("command substitution") << "x$(y)";
    QTest::newRow("redirection after semicolon") << ";>pwn";
    QTest::newRow("redirection in substitution") << "$(>p)";
    QTest::newRow("backquotes") << "`>q`";
    QTest::newRow("looks like an option") << "-n";
}

void TestCreate::nameIsOneArgument()
{
    QFETCH(QString, name);
    writeRecordingScript();
    SettingsWindow* settings = enterSlime();
    replaceText(control<QLineEdit>(settings, "CharName"), name);
    QCOMPARE(control<QLineEdit>(settings, "CharName")->text(), name);
    road::clickCreate(settings);
    QCOMPARE(recorder_->warnings.size(), 0);
    const QStringList expected = {"arg=" + name, QStringLiteral("pwd=") + QDir(folder_).canonicalPath()};
    QTRY_COMPARE(recordedStarts(), QList<QStringList>{expected});
    // The status of the run came back under the same name.
    QTRY_COMPARE(settings->spritesWindow()->buildStatus(),
                 "Build failed:\nthe build script ended without making a new " + name + ".8XP");
    // Nothing ran that could leave a file behind.
    QStringList expectedTree = {"prog", "prog/" + name + ".asm", "prog/" + kScript, "prog/starts.log"};
    expectedTree.sort();
    QCOMPARE(tree(sandbox_.path()), expectedTree);
}

void TestCreate::scriptNotStartable_data()
{
    QTest::addColumn<bool>("directoryInstead");
    QTest::addColumn<QString>("reason");
    QTest::newRow("script missing") << false << "does not exist";
    QTest::newRow("directory in place of the script") << true << "is not a file";
}

void TestCreate::scriptNotStartable()
{
    QFETCH(bool, directoryInstead);
    QFETCH(QString, reason);
    if (directoryInstead)
        QVERIFY(QDir(folder_).mkdir(kScript));
    SettingsWindow* settings = enterSlime();
    road::clickCreate(settings);
    QCOMPARE(recorder_->warnings.size(), 1);
    const Warning& warning = recorder_->warnings[0];
    const QString script = folderPath(kScript);
    QCOMPARE(warning.title, QStringLiteral("Build Script"));
    QVERIFY2(warning.text.contains(script + ' ' + reason), qPrintable(warning.text));
    QVERIFY2(warning.text.contains(QStringLiteral("was written")), qPrintable(warning.text));
    QCOMPARE(readAll(folderPath(QStringLiteral("Slime.asm"))), readAll(slimeGoldenPath()));
    // The file was written, so the Sprites window shows it, and why no build follows.
    SpritesWindow* sprites = settings->spritesWindow();
    QVERIFY(sprites && sprites->isVisible());
    QVERIFY(control<QPushButton>(sprites, "OkBut")->isEnabled());
    QCOMPARE(sprites->buildStatus(),
             QStringLiteral("Build failed:\nthe build script could not be started: ") + script + ' ' + reason);
    QTest::qWait(500);
    QVERIFY(sprites->buildStatus().startsWith(QStringLiteral("Build failed:\nthe build script could not")));
}

void TestCreate::writeFailureLosesNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("error");
    QTest::newRow("directory standing at NAME.asm") << "directory" << EISDIR;
    // An installed program writes into the per-user folder, which may fail too.
    QTest::newRow("per-user folder below a regular file") << "under file" << ENOTDIR;
    QTest::newRow("read-only per-user folder") << "read-only" << EACCES;
    QTest::newRow("read-only file system") << "read-only mount" << EROFS;
    QTest::newRow("disk full") << "full" << ENOSPC;
}

void TestCreate::writeFailureLosesNothing()
{
    QFETCH(QString, kind);
    QFETCH(int, error);
    road::FakeLauncher& launcher = recordStarts();
    const QByteArray older = "older file\r\nkept as it was\r\n";
    QString target = folderPath(QStringLiteral("Slime.asm"));
    if (kind == "directory") {
        QVERIFY(QDir(folder_).mkdir(QStringLiteral("Slime.asm")));
    } else if (kind == "under file") {
        // The home is a regular file, so no folder can be made in it.
        installLayout();
        const QString plain = sandbox_.filePath(QStringLiteral("plain"));
        QVERIFY(writeFile(plain, "a file\n"));
        qputenv("HOME", QFile::encodeName(plain));
        target = QDir(plain).filePath(QStringLiteral("Palvorn Enemies"));
    } else if (kind == "read-only") {
        if (::geteuid() == 0)
            QSKIP("permissions do not stop root");
        installLayout();
        QVERIFY(QDir().mkpath(userFolder()));
        target = QDir(userFolder()).filePath(QStringLiteral("Slime.asm"));
        QVERIFY(writeFile(target, older));
        QVERIFY(QFile::setPermissions(userFolder(), QFile::ReadOwner | QFile::ExeOwner));
    } else if (kind == "read-only mount") {
        // Permissions do not stop root; a file system mounted read-only does.
        installLayout();
        QVERIFY(QDir().mkpath(userFolder()));
        if (::geteuid() != 0 ||
            QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "tmpfs", userFolder()}) != 0)
            QSKIP("a small file system cannot be mounted here");
        mounted_ = userFolder();
        target = QDir(userFolder()).filePath(QStringLiteral("Slime.asm"));
        QVERIFY(writeFile(target, older));
        QCOMPARE(QProcess::execute(QStringLiteral("mount"), {"-o", "remount,ro", userFolder()}), 0);
    } else if (kind == "full") {
        if (::geteuid() != 0 ||
            QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder_}) != 0)
            QSKIP("a small file system cannot be mounted here");
        mounted_ = folder_;
        QVERIFY(writeFile(target, older));
        // Fill it: the writes stop when no block is left.
        QFile filler(folderPath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        for (int i = 0; i < 64 && filler.write(block) == block.size() && filler.flush(); ++i) {
        }
        filler.close();
    }
    const QStringList before = tree(sandbox_.path()) + tree(homeBox_.path());

    SettingsWindow* settings = enterSlime();
    road::clickCreate(settings);

    QCOMPARE(recorder_->warnings.size(), 1);
    QCOMPARE(recorder_->warnings[0].title, QStringLiteral("Create"));
    const QString text = recorder_->warnings[0].text;
    QVERIFY2(text.contains(target), qPrintable(text));
    QVERIFY2(text.contains(systemReason(error)), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("The build script was not started.")), qPrintable(text));
    QCOMPARE(launcher.starts.size(), 0);
    QCOMPARE(tree(sandbox_.path()) + tree(homeBox_.path()), before);
    if (kind != "directory" && kind != "under file")
        QCOMPARE(readAll(target), older);
    // Nothing was written, so there is nothing to show and "Ok" cannot end the enemy.
    QVERIFY(!settings->spritesWindow());
    QVERIFY(!harness::openWindow<SpritesWindow>());
    QCOMPARE(harness::openWindow<SettingsWindow>(), settings);

    if (kind == "directory") {
        // After a Create that wrote, one that writes nothing takes the old
        // lines away and shows why instead.
        QVERIFY(QDir(folder_).rmdir(QStringLiteral("Slime.asm")));
        road::clickCreate(settings);
        SpritesWindow* sprites = settings->spritesWindow();
        QVERIFY(sprites && sprites->isVisible());
        QVERIFY(control<QLabel>(sprites, "SourcePath")->text().startsWith(QStringLiteral("Wrote ")));
        QVERIFY(QFile::remove(target));
        QVERIFY(QDir(folder_).mkdir(QStringLiteral("Slime.asm")));
        road::clickCreate(settings);
        QCOMPARE(recorder_->warnings.size(), 2);
        QCOMPARE(control<QLabel>(sprites, "SourcePath")->text(), QStringLiteral("Nothing was written."));
        QCOMPARE(sprites->buildStatus(), recorder_->warnings[1].text);
        QVERIFY(!control<QPushButton>(sprites, "SendBut")->isEnabled());
    }
    if (kind == "full") {
        // Room again: the same Create now succeeds.
        QVERIFY(QFile::remove(folderPath(QStringLiteral("filler"))));
        road::clickCreate(settings);
        QCOMPARE(readAll(target), readAll(slimeGoldenPath()));
        QCOMPARE(launcher.starts.size(), 1);
        QVERIFY(settings->spritesWindow() && settings->spritesWindow()->isVisible());
    }
}

void TestCreate::namesCannotEscape_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("how");  // typed, pasted or set (past the field's checks)

    const QStringList hostile = {"../../x", "..", "/etc/pw", "a\\..\\b", "\"q\"", "a\tb", "a\nb", "a\rb",
                                 QStringLiteral("\u00E9\u03A9x"), "123456789abc", "$(>p);*", "~/x", ".", "a\x7f"};
    for (const char* how : {"typed", "pasted"})
        for (const QString& input : hostile)
            QTest::addRow("%s %s", how, qPrintable(input.toUtf8().toPercentEncoding()))
                << input << QString::fromLatin1(how);
    for (const QString& input : {QStringLiteral("../esc"), QStringLiteral("/tmp/esc"), QStringLiteral("a\u03A9"),
                                 QStringLiteral("b\u00E9"), QStringLiteral("..")})
        QTest::addRow("set %s", qPrintable(input.toUtf8().toPercentEncoding())) << input << "set";
}

void TestCreate::namesCannotEscape()
{
    QFETCH(QString, input);
    QFETCH(QString, how);
    road::FakeLauncher& launcher = recordStarts();
    SettingsWindow* settings = enterSlime();
    auto* name = control<QLineEdit>(settings, "CharName");
    replaceText(name, QString());
    if (how == "typed") {
        typeInto(name, input);
    } else if (how == "pasted") {
        QGuiApplication::clipboard()->setText(input);
        QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    } else {
        name->setText(input);
    }
    const QString held = name->text();
    if (how != "set")
        QVERIFY(held.size() <= 8);
    road::clickCreate(settings);

    // Nothing where the typed path would have led outside the folder.
    if (held.contains(QLatin1Char('/')) || held.contains(QLatin1Char('\\'))) {
        QVERIFY(!QFile::exists(QDir::cleanPath(folder_ + '/' + held + ".asm")) ||
                QDir::cleanPath(folder_ + '/' + held).startsWith(folder_ + '/'));
        QVERIFY(!QFile::exists(held + ".asm"));
    }
    const QStringList written = tree(sandbox_.path());
    if (written.size() == 2) {
        // Written: one file, directly in the program folder, named as the field reads.
        QCOMPARE(written, (QStringList{"prog", "prog/" + held + ".asm"}));
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(launcher.starts[0].script, folderPath(kScript));
        QCOMPARE(launcher.starts[0].argument, held);
        QCOMPARE(launcher.starts[0].folder, folder_);
    } else {
        QCOMPARE(written, QStringList{"prog"});
        QCOMPARE(launcher.starts.size(), 0);
        QCOMPARE(recorder_->warnings.size(), 1);
        QCOMPARE(recorder_->warnings[0].title, QStringLiteral("Robot Name"));
    }
}

void TestCreate::batchArgument_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("argument");  // as cmd.exe must see it for asm.bat's %1

    QTest::newRow("plain") << "Slime" << "Slime";
    QTest::newRow("digits and dots") << "Bat.2" << "Bat.2";
    QTest::newRow("shell signs cmd.exe leaves alone") << "a$b#c@d" << "a$b#c@d";
    QTest::newRow("empty") << "" << "\"\"";
    QTest::newRow("space") << "Big Bat" << "\"Big Bat\"";
    QTest::newRow("tab") << "a\tb" << "\"a\tb\"";
    for (const QChar special : QStringLiteral(",;=&|<>()^!'`+[]{}~"))
        QTest::addRow("%s", qPrintable(QStringLiteral("special %1").arg(special)))
            << QStringLiteral("a%1b").arg(special) << QStringLiteral("\"a%1b\"").arg(special);
}

void TestCreate::batchArgument()
{
    QFETCH(QString, name);
    QFETCH(QString, argument);
    QCOMPARE(buildscript::batchArgument(name), argument);
}

QTEST_MAIN(TestCreate)
#include "tst_create.moc"
