// The enemy's rules and Create, without any window: what each check refuses
// and in which order, what the file is given, and what Create reports.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "Create.h"
#include "Rules.h"
#include "SlimeEnemy.h"
#include "SpriteRows.h"

using palvorn::Enemy;
using Change = std::function<void(Enemy&)>;
Q_DECLARE_METATYPE(Change)

namespace {

QByteArray golden()
{
    QFile file(QStringLiteral(PALVORN_TEST_DATA "/Slime.asm"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(cannot read the golden file)");
}

}  // namespace

class TestRules : public QObject {
    Q_OBJECT

private slots:
    void missingSpritesText_data();
    void missingSpritesText();
    void itemFromText_data();
    void itemFromText();
    void increment_data();
    void increment();
    void placement_data();
    void placement();
    void calculatorName_data();
    void calculatorName();
    void checks_data();
    void checks();
    void fileValuesFollowTheCurrentFields_data();
    void fileValuesFollowTheCurrentFields();
    void createWritesTheGoldenFileAndStartsOnce();
    void createOutcomes_data();
    void createOutcomes();
    void createMakesTheFolderOnlyForAnEnemyItWrites();
    void notWrittenSaysNotStartedOnlyWhenAsked_data();
    void notWrittenSaysNotStartedOnlyWhenAsked();
};

void TestRules::increment_data()
{
    QTest::addColumn<QString>("maxHP");
    QTest::addColumn<QString>("minHP");
    QTest::addColumn<int>("expected");

    QTest::newRow("100 over 10") << "100" << "10" << 10;
    QTest::newRow("50 over 10, 4.44 rounds down") << "50" << "10" << 4;
    QTest::newRow("15 over 10, 0.56 rounds up") << "15" << "10" << 1;
    QTest::newRow("14 over 10, 0.44 rounds down") << "14" << "10" << 0;
    QTest::newRow("10 under 50, -4.44 keeps its sign") << "10" << "50" << -4;
    QTest::newRow("5 with empty min") << "5" << "" << 0;
    QTest::newRow("empty max") << "" << "10" << 0;
    QTest::newRow("leading zeros") << "065" << "020" << 5;
    QTest::newRow("largest fields") << "999" << "1" << 111;
    QTest::newRow("not a number counts as 0") << "1e3" << "10" << 0;
}

void TestRules::increment()
{
    QFETCH(QString, maxHP);
    QFETCH(QString, minHP);
    QFETCH(int, expected);
    QCOMPARE(palvorn::hpIncrement(palvorn::fieldValue(maxHP.toStdString()), palvorn::fieldValue(minHP.toStdString())),
             expected);
}

void TestRules::placement_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<int>>("expected");  // RobotY, RobotX, RobotTo
    QTest::addColumn<bool>("fits");

    QTest::newRow("24x32") << QSize(24, 32) << QList<int>{32, 72, 56} << true;
    QTest::newRow("100x10 goes negative") << QSize(100, 10) << QList<int>{54, -4, -20} << true;
    QTest::newRow("208 wide, RobotTo at -128") << QSize(208, 1) << QList<int>{63, -112, -128} << true;
    QTest::newRow("209 wide") << QSize(209, 1) << QList<int>{63, -113, -129} << false;
    QTest::newRow("192 high, RobotY at -128") << QSize(1, 192) << QList<int>{-128, 95, 79} << true;
    QTest::newRow("193 high") << QSize(1, 193) << QList<int>{-129, 95, 79} << false;
}

void TestRules::placement()
{
    QFETCH(QSize, size);
    QFETCH(QList<int>, expected);
    QFETCH(bool, fits);
    const palvorn::Placement p = palvorn::placementOf(palvorn::Sprite(size.width(), size.height()));
    QCOMPARE((QList<int>{p.robotY, p.robotX, p.robotTo}), expected);
    QCOMPARE(palvorn::placementFits(p), fits);
}

void TestRules::calculatorName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");  // empty: none

    QTest::newRow("Slime") << "Slime" << "SLIME";
    QTest::newRow("space dropped") << "Big Rat" << "BIGRAT";
    QTest::newRow("digits kept after a letter") << "R2d2" << "R2D2";
    QTest::newRow("first eight that remain") << "a-b-c-d-e-f-g-h-i" << "ABCDEFGH";
    QTest::newRow("digit first") << "9Lives" << "";
    QTest::newRow("nothing remains") << "___" << "";
    QTest::newRow("empty") << "" << "";
}

