// Open: an enemy source file back into the wizard and the settings window,
// and Create right after it writing the same bytes.
#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <random>

#include "Create.h"
#include "EnemySource.h"
#include "FileBytes.h"
#include "Platform.h"
#include "SettingsFixture.h"
#include "SlimePictures.h"
#include "WizardHarness.h"

namespace {

// A random enemy the tool could have written, as its file.
QByteArray randomEnemyFile(std::mt19937& random)
{
    const auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    palvorn::Enemy e;
    for (palvorn::Sprite& s : e.sprites) {
        const int width = pick(1, 40);
        s = palvorn::Sprite(width, pick(1, 200 / palvorn::bytesPerRow(width)));
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                s.setPixel(x, y, pick(0, 1) == 1);
    }
    palvorn::EnemySettings& s = e.settings;
    s.name = std::string("Rnd") + char('A' + pick(0, 25)) + std::to_string(pick(0, 999));
    s.item = pick(-1, 5);
    s.itemText = s.item < 0 ? "whatever" : std::string(palvorn::kItems[static_cast<std::size_t>(s.item)]);
    const int min = pick(1, 255);
    s.minHP = std::to_string(min);
    s.maxHP = std::to_string(pick(min + 1, 999));
    s.money = std::to_string(pick(0, 99));
    for (int palvorn::EnemySettings::*slider :
         {&palvorn::EnemySettings::highDefense, &palvorn::EnemySettings::lowDefense,
          &palvorn::EnemySettings::highAttack, &palvorn::EnemySettings::lowAttack,
          &palvorn::EnemySettings::specialAttack, &palvorn::EnemySettings::attacks})
        s.*slider = pick(1, 9);
    s.blockChance = pick(2, 9);
    return QByteArray::fromStdString(palvorn::EnemySourceText(palvorn::fileValues(e)));
}

}  // namespace

class TestWizardOpen : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openFillsEverything();
    void createAfterOpenWritesTheSameBytes_data();
    void createAfterOpenWritesTheSameBytes();
    void refusedFileChangesNothing_data();
    void refusedFileChangesNothing();

private:
    void open(const QString& file, bool byShortcut = false);

    std::unique_ptr<WizardWindow> wizard_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::optional<WarningRecorder> warnings_;
    QList<platform::OpenFileRequest> requests_;
    QString answer_;
};

void TestWizardOpen::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    platform::setProgramFolder(dir_->path());
    platform::setScriptLauncher([](const QString&, const QString&, const QString&, const QString&) { return QString(); });
    platform::setOpenFileDialog([this](QWidget*, const platform::OpenFileRequest& request) {
        requests_ << request;
        return answer_;
    });
    warnings_.emplace();
    wizard_ = harness::showWizard();
    QVERIFY(wizard_);
}

void TestWizardOpen::cleanup()
{
    wizard_.reset();
    warnings_.reset();
    requests_.clear();
    platform::setProgramFolder({});
    platform::setScriptLauncher({});
    platform::setOpenFileDialog({});
    QVERIFY(harness::otherWindowsGone());
}

void TestWizardOpen::open(const QString& file, bool byShortcut)
{
    answer_ = file;
    if (byShortcut)
        QTest::keyClick(wizard_.get(), Qt::Key_O, Qt::ControlModifier);
    else
        QTest::mouseClick(control<QPushButton>(wizard_.get(), "OpenBut"), Qt::LeftButton);
}

