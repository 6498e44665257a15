// Reading NAME.asm back: every file the tool writes comes back as an enemy
// that writes the same file again and that Create takes; every other file is
// refused with the line at fault. And the enemy as text for "show".

#include <QtTest>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "Create.h"
#include "EnemyReader.h"
#include "EnemySource.h"
#include "EnemyText.h"
#include "Rules.h"
#include "FileBytes.h"
#include "SlimeEnemy.h"
#include "SpriteRows.h"

using palvorn::Enemy;
using palvorn::ReadError;
using palvorn::Sprite;
using EnemyChange = std::function<void(Enemy&)>;
Q_DECLARE_METATYPE(EnemyChange)

namespace {

QByteArray golden()
{
    return readAll(QStringLiteral(PALVORN_TEST_DATA "/Slime.asm"));
}

std::string written(const Enemy& enemy)
{
    return palvorn::EnemySourceText(palvorn::fileValues(enemy));
}

QByteArray lf(QByteArray text)
{
    return text.replace("\r\n", "\n");
}

// The text with 1-based line n replaced by lines (none: the line removed).
QByteArray withLines(const QByteArray& text, int n, const QList<QByteArray>& lines)
{
    QList<QByteArray> all = text.split('\n');
    all.removeAt(n - 1);
    for (qsizetype i = 0; i < lines.size(); ++i)
        all.insert(n - 1 + i, lines[i] + '\r');
    return all.join('\n');
}

QByteArray withLine(const QByteArray& text, int n, const QByteArray& line)
{
    return withLines(text, n, {line});
}

// Slime's value line with the 1-based field replaced.
QByteArray withField(int field, const QByteArray& value)
{
    QList<QByteArray> fields = QByteArray("20,5,5,4,6,3,7,3,5,2,15,61,88,72,3,1,2,1,2,1,2,1,2,1").split(',');
    fields[field - 1] = value;
    return withLine(golden(), 5, " .db " + fields.join(','));
}

QByteArray withValues(const QByteArray& values)
{
    return withLine(golden(), 5, " .db " + values);
}

// Slime with a hurt sprite two bytes wide (lines 19 to 21), for rows of more
// than one byte.
QByteArray wideHurt()
{
    Enemy e = slimeEnemy();
    e.sprites[4] = sprite(16, {".X.X.X.X.X.X.X.X", "X.X.X.X.X.X.X.X."});
    return QByteArray::fromStdString(written(e));
}

// Either a refusal, or an enemy Create takes that writes the text back with
// the tool's line ends and notice. Empty when that holds, else the fault.
QString readsBackOrRefuses(const QByteArray& bytes)
{
    Enemy enemy;
    try {
        enemy = palvorn::readEnemySource(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    } catch (const ReadError& e) {
        if (e.line() < 1 || !QByteArray(e.what()).startsWith("Line " + QByteArray::number(e.line()) + ": "))
            return QStringLiteral("a refusal without its line: ") + e.what();
        return {};
    }
    if (const auto refusal = palvorn::checkEnemy(enemy, false))
        return "Create refuses what was read: " + QString::fromStdString(refusal->text);
    const std::string again = written(enemy);
    QList<QByteArray> lines = lf(bytes).split('\n');
    lines[1] = ";Enemy data and sprites for the Palvorn battle engine; build with asm NAME";
    QByteArray expected = lines.join("\r\n");
    if (!expected.endsWith("\r\n"))
        expected += "\r\n";
    if (QByteArray::fromStdString(again) != expected)
        return QStringLiteral("written back differently");
    return {};
}

// A random enemy that Create takes, sprites and values over their whole
// ranges; number fields sometimes empty or with leading zeros, as typed.
Enemy randomEnemy(std::mt19937& random)
{
    const auto uniform = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    // As a field of that many digits may hold it.
    const auto typed = [&](int value, std::size_t digits) {
        if (value == 0 && uniform(0, 3) == 0)
            return std::string();
        std::string text = std::to_string(value);
        if (text.size() < digits && uniform(0, 4) == 0)
            text.insert(0, "0");
        return text;
    };
    const auto randomSprite = [&](int maxWidth, int maxHeight) {
        const int width = uniform(1, uniform(0, 1) ? 64 : maxWidth);
        const int height = uniform(1, std::min(maxHeight, palvorn::kSizeLimit / palvorn::bytesPerRow(width)));
        Sprite s(width, height);
        const int density = uniform(0, 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                s.setPixel(x, y, uniform(1, 4) <= density);
        return s;
    };

    Enemy e;
    e.sprites[0] = randomSprite(palvorn::kMaxNormalWidth, palvorn::kMaxNormalHeight);
    for (std::size_t pose = 1; pose < e.sprites.size(); ++pose)
        e.sprites[pose] = randomSprite(8 * palvorn::kSizeLimit, palvorn::kSizeLimit);

    palvorn::EnemySettings& s = e.settings;
    s.name = std::string(1, char(uniform(0, 1) ? uniform('A', 'Z') : uniform('a', 'z')));
    const int length = uniform(1, palvorn::kNameLength);
    while (int(s.name.size()) < length) {
        const char c = char(uniform(0x20, 0x7E));
        if (palvorn::nameCharAllowed(c, false))
            s.name += c;
    }
    if (s.name.back() == ' ')
        s.name.back() = 'z';  // a name never ends in a space
    const int minHP = uniform(0, 4) == 0 ? uniform(0, 1) : uniform(0, 255);
    s.minHP = typed(minHP, 3);
    s.maxHP = typed(uniform(0, 3) == 0 ? uniform(minHP + 1, std::min(999, minHP + 12)) : uniform(minHP + 1, 999), 3);
    s.money = typed(uniform(0, 99), 2);
    s.item = uniform(-1, 5);
    s.itemText = s.item >= 0 ? std::string(palvorn::kItems[std::size_t(s.item)]) : "typed text";
    for (int* slider : {&s.highDefense, &s.lowDefense, &s.highAttack, &s.lowAttack, &s.specialAttack, &s.attacks})
        *slider = uniform(palvorn::kSliderRange.minimum, palvorn::kSliderRange.maximum);
    s.blockChance = uniform(palvorn::kBlockChanceRange.minimum, palvorn::kBlockChanceRange.maximum);
    return e;
}

// Sprites read agree with those written on every pixel of their packed rows.
bool samePixels(const Sprite& a, const Sprite& b)
{
    if (a.height() != b.height() || a.bytesPerRow() != b.bytesPerRow())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < 8 * a.bytesPerRow(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

}  // namespace

class TestEnemyReader : public QObject {
    Q_OBJECT

private slots:
    void slimeFile_data();
    void slimeFile();
    void generatedEnemies();
    void edgeEnemies_data();
    void edgeEnemies();
    void maxHP_data();
    void maxHP();
    void everyMinAndIncrement();
    void refusals_data();
    void refusals();
    void file_data();
    void file();
    void describeSlime();
    void describeLines_data();
    void describeLines();
    void fuzzFinds_data();
    void fuzzFinds();
};

void TestEnemyReader::slimeFile_data()
{
    QTest::addColumn<QByteArray>("text");

    const QByteArray crlf = golden();
    QVERIFY2(crlf.endsWith("END\r\n") && crlf.count("\r\n") == 23, "the golden file lost its CR LF line ends");
    QTest::newRow("as written, CR LF") << crlf;
    QTest::newRow("LF") << lf(crlf);
    QTest::newRow("no final line end") << crlf.chopped(2);
    QTest::newRow("LF, no final line end") << lf(crlf).chopped(1);
    QTest::newRow("CR LF and LF mixed") << withLine(lf(crlf), 7, " .db $3C");
    QTest::newRow("another notice") << withLine(crlf, 2, ";made by hand, 2 May");
    QTest::newRow("notice of one semicolon") << withLine(crlf, 2, ";");
    QTest::newRow("notice with any bytes") << withLine(crlf, 2, QByteArray(";\t\xc3\xa9\x01\0\r;", 8));
    // What an editor leaves at the end of a file.
    QTest::newRow("blank line after END") << crlf + "\r\n";
    QTest::newRow("blank lines with spaces and tabs after END, LF") << lf(crlf) + "\n  \n\t\n \t";
    QTest::newRow("spaces after END") << withLine(crlf, 23, "END  \t");
}

void TestEnemyReader::slimeFile()
{
    QFETCH(QByteArray, text);

    const Enemy read = palvorn::readEnemySource(text.toStdString());
    QCOMPARE(read, slimeEnemy());
    QCOMPARE(palvorn::checkEnemy(read, false), std::nullopt);
    QCOMPARE(QByteArray::fromStdString(written(read)), golden());
}

// Enemies over the whole range of every value and sprite size: written,
// read, written again, the text is the same.
void TestEnemyReader::generatedEnemies()
{
    std::mt19937 random(20240517);
    for (int i = 0; i < 400; ++i) {
        const Enemy original = randomEnemy(random);
        QCOMPARE(palvorn::checkEnemy(original, false), std::nullopt);
        const std::string text = written(original);
        const Enemy read = palvorn::readEnemySource(text);
        const QByteArray what = "enemy " + QByteArray::number(i) + ":\n" + QByteArray::fromStdString(text);
        const char* context = what.constData();

        QVERIFY2(!palvorn::checkEnemy(read, false), context);
        QVERIFY2(written(read) == text, context);
        QVERIFY2(palvorn::readEnemySource(lf(QByteArray::fromStdString(text)).toStdString()) == read, context);
        // The normal sprite keeps its width through the placement; the
        // others come back as whole bytes.
        QVERIFY2(read.sprites[0] == original.sprites[0], context);
        for (std::size_t pose = 1; pose < read.sprites.size(); ++pose)
            QVERIFY2(samePixels(read.sprites[pose], original.sprites[pose]), context);
        const palvorn::EnemySettings& s = read.settings;
        const palvorn::EnemySettings& o = original.settings;
        QVERIFY2(s.name == o.name.substr(0, o.name.find_last_not_of(' ') + 1), context);
        QVERIFY2(s.minHP == std::to_string(palvorn::fieldValue(o.minHP)), context);
        QVERIFY2(s.money == std::to_string(palvorn::fieldValue(o.money)), context);
        QVERIFY2(s.item == o.item, context);
    }
}

void TestEnemyReader::edgeEnemies_data()
{
    QTest::addColumn<EnemyChange>("change");

    QTest::newRow("widest normal sprite, 208 x 7") << EnemyChange([](Enemy& e) { e.sprites[0] = Sprite(208, 7); });
    QTest::newRow("tallest normal sprite, 1 x 192") << EnemyChange([](Enemy& e) { e.sprites[0] = Sprite(1, 192); });
    QTest::newRow("normal sprite filling the screen") << EnemyChange([](Enemy& e) {
        e.sprites[0] = Sprite(96, 16);
        for (int x = 0; x < 96; ++x)
            e.sprites[0].setPixel(x, 15, true);
    });
    QTest::newRow("normal sprite 1 x 1, set") << EnemyChange([](Enemy& e) {
        e.sprites[0] = Sprite(1, 1);
        e.sprites[0].setPixel(0, 0, true);
    });
    QTest::newRow("normal sprite 9 wide, last column set") << EnemyChange([](Enemy& e) {
        e.sprites[0] = Sprite(9, 2);
        e.sprites[0].setPixel(8, 1, true);
    });
    QTest::newRow("sprite of 200 bytes in one row") << EnemyChange([](Enemy& e) { e.sprites[3] = Sprite(1600, 1); });
    QTest::newRow("sprite of 200 rows") << EnemyChange([](Enemy& e) { e.sprites[1] = Sprite(3, 200); });
    QTest::newRow("Min HP 255, Max HP 999") << EnemyChange([](Enemy& e) {
        e.settings.minHP = "255";
        e.settings.maxHP = "999";
    });
    QTest::newRow("Min HP 0, Max HP 999") << EnemyChange([](Enemy& e) {
        e.settings.minHP = "";
        e.settings.maxHP = "999";
    });
    QTest::newRow("Min HP 1, Max HP 999") << EnemyChange([](Enemy& e) {
        e.settings.minHP = "1";
        e.settings.maxHP = "999";
    });
    QTest::newRow("Max HP one above Min HP") << EnemyChange([](Enemy& e) { e.settings.maxHP = "21"; });
    QTest::newRow("no item, typed text") << EnemyChange([](Enemy& e) {
        e.settings.item = -1;
        e.settings.itemText = "Potion";
    });
    QTest::newRow("last item, money 99") << EnemyChange([](Enemy& e) {
        e.settings.item = 5;
        e.settings.itemText = "BLK Apple";
        e.settings.money = "99";
    });
    QTest::newRow("sliders at their lows") << EnemyChange([](Enemy& e) {
        e.settings.highDefense = e.settings.lowDefense = e.settings.highAttack = e.settings.lowAttack =
            e.settings.specialAttack = e.settings.attacks = 1;
        e.settings.blockChance = 2;
    });
    QTest::newRow("sliders at their highs") << EnemyChange([](Enemy& e) {
        e.settings.highDefense = e.settings.lowDefense = e.settings.highAttack = e.settings.lowAttack =
            e.settings.specialAttack = e.settings.attacks = e.settings.blockChance = 9;
    });
    QTest::newRow("name of 8 with inner spaces") << EnemyChange([](Enemy& e) { e.settings.name = "A b c  d"; });
    QTest::newRow("name with punctuation") << EnemyChange([](Enemy& e) { e.settings.name = "~x !'$,"; });
}

void TestEnemyReader::edgeEnemies()
{
    QFETCH(EnemyChange, change);

    Enemy original = slimeEnemy();
    change(original);
    QCOMPARE(palvorn::checkEnemy(original, false), std::nullopt);
    const std::string text = written(original);
    const Enemy read = palvorn::readEnemySource(text);
    QCOMPARE(palvorn::checkEnemy(read, false), std::nullopt);
    QCOMPARE(written(read), text);
    QCOMPARE(read.sprites[0], original.sprites[0]);
    QCOMPARE(read.settings.name, original.settings.name);
}

void TestEnemyReader::maxHP_data()
{
    QTest::addColumn<QByteArray>("minHP");
    QTest::addColumn<QByteArray>("increment");
    QTest::addColumn<QString>("maxHP");

    QTest::newRow("Min + 9 x increment") << QByteArray("20") << QByteArray("5") << "65";
    QTest::newRow("increment 0: one above Min") << QByteArray("20") << QByteArray("0") << "21";
    QTest::newRow("Min 0, increment 0") << QByteArray("0") << QByteArray("0") << "1";
    QTest::newRow("Min 255, increment 0") << QByteArray("255") << QByteArray("0") << "256";
    QTest::newRow("reaching 999 exactly") << QByteArray("9") << QByteArray("110") << "999";
    QTest::newRow("past 999, within rounding") << QByteArray("255") << QByteArray("83") << "999";
    QTest::newRow("largest increment") << QByteArray("1") << QByteArray("111") << "999";
}

void TestEnemyReader::maxHP()
{
    QFETCH(QByteArray, minHP);
    QFETCH(QByteArray, increment);
    QFETCH(QString, maxHP);

    const Enemy read = palvorn::readEnemySource(withValues(minHP + ',' + increment + ",5,4,6,3,7,3,5,2,15,61,88,72,3,1,2,1,2,1,2,1,2,1").toStdString());
    QCOMPARE(QString::fromStdString(read.settings.maxHP), maxHP);
    QCOMPARE(palvorn::checkEnemy(read, false), std::nullopt);
}

// For every Min HP and increment a byte holds: the file is read exactly when
// some Max HP the field takes gives that increment, and then the Max HP read
// is the one nearest Min + 9 x increment among those.
void TestEnemyReader::everyMinAndIncrement()
{
    const QByteArray g = golden();
    const QByteArray head = g.left(g.indexOf(" .db 20,5,") + 5);
    const QByteArray tail = g.mid(head.size() + 4);  // from ",5,4,6" on
    QVERIFY(tail.startsWith(",5,4,6,3,7,3,5,2,15,61,88,72,"));
    for (int minHP = 0; minHP <= 255; ++minHP) {
        std::map<int, int> nearest;  // increment -> Max HP nearest Min + 9 x increment
        for (int maxHP = minHP + 1; maxHP <= 999; ++maxHP) {
            const int increment = palvorn::hpIncrement(maxHP, minHP);
            const auto distance = [&](int m) { return std::abs(m - (minHP + 9 * increment)); };
            if (!nearest.count(increment) || distance(maxHP) < distance(nearest[increment]))
                nearest[increment] = maxHP;
        }
        for (int increment = -128; increment <= 255; ++increment) {
            const QByteArray text = head + QByteArray::number(minHP) + ',' + QByteArray::number(increment) + tail;
            const QByteArray what =
                "Min HP " + QByteArray::number(minHP) + ", increment " + QByteArray::number(increment);
            try {
                const Enemy read = palvorn::readEnemySource(text.toStdString());
                QVERIFY2(nearest.count(increment), (what + " read, though no Max HP gives it").constData());
                QVERIFY2(read.settings.maxHP == std::to_string(nearest[increment]),
                         (what + " read as Max HP " + QByteArray::fromStdString(read.settings.maxHP)).constData());
                QVERIFY2(QByteArray::fromStdString(written(read)) == text, what.constData());
            } catch (const ReadError& e) {
                QVERIFY2(!nearest.count(increment), (what + " refused: " + e.what()).constData());
                QCOMPARE(e.line(), 5);
            }
        }
    }
}

void TestEnemyReader::refusals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("says");

    const QByteArray g = golden();
    // Fixed lines.
    QTest::newRow("empty file") << QByteArray() << 1 << "found the end of the file";
    QTest::newRow("other first line") << withLine(g, 1, ";Created with something else") << 1
                                      << "expected \";Created with the Palvorn - External Enemy Maker\"";
    QTest::newRow("byte-order mark") << "\xef\xbb\xbf" + g << 1 << "found \"\\xEF\\xBB\\xBF;Created";
    QTest::newRow("CR alone as line end") << QByteArray(g).replace("\r\n", "\r") << 1 << "expected";
    QTest::newRow("notice without semicolon") << withLine(g, 2, "Enemy data") << 2 << "starting with \";\"";
    QTest::newRow("notice missing") << withLines(g, 2, {}) << 2 << "found \" .db \\\"PalvTRbt\\\"\"";
    QTest::newRow("other magic") << withLine(g, 3, " .db \"PalvTRbx\"") << 3 << "expected \" .db \\\"PalvTRbt\\\"\"";
    // The name.
    QTest::newRow("name not padded") << withLine(g, 4, " .db \"Slime\",0") << 4 << "padded with spaces to 8";
    QTest::newRow("name of 9") << withLine(g, 4, " .db \"Slimeball\",0") << 4 << "padded with spaces to 8";
    QTest::newRow("name without its 0") << withLine(g, 4, " .db \"Slime   \"") << 4 << "padded with spaces to 8";
    QTest::newRow("name of spaces") << withLine(g, 4, " .db \"        \",0") << 4 << "the name is empty";
    QTest::newRow("name with a quote") << withLine(g, 4, " .db \"Sl\"me   \",0") << 4 << "the name holds \"\\\"\"";
    QTest::newRow("name with a tab") << withLine(g, 4, " .db \"Sl\tme   \",0") << 4 << "the name holds \"\\x09\"";
    QTest::newRow("name with a slash") << withLine(g, 4, " .db \"Sl/me   \",0") << 4 << "the name holds \"/\"";
    QTest::newRow("name with a high byte") << withLine(g, 4, " .db \"Sl\xe9me   \",0") << 4 << "\\xE9";
    QTest::newRow("name starting with a digit") << withLine(g, 4, " .db \"9Lives  \",0") << 4
                                                << "no calculator program name";
    // The value line: its form.
    QTest::newRow("23 values") << withValues("20,5,5,4,6,3,7,3,5,2,15,61,88,72,3,1,2,1,2,1,2,1,2") << 5
                               << "expected 24 numbers separated by commas, found 23";
    QTest::newRow("25 values") << withValues("20,5,5,4,6,3,7,3,5,2,15,61,88,72,3,1,2,1,2,1,2,1,2,1,0") << 5
                               << "expected 24 numbers separated by commas, found 25";
    QTest::newRow("empty value") << withField(3, "") << 5 << "field 3 (High defense), written like 5 or -8, found \"\"";
    QTest::newRow("leading zero") << withField(1, "020") << 5 << "field 1 (Min HP), written like 5 or -8, found \"020\"";
    QTest::newRow("plus sign") << withField(2, "+5") << 5 << "found \"+5\"";
    QTest::newRow("minus zero") << withField(12, "-0") << 5 << "found \"-0\"";
    QTest::newRow("space after a comma") << withField(4, " 4") << 5 << "found \" 4\"";
    QTest::newRow("hex value") << withField(11, "$0F") << 5 << "found \"$0F\"";
    QTest::newRow("tab for the space") << withLine(g, 5, " .db\t20,5,5,4,6,3,7,3,5,2,15,61,88,72,3,1,2,1,2,1,2,1,2,1")
                                       << 5 << "expected the value line of 24 numbers";
    QTest::newRow("number of many digits") << withField(1, "100000000000000000020") << 5
                                           << "field 1 (Min HP) is ";
    // The value line: values the settings window never gives.
    QTest::newRow("Min HP 256") << withField(1, "256") << 5 << "field 1 (Min HP) is 256; the tool writes 0 to 255";
    QTest::newRow("high defense 0") << withField(3, "0") << 5 << "field 3 (High defense) is 0; the tool writes 1 to 9";
    QTest::newRow("attacks 10") << withField(9, "10") << 5 << "field 9 (Attacks) is 10; the tool writes 1 to 9";
    QTest::newRow("block chance 1") << withField(8, "1") << 5 << "field 8 (Block chance) is 1; the tool writes 2 to 9";
    QTest::newRow("item 7") << withField(10, "7") << 5 << "field 10 (Item) is 7; the tool writes 0 to 6";
    QTest::newRow("money 100") << withField(11, "100") << 5 << "field 11 (Money) is 100; the tool writes 0 to 99";
    QTest::newRow("RobotX -129") << withField(13, "-129") << 5 << "field 13 (RobotX) is -129";
    QTest::newRow("Min HP 0 with an increment") << withValues("0,1,5,4,6,3,7,3,5,2,15,61,88,72,3,1,2,1,2,1,2,1,2,1")
                                                << 5 << "the tool writes increment 0 when Min HP is 0";
    QTest::newRow("increment past Max HP 999") << withValues("255,84,5,4,6,3,7,3,5,2,15,61,88,72,3,1,2,1,2,1,2,1,2,1")
                                               << 5 << "no Max HP above Min HP and at most 999 gives it";
    QTest::newRow("negative increment") << withField(2, "-1") << 5 << "no Max HP above Min HP";
    QTest::newRow("RobotTo not RobotX - 16") << withField(14, "70") << 5 << "RobotTo is 70; the tool writes RobotX - 16 = 72";
    QTest::newRow("RobotX wider than the bytes") << withValues("20,5,5,4,6,3,7,3,5,2,15,61,80,64,3,1,2,1,2,1,2,1,2,1")
                                                 << 5 << "makes the normal sprite 16 pixels wide, which is 2 bytes per row";
    QTest::newRow("RobotX leaving no width") << withValues("20,5,5,4,6,3,7,3,5,2,15,61,96,80,3,1,2,1,2,1,2,1,2,1")
                                             << 5 << "must be at least 1";
    QTest::newRow("RobotY not the height") << withField(12, "60") << 5
                                           << "RobotY 60 makes the normal sprite 4 rows high, but field 15";
    QTest::newRow("sprite of no rows") << withField(17, "0") << 5 << "field 17 (High attack sprite height) is 0";
    QTest::newRow("sprite of no bytes per row") << withField(24, "0") << 5 << "(Hurt sprite bytes per row) is 0";
    QTest::newRow("sprite over 200 bytes") << withValues("20,5,5,4,6,3,7,3,5,2,15,61,88,72,3,1,101,2,2,1,2,1,2,1")
                                           << 5 << "the high attack sprite is 101 rows of 2 bytes, 202 bytes";
    // Sprite blocks.
    QTest::newRow("bad hex byte") << withLine(g, 7, " .db $3G") << 7 << "expected a byte like $3C";
    QTest::newRow("lower-case hex") << withLine(g, 8, " .db $ff") << 8 << "expected a byte like $3C";
    QTest::newRow("byte without $") << withLine(g, 9, " .db 0x81") << 9 << "expected a byte like $3C";
    QTest::newRow("byte of one digit") << withLine(g, 9, " .db $8") << 9 << "expected a byte like $3C";
    QTest::newRow("empty row") << withLine(g, 7, " .db ") << 7 << "expected a byte like $3C";
    QTest::newRow("row without .db") << withLine(g, 7, "$3C") << 7 << "expected row 1 of 3 of the normal sprite";
    QTest::newRow("CR CR LF") << withLine(g, 7, " .db $3C\r") << 7 << "expected the end of row 1 of 3";
    QTest::newRow("short row") << withLine(wideHurt(), 20, " .db $55") << 20
                               << "row 1 of 2 of the hurt sprite has 1 byte; expected 2";
    QTest::newRow("long row") << withLine(wideHurt(), 21, " .db $AA,$AA,$00") << 21
                              << "row 2 of 2 of the hurt sprite has more than 2 bytes";
    QTest::newRow("bytes without a comma") << withLine(wideHurt(), 20, " .db $55 $55") << 20
                                           << "expected a comma before byte 2";
    QTest::newRow("space after a row") << withLine(wideHurt(), 20, " .db $55,$55 ") << 20 << "expected the end of row 1";
    QTest::newRow("size line not the count") << withLine(g, 6, " .db 4") << 6
                                             << "expected the normal sprite's size line \" .db 3\" (3 rows of 1 byte";
    QTest::newRow("height above the rows") << withLine(withField(19, "3"), 13, " .db 3") << 16
                                           << "expected row 3 of 3 of the low attack sprite, found a size line";
    QTest::newRow("height below the rows") << withLine(withField(21, "1"), 16, " .db 1") << 18
                                           << "expected the hurt sprite's size line \" .db 2\" (2 rows of 1 byte on "
                                              "line 5), found a row";
    QTest::newRow("a row too many") << withLines(g, 9, {" .db $81", " .db $00"}) << 10
                                    << "found a row: the sprite before has more rows than its height";
    QTest::newRow("a row missing") << withLines(g, 9, {}) << 9
                                   << "expected row 3 of 3 of the normal sprite, found a size line";
    QTest::newRow("hurt sprite missing") << withLines(withLines(withLines(g, 21, {}), 20, {}), 19, {}) << 19
                                         << "expected the hurt sprite's size line \" .db 2\"";
    QTest::newRow("file ending in a sprite") << g.left(g.indexOf(" .db 2\r\n .db $55")) << 19
                                             << "the hurt sprite's size line \" .db 2\", found the end of the file";
    QTest::newRow("pixels right of the normal width")
        << withValues("20,5,5,4,6,3,7,3,5,2,15,61,90,74,3,1,2,1,2,1,2,1,2,1") << 8
        << "the normal sprite is 6 pixels wide (96 - RobotX), but row 2 of 3 of the normal sprite sets pixels";
    // The end.
    QTest::newRow(".end missing") << withLines(g, 22, {}) << 22 << "expected \".end\", found \"END\"";
    QTest::newRow("END missing") << g.left(g.indexOf("END\r\n")) << 23 << "expected \"END\", found the end of the file";
    QTest::newRow("END in lower case") << withLine(g, 23, "end") << 23 << "expected \"END\"";
    QTest::newRow("text after END") << g + "; more" << 24 << "expected only blank lines after \"END\", found \"; more\"";
    QTest::newRow("text after blank lines after END") << g + "\r\n  \r\n.end" << 26 << "expected only blank lines after \"END\"";
    QTest::newRow("text after END on its line") << withLine(g, 23, "END ;") << 23 << "expected \"END\", found \"END ;\"";
    QTest::newRow("name starting with a space") << withLine(g, 4, " .db \" Slime  \",0") << 4 << "starts with a space";
    QTest::newRow("CR alone after END") << g.chopped(1) << 23 << "found \"END\\x0D\"";
}

void TestEnemyReader::refusals()
{
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QString, says);

    try {
        palvorn::readEnemySource(std::string_view(text.constData(), std::size_t(text.size())));
        QFAIL("the file was read");
    } catch (const ReadError& e) {
        const QString message = QString::fromLatin1(e.what());
        QCOMPARE(e.line(), line);
        QVERIFY2(message.startsWith(QString("Line %1: ").arg(line)), qPrintable(message));
        QVERIFY2(message.contains(says), qPrintable(message));
    }
}

void TestEnemyReader::file_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");  // empty: read

    QTest::newRow("the golden file") << "golden" << "";
    QTest::newRow("exactly the bound, a long notice") << "at bound" << "";
    QTest::newRow("one byte over the bound") << "over bound" << "larger than 1024 KiB";
    QTest::newRow("4 GiB, sparse") << "sparse" << "larger than 1024 KiB";
    QTest::newRow("endless bytes") << "/dev/zero" << "larger than 1024 KiB";
    QTest::newRow("missing") << "missing" << "No such file or directory";
    QTest::newRow("a folder") << "folder" << "Is a directory";
}

// The file's bytes: read up to the bound and never past it, however long the
// file is or claims to be.
void TestEnemyReader::file()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath("Slime.asm");
    const auto write = [&path](const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    const QByteArray g = golden();
    const qint64 bound = qint64(palvorn::kMaxEnemyFileSize);
    const qint64 noticeRoom = bound - withLine(g, 2, ";").size();
    const QByteArray longNotice = withLine(g, 2, ";" + QByteArray(noticeRoom, 'n'));
    if (kind == "golden")
        QVERIFY(write(g));
    else if (kind == "at bound")
        QVERIFY(write(longNotice) && longNotice.size() == bound);
    else if (kind == "over bound")
        QVERIFY(write(withLine(g, 2, ";" + QByteArray(noticeRoom + 1, 'n'))));
    else if (kind == "sparse")
        QVERIFY(write(g) && QFile(path).resize(qint64(4) << 30));
    else if (kind == "/dev/zero")
        path = kind;
    else if (kind == "folder")
        path = dir.path();
    else
        QCOMPARE(kind, QString("missing"));

    QElapsedTimer timer;
    timer.start();
    try {
        const Enemy read = palvorn::readEnemyFile(path.toStdString());
        QVERIFY2(reason.isEmpty(), "the file was read");
        QCOMPARE(read, slimeEnemy());
    } catch (const palvorn::EnemyFileError& e) {
        QVERIFY2(!reason.isEmpty(), e.what());
        QCOMPARE(QString::fromStdString(e.path().string()), path);
        QVERIFY2(QString::fromStdString(e.reason()).contains(reason), e.what());
        QVERIFY2(QString::fromLocal8Bit(e.what()).contains(path), e.what());
    }
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
}

void TestEnemyReader::describeSlime()
{
    const QByteArray expected = readAll(QStringLiteral(PALVORN_TEST_DATA "/Slime.txt"));
    QCOMPARE(QByteArray::fromStdString(palvorn::describeEnemy(palvorn::readEnemySource(golden().toStdString()))),
             expected);
}

void TestEnemyReader::describeLines_data()
{
    QTest::addColumn<EnemyChange>("change");
    QTest::addColumn<QStringList>("lines");  // each must stand in the text as a whole line

    QTest::newRow("no item") << EnemyChange([](Enemy& e) {
        e.settings.item = -1;
        e.settings.itemText = std::string(palvorn::kNoItemText);
    }) << QStringList{"Item: 0 (none)"};
    QTest::newRow("Max HP shown through the increment") << EnemyChange([](Enemy& e) { e.settings.maxHP = "24"; })
                                                        << QStringList{"Min HP: 20", "HP increment: 0"};
    // Rows as wide as the heading says: the padding of the last byte is not drawn.
    QTest::newRow("narrow normal sprite: heading and rows its width") << EnemyChange([](Enemy& e) {
        e.sprites[0] = sprite(3, {"X.X", ".X."});
    }) << QStringList{"RobotX: 93", "RobotTo: 77", "RobotY: 62", "normal sprite (3 x 2, 2 bytes):", "X.X", ".X."};
    QTest::newRow("one byte") << EnemyChange([](Enemy& e) { e.sprites[2] = sprite(1, {"X"}); })
                              << QStringList{"low attack sprite (1 x 1, 1 byte):", "X"};
    QTest::newRow("two bytes a row") << EnemyChange([](Enemy& e) {
        e.sprites[4] = sprite(10, {"X........X"});
    }) << QStringList{"Hurt sprite height: 1", "Hurt sprite bytes per row: 2", "hurt sprite (10 x 1, 2 bytes):",
                      "X........X"};
}

void TestEnemyReader::describeLines()
{
    QFETCH(EnemyChange, change);
    QFETCH(QStringList, lines);

    Enemy e = slimeEnemy();
    change(e);
    const QStringList text = QString::fromStdString(palvorn::describeEnemy(e)).split('\n');
    for (const QString& line : lines)
        QVERIFY2(text.contains(line), qPrintable(line + " missing from:\n" + text.join('\n')));
}

void TestEnemyReader::fuzzFinds_data()
{
    QTest::addColumn<QString>("input");
    int rows = 0;
    for (const char* folder : {"corpus-reader", "regressions-reader"}) {
        const QDir dir(QStringLiteral(PALVORN_SOURCE_DIR "/fuzz/") + folder);
        for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
            QTest::newRow(qPrintable(QString("%1/%2").arg(folder, file))) << dir.filePath(file);
            ++rows;
        }
    }
    if (rows == 0)
        QTest::newRow("no inputs found") << QString();
}

// Every seed and every input the fuzzer found a fault with: refused with a
// line, or read into an enemy that writes the same file back.
void TestEnemyReader::fuzzFinds()
{
    QFETCH(QString, input);
    QVERIFY2(!input.isEmpty(), "fuzz/corpus-reader holds no inputs");
    const QString fault = readsBackOrRefuses(readAll(input));
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_GUILESS_MAIN(TestEnemyReader)
#include "tst_enemyreader.moc"
