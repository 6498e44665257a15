// The value line's table: for each field, every value the tool can give it
// is written in the field's place and read back as it was written.
#include <QtTest>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Create.h"
#include "EnemyReader.h"
#include "Rules.h"
#include "SlimeEnemy.h"
#include "ValueLine.h"

using palvorn::Enemy;
using palvorn::Field;
using palvorn::ValueField;

namespace {

// Number `field` of the value line (line 5) of a written file.
int numberInFile(const std::string& text, int field)
{
    std::size_t start = 0;
    for (int line = 1; line < 5; ++line)
        start = text.find('\n', start) + 1;
    std::string_view values(text.data() + start, text.find('\r', start) - start);
    values.remove_prefix(palvorn::kDb.size());
    for (int i = 0; i < field; ++i)
        values.remove_prefix(values.find(',') + 1);
    return std::stoi(std::string(values.substr(0, values.find(','))));
}

// The Slime, once for each value the window or the command line can give
// this field: a setting's whole range, or a derived field through what it is
// derived from (Max HP for the increment, the normal sprite for placement).
std::vector<Enemy> everyValue(const ValueField& row)
{
    std::vector<Enemy> enemies;
    const auto add = [&](auto change) {
        Enemy e = slimeEnemy();
        change(e);
        enemies.push_back(e);
    };
    switch (row.field) {
    case Field::Increment:
        for (int max = 2; max <= palvorn::largestOf(palvorn::kHPDigits); ++max)
            add([&](Enemy& e) {
                e.settings.minHP = "1";
                e.settings.maxHP = std::to_string(max);
            });
        return enemies;
    case Field::RobotY:
        for (int height = 1; height <= palvorn::kMaxNormalHeight; ++height)
            add([&](Enemy& e) { e.sprites[0] = palvorn::Sprite(1, height); });
        return enemies;
    case Field::RobotX:
    case Field::RobotTo:
        for (int width = 1; width <= palvorn::kMaxNormalWidth; ++width)
            add([&](Enemy& e) { e.sprites[0] = palvorn::Sprite(width, 1); });
        return enemies;
    default:
        break;
    }
    for (int value = row.range.minimum; value <= row.range.maximum; ++value)
        add([&](Enemy& e) {
            palvorn::EnemySettings& s = e.settings;
            if (row.slider)
                s.*row.slider = value;
            if (row.text)
                s.*row.text = std::to_string(value);
            if (row.field == Field::MinHP)
                s.maxHP = std::to_string(value + 1);
            if (row.field == Field::Item) {
                s.item = value - row.offset;
                s.itemText = s.item < 0 ? std::string(palvorn::kNoItemText)
                                        : std::string(palvorn::kItems[static_cast<std::size_t>(s.item)]);
            }
        });
    return enemies;
}

}  // namespace

class TestValueLine : public QObject {
    Q_OBJECT

private slots:
    void readsBackWhatItWrites_data();
    void readsBackWhatItWrites();
};

void TestValueLine::readsBackWhatItWrites_data()
{
    QTest::addColumn<int>("field");
    for (const ValueField& row : palvorn::kValueFields)
        QTest::newRow(std::string(row.name).c_str()) << static_cast<int>(row.field);
}

void TestValueLine::readsBackWhatItWrites()
{
    QFETCH(int, field);
    const ValueField& row = palvorn::kValueFields[static_cast<std::size_t>(field)];

    std::set<int> written;
    for (const Enemy& enemy : everyValue(row)) {
        QVERIFY(!palvorn::checkEnemy(enemy, false));
        const palvorn::EnemyValues values = palvorn::fileValues(enemy);
        const std::string text = palvorn::EnemySourceText(values);
        const int number = palvorn::fileNumber(values, row);
        const QByteArray context = QByteArray("writing ") + QByteArray::number(number);
        QVERIFY2(numberInFile(text, field) == number, context);

        Enemy back;
        try {
            back = palvorn::readEnemySource(text);
        } catch (const palvorn::ReadError& e) {
            QFAIL((context + ": " + e.what()).constData());
        }
        const palvorn::EnemyValues backValues = palvorn::fileValues(back);
        QVERIFY2(palvorn::fileNumber(backValues, row) == number, context);
        QVERIFY2(palvorn::EnemySourceText(backValues) == text, context);
        written.insert(number);
    }

    // A setting takes every value of its range; a derived field takes values
    // within it, none skipped between its lowest and highest.
    QVERIFY(!written.empty());
    QVERIFY(*written.begin() >= row.range.minimum);
    QVERIFY(*written.rbegin() <= row.range.maximum);
    QCOMPARE(static_cast<int>(written.size()), *written.rbegin() - *written.begin() + 1);
    if (row.slider || row.text || row.field == Field::Item)
        QCOMPARE(static_cast<int>(written.size()), row.range.maximum - row.range.minimum + 1);
}

QTEST_GUILESS_MAIN(TestValueLine)
#include "tst_valueline.moc"
