// The settings window's texts without a window.
#include <QtTest>

#include "SettingsRules.h"

class TestSettingsRules : public QObject {
    Q_OBJECT

private slots:
    void instruction_data();
    void instruction();
    void nameCharacters_data();
    void nameCharacters();
};

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
    QCOMPARE(nameFieldTakes(name), allowed);
}

QTEST_GUILESS_MAIN(TestSettingsRules)
#include "tst_settingsrules.moc"
