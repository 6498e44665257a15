// The enemy as a document: the wizard's title, Create writing back into the
// folder an enemy was opened from, the line under Max HP, and the settings
// window's fields bound to the settings through the value table.

#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

#include "CreateRoad.h"
#include "FileBytes.h"
#include "Platform.h"
#include "SettingsFixture.h"
#include "SlimePictures.h"
#include "ValueLine.h"
#include "WizardHarness.h"

namespace {

const QString kCaption = QStringLiteral("Palvorn - Battle External Enemy Creator");

// The control a value table row is edited by, by its objectName.
const char* controlOf(palvorn::Field field)
{
    using palvorn::Field;
    switch (field) {
    case Field::MinHP: return "txtMinHP";
    case Field::Money: return "txtRobotMoney";
    case Field::HighDefense: return "UpDefSlider";
    case Field::LowDefense: return "LowDefSlider";
    case Field::HighAttack: return "UpAtkSlider";
    case Field::LowAttack: return "LowAtkSlider";
    case Field::SpecialAttack: return "SpecAtkSlider";
    case Field::BlockChance: return "BlksSlider";
    case Field::Attacks: return "AtksSlider";
    default: return nullptr;
    }
}

}  // namespace

class TestDocument : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void titleNamesTheEnemy();
    void createWritesBackToTheOpenedFolder_data();
    void createWritesBackToTheOpenedFolder();
    void maxHPNote_data();
    void maxHPNote();
    void fieldsFollowTheTable_data();
    void fieldsFollowTheTable();

private:
    // Opens a copy of the Slime enemy from folder opened/ as name.asm.
    SettingsWindow* openSlime(const QString& name = QStringLiteral("Slime"));
    QString openedFolder() const { return dir_->filePath("opened"); }

    std::unique_ptr<WizardWindow> wizard_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::optional<WarningRecorder> warnings_;
    QString answer_;
};

void TestDocument::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    platform::setProgramFolder(dir_->path());
    platform::setScriptLauncher([](const QString&, const QString&, const QString&, const QString&) { return QString(); });
    platform::setOpenFileDialog([this](QWidget*, const platform::OpenFileRequest&) { return answer_; });
    warnings_.emplace();
    wizard_ = harness::showWizard();
    QVERIFY(wizard_);
}

void TestDocument::cleanup()
{
    wizard_.reset();
    warnings_.reset();
    platform::setProgramFolder({});
    platform::setScriptLauncher({});
    platform::setOpenFileDialog({});
    QVERIFY(harness::otherWindowsGone());
}

SettingsWindow* TestDocument::openSlime(const QString& name)
{
    if (!QDir(dir_->path()).mkpath("opened") ||
        !writeFile(QDir(openedFolder()).filePath(name + ".asm"), readAll(slimeGoldenPath())))
        return nullptr;
    answer_ = QDir(openedFolder()).filePath(name + ".asm");
    road::click(wizard_.get(), "OpenBut");
    return harness::openWindow<SettingsWindow>();
}

// The caption alone until the enemy has a name; then the name, marked while
// a change is not written, and the mark gone when undo takes it back.
void TestDocument::titleNamesTheEnemy()
{
    QCOMPARE(wizard_->windowTitle(), kCaption);
    road::takeInAll(wizard_.get());
    QCOMPARE(wizard_->windowTitle(), kCaption);

    SettingsWindow* settings = openSlime();
    QVERIFY(settings);
    QCOMPARE(wizard_->windowTitle(), QStringLiteral("Slime[*] - ") + kCaption);
    QVERIFY(!wizard_->isWindowModified());
    road::click(wizard_.get(), "InvertBut");
    QVERIFY(wizard_->isWindowModified());
    road::click(wizard_.get(), "UndoBut");
    QVERIFY(!wizard_->isWindowModified());

    // A tweak written: the new name, nothing left to write.
    settings = road::finish(wizard_.get());
    QVERIFY(settings);
    replaceText(control<QLineEdit>(settings, "CharName"), QStringLiteral("Rat"));
    road::click(wizard_.get(), "InvertBut");
    QVERIFY(wizard_->isWindowModified());
    road::clickCreate(settings);
    QVERIFY2(warnings_->warnings.isEmpty(), qPrintable(warnings_->warnings.value(0).text));
    QCOMPARE(wizard_->windowTitle(), QStringLiteral("Rat[*] - ") + kCaption);
    QVERIFY(!wizard_->isWindowModified());
}

void TestDocument::createWritesBackToTheOpenedFolder_data()
{
    QTest::addColumn<QString>("name");       // the name typed before Create
    QTest::addColumn<bool>("otherThere");    // opened/NAME.asm holds another enemy
    QTest::addColumn<bool>("replace");       // the answer to the Replace question
    QTest::addColumn<int>("questions");

    QTest::newRow("tweak of the same enemy") << "Slime" << false << false << 0;
    QTest::newRow("renamed, nothing there") << "Rat" << false << false << 0;
    QTest::newRow("renamed onto another enemy, kept") << "Rat" << true << false << 1;
    QTest::newRow("renamed onto another enemy, replaced") << "Rat" << true << true << 1;
}

