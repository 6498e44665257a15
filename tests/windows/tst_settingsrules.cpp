// The settings window's computations without a window.
#include <QtTest>

#include "SettingsRules.h"

Q_DECLARE_METATYPE(CreateCheck)

class TestSettingsRules : public QObject {
    Q_OBJECT

private slots:
    void increment_data();
    void increment();
    void checks_data();
    void checks();
    void instruction_data();
    void instruction();
    void nameCharacters_data();
    void nameCharacters();
};

void TestSettingsRules::increment_data()
{
    QTest::addColumn<QString>("maxHP");
    QTest::addColumn<QString>("minHP");
    QTest::addColumn<QString>("expected");

    QTest::newRow("100 over 10") << "100" << "10" << "10";
    QTest::newRow("50 over 10, 4.44 rounds down") << "50" << "10" << "4";
    QTest::newRow("15 over 10, 0.56 rounds up") << "15" << "10" << "1";
    QTest::newRow("14 over 10, 0.44 rounds down") << "14" << "10" << "0";
    QTest::newRow("10 under 50, -4.44 keeps its sign") << "10" << "50" << "-4";
    QTest::newRow("1 under 10, -1") << "1" << "10" << "-1";
    QTest::newRow("5 with empty min") << "5" << "" << "0";
    QTest::newRow("empty max") << "" << "10" << "0";
    QTest::newRow("0 max") << "0" << "10" << "0";
    QTest::newRow("largest fields") << "999" << "1" << "111";
}

void TestSettingsRules::increment()
{
    QFETCH(QString, maxHP);
    QFETCH(QString, minHP);
    QFETCH(QString, expected);
    QCOMPARE(incrementText(maxHP, minHP), expected);
}

void TestSettingsRules::checks_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("maxHP");
    QTest::addColumn<QString>("minHP");
    QTest::addColumn<QString>("name");
    QTest::addColumn<CreateCheck>("expected");

    QTest::newRow("Select Item with good HP") << "Select Item" << "100" << "50" << "Robot" << CreateCheck::ItemMissing;
    QTest::newRow("Select Item before bad HP") << "Select Item" << "50" << "50" << "Robot" << CreateCheck::ItemMissing;
    QTest::newRow("Select Item before empty name") << "Select Item" << "100" << "50" << "" << CreateCheck::ItemMissing;
    QTest::newRow("typed in lower case") << "select item" << "100" << "50" << "Robot" << CreateCheck::Proceed;
    QTest::newRow("typed other text") << "Bone" << "100" << "50" << "Robot" << CreateCheck::Proceed;
    QTest::newRow("empty item text") << "" << "100" << "50" << "Robot" << CreateCheck::Proceed;
    QTest::newRow("100 over 50") << "Potion" << "100" << "50" << "Robot" << CreateCheck::Proceed;
    QTest::newRow("50 equal 50") << "Potion" << "50" << "50" << "Robot" << CreateCheck::HPOrderWrong;
    QTest::newRow("empty max") << "Potion" << "" << "50" << "Robot" << CreateCheck::HPOrderWrong;
    QTest::newRow("both empty") << "Potion" << "" << "" << "Robot" << CreateCheck::HPOrderWrong;
    QTest::newRow("5 over empty min") << "Potion" << "5" << "" << "Robot" << CreateCheck::Proceed;
    QTest::newRow("numbers, not text order") << "Potion" << "100" << "99" << "Robot" << CreateCheck::Proceed;
    QTest::newRow("empty name") << "Potion" << "100" << "50" << "" << CreateCheck::NameMissing;
    QTest::newRow("empty name after bad HP") << "Potion" << "5" << "50" << "" << CreateCheck::HPOrderWrong;
}

void TestSettingsRules::checks()
{
    QFETCH(QString, item);
    QFETCH(QString, maxHP);
    QFETCH(QString, minHP);
    QFETCH(QString, name);
    QFETCH(CreateCheck, expected);
    QCOMPARE(checkCreate(item, maxHP, minHP, name), expected);
}

void TestSettingsRules::instruction_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Slime") << "Slime" << "This program will create the files Slime.8XP.";
    QTest::newRow("empty") << "" << "This program will create the files .8XP.";
}

void TestSettingsRules::instruction()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(instructionLine(name), expected);
}

void TestSettingsRules::nameCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("letters, digits, space") << "Big Bat2" << true;
    QTest::newRow("single quote and shell characters") << "a'b;$(x)" << true;
    QTest::newRow("dots") << "..." << true;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("double quote") << "a\"b" << false;
    QTest::newRow("tab") << "a\tb" << false;
    QTest::newRow("line feed") << "a\nb" << false;
    QTest::newRow("delete") << "a\x7f" << false;
    QTest::newRow("latin-1 letter") << QStringLiteral("caf\u00E9") << false;
    QTest::newRow("greek letter") << QStringLiteral("\u03A9") << false;
    QTest::newRow("non-breaking space") << QStringLiteral("a\u00A0b") << false;
#ifdef Q_OS_WIN
    QTest::newRow("star") << "a*" << false;
    QTest::newRow("colon") << "c:x" << false;
    QTest::newRow("percent") << "%PATH%" << false;
#else
    QTest::newRow("star") << "a*" << true;
    QTest::newRow("colon") << "c:x" << true;
#endif
}

void TestSettingsRules::nameCharacters()
{
    QFETCH(QString, name);
    QFETCH(bool, allowed);
    QCOMPARE(nameAllowed(name), allowed);
}

QTEST_GUILESS_MAIN(TestSettingsRules)
#include "tst_settingsrules.moc"