void TestRules::calculatorName()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(palvorn::calculatorName(name.toStdString()).value_or("")), expected);
}

void TestRules::checks_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("title");  // empty: passes
    QTest::addColumn<QString>("text");

    const QString noHP = "Max HP must be higher than Min HP!";
    QTest::newRow("Slime passes") << Change([](Enemy&) {}) << "" << "";
    QTest::newRow("Select Item before bad HP and no name") << Change([](Enemy& e) {
        e.settings.itemText = "Select Item";
        e.settings.maxHP = "";
        e.settings.name = "";
    }) << "Select Item" << "You must select an item!";
    QTest::newRow("typed item text passes") << Change([](Enemy& e) {
        e.settings.itemText = "select item";
        e.settings.item = -1;
    }) << "" << "";
    QTest::newRow("max equal min") << Change([](Enemy& e) { e.settings.maxHP = "20"; }) << "Figuring HP" << noHP;
    QTest::newRow("empty max") << Change([](Enemy& e) { e.settings.maxHP = ""; }) << "Figuring HP" << noHP;
    QTest::newRow("5 over empty min passes") << Change([](Enemy& e) {
        e.settings.maxHP = "5";
        e.settings.minHP = "";
    }) << "" << "";
    QTest::newRow("min 255 passes") << Change([](Enemy& e) {
        e.settings.minHP = "255";
        e.settings.maxHP = "999";
    }) << "" << "";
    QTest::newRow("min 300 over a byte") << Change([](Enemy& e) {
        e.settings.minHP = "300";
        e.settings.maxHP = "999";
    }) << "Figuring HP" << "Min HP can be at most 255, since the calculator keeps it in one byte; it is 300.";
    QTest::newRow("money of three digits") << Change([](Enemy& e) { e.settings.money = "100"; }) << "Base Money"
                                           << "Base Money takes a whole number of at most 2 digits; \"100\" is not one.";
    QTest::newRow("slider below its range") << Change([](Enemy& e) { e.settings.blockChance = 1; })
                                            << "Fighting Values" << "Block Chance must be from 2 to 9; it is 1.";
    QTest::newRow("empty name after the HP check") << Change([](Enemy& e) { e.settings.name = ""; }) << "Robot Name"
                                                   << "You must enter a name!";
    QTest::newRow("name of a digit first") << Change([](Enemy& e) { e.settings.name = "9Lives"; }) << "Robot Name"
                                           << "The name \"9Lives\" gives no calculator program name: the calculator "
                                              "needs a name that starts with a letter, and only letters and digits "
                                              "count.";
    QTest::newRow("name without letters") << Change([](Enemy& e) { e.settings.name = "___"; }) << "Robot Name"
                                          << "The name \"___\" gives no calculator program name: the calculator "
                                             "needs a name that starts with a letter, and only letters and digits "
                                             "count.";
    QTest::newRow("name with a quote") << Change([](Enemy& e) { e.settings.name = "Sl\"me"; }) << "Robot Name"
                                       << "The name \"Sl\"me\" cannot be used: a name is at most 8 printable ASCII "
                                          "characters without / \\ or \", with no space at either end.";
    QTest::newRow("name with a space at an end")
        << Change([](Enemy& e) { e.settings.name = " Rat "; }) << "Robot Name"
        << "The name \" Rat \" cannot be used: a name is at most 8 printable ASCII characters without / \\ or \", "
           "with no space at either end.";
    QTest::newRow("sprite missing") << Change([](Enemy& e) { e.sprites[2] = {}; }) << "Sprites"
                                    << "The low attack sprite is missing.";
    QTest::newRow("hurt over the limit") << Change([](Enemy& e) { e.sprites[4] = palvorn::Sprite(41, 40); })
                                         << "Sprites" << "The hurt sprite packs into 240 bytes; the limit is 200.";
    QTest::newRow("hurt at the limit") << Change([](Enemy& e) { e.sprites[4] = palvorn::Sprite(40, 40); }) << ""
                                       << "";
    QTest::newRow("normal too wide to place") << Change([](Enemy& e) { e.sprites[0] = palvorn::Sprite(209, 1); })
                                              << "Sprites"
                                              << "The normal sprite is 209 x 1 pixels; its place on the screen fits "
                                                 "the file only up to 208 pixels wide and 192 high.";
}