void TestWizardOpen::openFillsEverything()
{
    QCOMPARE(control<QPushButton>(wizard_.get(), "OpenBut")->text(), QStringLiteral("Open..."));
    open(slimeGoldenPath(), true);
    QCOMPARE(requests_.size(), 1);
    QCOMPARE(requests_[0].filter, QStringLiteral("Enemy sources (*.asm)"));
    QVERIFY(warnings_->warnings.isEmpty());

    const auto pictures = slimePictures();
    QCOMPARE(wizard_->curStep(), 1);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(wizard_->spriteSize(i + 1), pictures[i].height());
    SettingsWindow* settings = harness::openWindow<SettingsWindow>();
    QVERIFY(settings);
    QCOMPARE(control<QLineEdit>(settings, "CharName")->text(), QStringLiteral("Slime"));
    QCOMPARE(control<QLineEdit>(settings, "txtMinHP")->text(), QStringLiteral("20"));
    QCOMPARE(control<QLineEdit>(settings, "txtMaxHP")->text(), QStringLiteral("65"));  // 20 + 9 x 5
    QCOMPARE(control<QLineEdit>(settings, "txtRobotMoney")->text(), QStringLiteral("15"));
    QCOMPARE(control<QComboBox>(settings, "cmbItem")->currentText(), QStringLiteral("Heal Leaf"));
    QCOMPARE(control<QComboBox>(settings, "cmbItem")->currentIndex(), 1);
    const QList<QPair<const char*, int>> sliders{{"UpDefSlider", 5},  {"LowDefSlider", 4}, {"UpAtkSlider", 6},
                                                 {"LowAtkSlider", 3}, {"SpecAtkSlider", 7}, {"BlksSlider", 3},
                                                 {"AtksSlider", 5}};
    for (const auto& [name, value] : sliders)
        QCOMPARE(control<QSlider>(settings, name)->value(), value);
    QCOMPARE(control<QLabel>(settings, "lblLowDef")->text(), QStringLiteral("Low Defense: 4"));
}

void TestWizardOpen::createAfterOpenWritesTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("settingsOpenBefore");

    QTest::newRow("Slime") << readAll(slimeGoldenPath()) << false;
    QTest::newRow("Slime over an open settings window") << readAll(slimeGoldenPath()) << true;
    std::mt19937 random(20261210u);
    for (int i = 0; i < 8; ++i)
        QTest::addRow("random enemy %d", i) << randomEnemyFile(random) << false;
}

void TestWizardOpen::createAfterOpenWritesTheSameBytes()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, settingsOpenBefore);

    if (settingsOpenBefore) {
        open(slimeGoldenPath());
        replaceText(control<QLineEdit>(harness::openWindow<SettingsWindow>(), "CharName"), "Other");
    }
    const QString source = dir_->filePath("opened/enemy.asm");
    QVERIFY(QDir(dir_->path()).mkpath("opened"));
    QVERIFY(writeFile(source, file));
    open(source);
    SettingsWindow* settings = harness::openWindow<SettingsWindow>();
    QVERIFY(settings);
    const QString name = control<QLineEdit>(settings, "CharName")->text();
    QTest::mouseClick(control<QPushButton>(settings, "CreateBut"), Qt::LeftButton);
    QVERIFY2(warnings_->warnings.isEmpty(), qPrintable(warnings_->warnings.value(0).text));
    // Written back beside the file it was opened from.
    QCOMPARE(readAll(dir_->filePath("opened/" + name + ".asm")), file);
}

void TestWizardOpen::refusedFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("line");

    QTest::newRow("bad hex byte") << QByteArray("$3C") << QByteArray("$3G") << "Line 7: expected a byte like $3C";
    QTest::newRow("short row") << QByteArray(" .db $FF\r\n .db $81") << QByteArray(" .db \r\n .db $81") << "Line 8:";
    QTest::newRow("count disagrees") << QByteArray(" .db 3\r\n") << QByteArray(" .db 4\r\n") << "Line 6:";
    QTest::newRow("not an enemy at all") << QByteArray(";Created") << QByteArray("hello") << "Line 1:";
}

void TestWizardOpen::refusedFileChangesNothing()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, line);

    // Something in the wizard and the settings window that a refusal must keep.
    wizard_->takeIn(palvorn::Sprite(16, 3));
    QTest::mouseClick(control<QPushButton>(wizard_.get(), "NextBut"), Qt::LeftButton);
    const palvorn::Enemy before = wizard_->enemy();

    QByteArray bytes = readAll(slimeGoldenPath());
    QVERIFY(bytes.contains(from));
    bytes.replace(bytes.indexOf(from), from.size(), to);
    const QString damaged = dir_->filePath("damaged.asm");
    QVERIFY(writeFile(damaged, bytes));
    open(damaged);

    QCOMPARE(warnings_->warnings.size(), 1);
    const QString text = warnings_->warnings[0].text;
    QVERIFY2(text.contains(QDir::toNativeSeparators(damaged)) && text.contains(line), qPrintable(text));
    QCOMPARE(wizard_->enemy(), before);
    QCOMPARE(wizard_->curStep(), 2);
    QVERIFY(!harness::openWindow<SettingsWindow>());
}

QTEST_MAIN(TestWizardOpen)
#include "tst_wizardopen.moc"