void TestDocument::createWritesBackToTheOpenedFolder()
{
    QFETCH(QString, name);
    QFETCH(bool, otherThere);
    QFETCH(bool, replace);
    QFETCH(int, questions);

    SettingsWindow* settings = openSlime();
    QVERIFY(settings);
    const QString target = QDir(openedFolder()).filePath(name + ".asm");
    const QByteArray other = "; another enemy\r\n";
    if (otherThere)
        QVERIFY(writeFile(target, other));
    QCOMPARE(control<QLabel>(settings, "EnemyFolder")->text(),
             QStringLiteral("Enemies go to: ") + QDir::toNativeSeparators(openedFolder()));
    replaceText(control<QLineEdit>(settings, "CharName"), name);
    replaceText(control<QLineEdit>(settings, "txtRobotMoney"), QStringLiteral("42"));
    warnings_->answer = replace;
    road::clickCreate(settings);

    QCOMPARE(warnings_->questions.size(), questions);
    QVERIFY(!QFileInfo::exists(dir_->filePath(name + ".asm")));  // the enemy folder stays as it was
    if (otherThere && !replace) {
        QCOMPARE(readAll(target), other);
        return;
    }
    const auto money = static_cast<qsizetype>(palvorn::Field::Money);
    QCOMPARE(road::valueFields(target).value(money), QByteArray("42"));
    QCOMPARE(wizard_->document().file, std::filesystem::path(target.toStdU16String()));
    QVERIFY(warnings_->warnings.isEmpty());
}

void TestDocument::maxHPNote_data()
{
    QTest::addColumn<QString>("minHP");
    QTest::addColumn<QString>("maxHP");
    QTest::addColumn<QString>("note");  // empty: hidden

    QTest::newRow("rounded up") << "20" << "99" << QStringLiteral("Kept as 101 (Min HP + 9 \u00d7 9)");
    QTest::newRow("rounded down") << "5" << "99" << QStringLiteral("Kept as 95 (Min HP + 9 \u00d7 10)");
    QTest::newRow("kept as typed") << "20" << "101" << QString();
    QTest::newRow("Min HP 0") << "0" << "50" << QStringLiteral("Kept as 1 (Min HP + 9 \u00d7 0)");
    QTest::newRow("not above Min HP") << "20" << "10" << QString();
    QTest::newRow("empty") << "20" << "" << QString();
}

void TestDocument::maxHPNote()
{
    QFETCH(QString, minHP);
    QFETCH(QString, maxHP);
    QFETCH(QString, note);

    road::takeInAll(wizard_.get());
    SettingsWindow* settings = road::finish(wizard_.get());
    QVERIFY(settings);
    auto* label = control<QLabel>(settings, "MaxHPNote");
    replaceText(control<QLineEdit>(settings, "txtMinHP"), minHP);
    // Typed digit by digit: the line follows every keystroke.
    auto* field = control<QLineEdit>(settings, "txtMaxHP");
    field->clear();
    typeInto(field, maxHP);
    QCOMPARE(label->text(), note);
    QCOMPARE(label->isVisible(), !note.isEmpty());
}

void TestDocument::fieldsFollowTheTable_data()
{
    QTest::addColumn<int>("field");
    for (const palvorn::ValueField& row : palvorn::kValueFields)
        if (row.text || row.slider)
            QTest::newRow(row.name.data()) << static_cast<int>(row.field);
}

// Every field the table gives the window edits its own setting in the
// working copy only: the model keeps its settings until Create, and
// Cancel drops the edit.
void TestDocument::fieldsFollowTheTable()
{
    QFETCH(int, field);
    const palvorn::ValueField& row = palvorn::valueField(static_cast<palvorn::Field>(field));
    road::takeInAll(wizard_.get());
    SettingsWindow* settings = road::finish(wizard_.get());
    QVERIFY(settings);
    const palvorn::EnemySettings before = wizard_->enemy().settings;
    const char* name = controlOf(row.field);
    QVERIFY(name);
    if (row.text) {
        replaceText(control<QLineEdit>(settings, name), QStringLiteral("7"));
        QCOMPARE(settings->settings().*row.text, std::string("7"));
    } else {
        auto* slider = control<QSlider>(settings, name);
        QCOMPARE(slider->minimum(), row.range.minimum);
        QCOMPARE(slider->maximum(), row.range.maximum);
        const int value = before.*row.slider == row.range.maximum ? row.range.minimum : row.range.maximum;
        slider->setValue(value);
        QCOMPARE(settings->settings().*row.slider, value);
    }
    QVERIFY(!(settings->settings() == before));
    QCOMPARE(settings->enemy().sprites, wizard_->enemy().sprites);
    QVERIFY(wizard_->enemy().settings == before);
    road::click(settings, "CancelBut");
    road::returnToEventLoop();
    settings = road::finish(wizard_.get());
    QVERIFY(settings);
    QVERIFY(settings->settings() == before);
}

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