void TestRules::checks()
{
    QFETCH(Change, change);
    QFETCH(QString, title);
    QFETCH(QString, text);

    Enemy enemy = slimeEnemy();
    change(enemy);
    const auto refusal = palvorn::checkEnemy(enemy, false);
    QCOMPARE(refusal ? QString::fromStdString(refusal->title) : QString(), title);
    QCOMPARE(refusal ? QString::fromStdString(refusal->text) : QString(), text);
}

void TestRules::fileValuesFollowTheCurrentFields_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QList<int>>("expected");  // min HP, increment, item number, money, RobotY, RobotX, RobotTo

    QTest::newRow("Slime") << Change([](Enemy&) {}) << QList<int>{20, 5, 2, 15, 61, 88, 72};
    QTest::newRow("empty money and min are 0") << Change([](Enemy& e) {
        e.settings.money.clear();
        e.settings.minHP.clear();
    }) << QList<int>{0, 0, 2, 0, 61, 88, 72};
    QTest::newRow("min changed after max") << Change([](Enemy& e) { e.settings.minHP = "11"; })
                                           << QList<int>{11, 6, 2, 15, 61, 88, 72};
    QTest::newRow("typed item gives 0") << Change([](Enemy& e) {
        e.settings.itemText = "Potion";
        e.settings.item = -1;
    }) << QList<int>{20, 5, 0, 15, 61, 88, 72};
    QTest::newRow("placement from the normal sprite") << Change([](Enemy& e) { e.sprites[0] = palvorn::Sprite(24, 32); })
                                                      << QList<int>{20, 5, 2, 15, 32, 72, 56};
}

void TestRules::fileValuesFollowTheCurrentFields()
{
    QFETCH(Change, change);
    QFETCH(QList<int>, expected);

    Enemy enemy = slimeEnemy();
    change(enemy);
    const palvorn::EnemyValues v = palvorn::fileValues(enemy);
    QCOMPARE((QList<int>{v.minHP, v.increment, v.itemPosition + 1, v.money, v.robotY, v.robotX, v.robotTo}),
             expected);
}

void TestRules::createWritesTheGoldenFileAndStartsOnce()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QStringList starts;
    const auto outcome = palvorn::create(slimeEnemy(), dir.path().toStdString(),
                                         [&starts](const std::string& name, const std::filesystem::path& folder) {
                                             starts << QString::fromStdString(name) + '@' + QString::fromStdString(folder.string());
                                             return std::string();
                                         });
    QCOMPARE(outcome.status, palvorn::CreateOutcome::Status::Started);
    QCOMPARE(QString::fromStdString(outcome.programName), QStringLiteral("SLIME"));
    QCOMPARE(QString::fromStdString(outcome.source.string()), dir.filePath("Slime.asm"));
    QCOMPARE(starts, QStringList{"Slime@" + dir.path()});
    QFile written(dir.filePath("Slime.asm"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), golden());
}

// The folder maker runs once the checks passed: a refused enemy leaves no
// folder, and a folder that cannot be made is a write that failed.
void TestRules::createMakesTheFolderOnlyForAnEnemyItWrites()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::filesystem::path folder = QDir(dir.path()).filePath("enemies").toStdString();
    int made = 0;
    const palvorn::FolderMaker maker = [&] {
        ++made;
        std::filesystem::create_directories(folder);
        return std::string();
    };
    Enemy refused = slimeEnemy();
    refused.settings.maxHP = "1";
    using S = palvorn::CreateOutcome::Status;
    QCOMPARE(palvorn::create(refused, folder, {}, {}, false, maker).status, S::Refused);
    QCOMPARE(made, 0);
    QVERIFY(!std::filesystem::exists(folder));
    QCOMPARE(palvorn::create(slimeEnemy(), folder, {}, {}, false, maker).status, S::Written);
    QCOMPARE(made, 1);
    QVERIFY(std::filesystem::exists(folder / "Slime.asm"));
    const auto failed = palvorn::create(slimeEnemy(), QDir(dir.path()).filePath("other").toStdString(), {}, {}, false,
                                        [] { return std::string("The folder other could not be made."); });
    QCOMPARE(failed.status, S::NotWritten);
    QCOMPARE(QString::fromStdString(failed.text), QStringLiteral("The folder other could not be made."));
}

void TestRules::createOutcomes_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("folder");          // below the temporary folder
    QTest::addColumn<QString>("startFails");      // the starter's reason, or empty
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("written");
    QTest::addColumn<int>("starts");

    using S = palvorn::CreateOutcome::Status;
    QTest::newRow("refused: nothing written, nothing started")
        << Change([](Enemy& e) { e.settings.minHP = "300"; e.settings.maxHP = "400"; }) << "" << "" << int(S::Refused)
        << "Figuring HP" << false << 0;
    QTest::newRow("folder missing: not written, not started")
        << Change([](Enemy&) {}) << "gone" << "" << int(S::NotWritten) << "Create" << false << 0;
    QTest::newRow("script missing: written, reported")
        << Change([](Enemy&) {}) << "" << "/x/asm.sh does not exist" << int(S::NotStarted) << "Build Script" << true
        << 1;
}

void TestRules::createOutcomes()
{
    QFETCH(Change, change);
    QFETCH(QString, folder);
    QFETCH(QString, startFails);
    QFETCH(int, status);
    QFETCH(QString, title);
    QFETCH(bool, written);
    QFETCH(int, starts);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Enemy enemy = slimeEnemy();
    change(enemy);
    int started = 0;
    const auto outcome = palvorn::create(enemy, QDir(dir.path()).filePath(folder).toStdString(),
                                         [&](const std::string&, const std::filesystem::path&) {
                                             ++started;
                                             return startFails.toStdString();
                                         });
    QCOMPARE(int(outcome.status), status);
    QCOMPARE(QString::fromStdString(outcome.title), title);
    if (!startFails.isEmpty())
        QVERIFY2(QString::fromStdString(outcome.text).contains(startFails), outcome.text.c_str());
    QCOMPARE(QFile::exists(dir.filePath("Slime.asm")), written);
    QCOMPARE(started, starts);
}

void TestRules::notWrittenSaysNotStartedOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("build");
    QTest::newRow("no build asked") << false;
    QTest::newRow("build asked") << true;
}

// A write that fails names the build script only when one was to start.
void TestRules::notWrittenSaysNotStartedOnlyWhenAsked()
{
    QFETCH(bool, build);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    palvorn::ScriptStarter start;
    if (build)
        start = [](const std::string&, const std::filesystem::path&) { return std::string(); };
    const auto outcome = palvorn::create(slimeEnemy(), QDir(dir.path()).filePath("gone").toStdString(), start);
    QCOMPARE(outcome.status, palvorn::CreateOutcome::Status::NotWritten);
    QVERIFY2(QString::fromStdString(outcome.text).startsWith(QStringLiteral("The file ")), outcome.text.c_str());
    QCOMPARE(QString::fromStdString(outcome.text).contains(QStringLiteral("The build script was not started.")), build);
}

void TestRules::missingSpritesText_data()
{
    QTest::addColumn<QList<int>>("empty");
    QTest::addColumn<QString>("text");

    QTest::newRow("none") << QList<int>{} << QString();
    QTest::newRow("one") << QList<int>{4} << "The hurt sprite is missing.";
    QTest::newRow("two") << QList<int>{1, 4} << "The high attack and hurt sprites are missing.";
    QTest::newRow("three") << QList<int>{1, 2, 4} << "The high attack, low attack and hurt sprites are missing.";
    QTest::newRow("all") << QList<int>{0, 1, 2, 3, 4}
                         << "The normal, high attack, low attack, special attack and hurt sprites are missing.";
}

void TestRules::missingSpritesText()
{
    QFETCH(QList<int>, empty);
    QFETCH(QString, text);

    Enemy enemy = slimeEnemy();
    for (int pose : empty)
        enemy.sprites[static_cast<std::size_t>(pose)] = palvorn::Sprite();
    QCOMPARE(QString::fromStdString(palvorn::missingSpritesText(enemy.sprites)), text);
}

void TestRules::itemFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("item");
    QTest::newRow("entry as listed") << "Heal Leaf" << 1;
    QTest::newRow("lower case") << "potion" << 0;
    QTest::newRow("mixed case, spaces around") << "  bLk aPPLE   " << 5;
    QTest::newRow("last entry") << "BLK Apple" << 5;
    QTest::newRow("inner space doubled") << "Heal  Leaf" << -1;
    QTest::newRow("part of an entry") << "Heal" << -1;
    QTest::newRow("entry and more") << "Potions" << -1;
    QTest::newRow("tab around") << "\tPotion" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("spaces only") << "   " << -1;
    QTest::newRow("Select Item") << "Select Item" << -1;
    QTest::newRow("none") << "none" << -1;
}

// Typed item text is the entry it names, ignoring case and spaces around it.
void TestRules::itemFromText()
{
    QFETCH(QString, text);
    QFETCH(int, item);
    QCOMPARE(palvorn::itemFromText(text.toStdString()), item);
}

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
