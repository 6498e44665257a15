// The command line's send: its options, its file, its exit statuses and
// messages, against the fake calculator (in process) and, for what needs no
// calculator, as the installed program runs.

#include <QtTest>

#include <cstdio>

#include "BuiltPrograms.h"
#include "FakeCalculator.h"
#include "SendCommand.h"
#include "TiLink.h"

namespace {

using Behaviour = FakeCalculator::Behaviour;

// What a run of send printed and returned.
struct Run {
    int status = -1;
    QString out;
    QString err;
};

QString drain(std::FILE* f)
{
    std::fflush(f);
    std::rewind(f);
    QByteArray bytes;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, qsizetype(n));
    std::fclose(f);
    return QString::fromLocal8Bit(bytes);
}

}  // namespace

Q_DECLARE_METATYPE(Behaviour)

class TestSendCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void exitStatus_data();
    void exitStatus();
    void programRefusesWithoutCalculator_data();
    void programRefusesWithoutCalculator();

private:
    BuiltPrograms programs_;
};

void TestSendCommand::initTestCase()
{
    const QString built = programs_.build("Slime", BuiltPrograms::golden());
    QVERIFY2(built.isEmpty(), qPrintable(built));
    QFile lone(programs_.path("Lone.asm"));
    QVERIFY(lone.open(QIODevice::WriteOnly));
    lone.write(BuiltPrograms::golden());
    QFile text(programs_.path("Text.8XP"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a program\n");
}

void TestSendCommand::exitStatus_data()
{
    QTest::addColumn<QStringList>("arguments");  // DIR/ stands for the folder of the built programs
    QTest::addColumn<Behaviour>("behaviour");
    QTest::addColumn<bool>("calculatorListed");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");  // on standard output when 0, else on standard error

    const auto ok = Behaviour::Accepts;
    QTest::newRow("sent") << QStringList{"DIR/Slime.8XP"} << ok << true << 0 << "Sent Slime.8XP to the TI-84 Plus";
    QTest::newRow("NAME.asm sends the NAME.8XP beside it")
        << QStringList{"--cable", "usb", "--calc", "84+", "DIR/Slime.asm"} << ok << true << 0
        << "Sent Slime.8XP to the TI-84 Plus";
    QTest::newRow("options after the file") << QStringList{"DIR/Slime.8XP", "--calc=84+CE"} << ok << true << 0
                                            << "Sent Slime.8XP";
    QTest::newRow("out of memory") << QStringList{"DIR/Slime.8XP"} << Behaviour::OutOfMemory << true << 4
                                   << "palvorn-enemy-creator: The calculator does not have enough free RAM for "
                                      "SLIME (59 bytes).";
    QTest::newRow("silent") << QStringList{"DIR/Slime.8XP"} << Behaviour::Silent << true << 4
                            << "The calculator did not answer.";
    QTest::newRow("no permission") << QStringList{"DIR/Slime.8XP"} << Behaviour::OpenFails << true << 4
                                   << "this account may not use it";
    QTest::newRow("no calculator") << QStringList{"DIR/Slime.8XP"} << ok << false << 4
                                   << "No calculator found. Connect the cable, turn the calculator on at the home "
                                      "screen, and try again.";
    QTest::newRow("unknown cable") << QStringList{"--cable", "serial", "DIR/Slime.8XP"} << ok << true << 1
                                   << "--cable: \"serial\" is not auto, usb or silverlink";
    QTest::newRow("unknown calculator") << QStringList{"--calc", "89", "DIR/Slime.8XP"} << ok << true << 1
                                        << "--calc: \"89\" is not auto, 83+, 84+ or 84+ce";
    QTest::newRow("TI-83 Plus over USB") << QStringList{"--calc", "83+", "--cable", "usb", "DIR/Slime.8XP"} << ok
                                         << true << 1 << "has no USB port";
    QTest::newRow("unknown option") << QStringList{"--fast", "DIR/Slime.8XP"} << ok << true << 1 << "fast";
    QTest::newRow("option without value") << QStringList{"DIR/Slime.8XP", "--cable"} << ok << true << 1 << "cable";
    QTest::newRow("no file") << QStringList{} << ok << true << 1 << "takes one file";
    QTest::newRow("two files") << QStringList{"DIR/Slime.8XP", "DIR/Slime.8XP"} << ok << true << 1
                               << "2 given";
    QTest::newRow("NAME.asm not built") << QStringList{"DIR/Lone.asm"} << ok << true << 1
                                        << "no Lone.8XP beside it";
    QTest::newRow("missing file") << QStringList{"DIR/Gone.8XP"} << ok << true << 1 << "Gone.8XP: no such file";
    QTest::newRow("not a program file") << QStringList{"DIR/Text.8XP"} << ok << true << 1
                                        << "Text.8XP: is not a TI-83 Plus / TI-84 Plus program file";
}

// The statuses: 0 sent, 1 refused input (the calculator never asked for),
// 4 the cable or the calculator failed; each with its message.
void TestSendCommand::exitStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(Behaviour, behaviour);
    QFETCH(bool, calculatorListed);
    QFETCH(int, status);
    QFETCH(QString, says);
    for (QString& a : arguments)
        a.replace("DIR/", programs_.dir.path() + "/");

    FakeCalculator fake;
    fake.protocol = FakeCalculator::Protocol::Usb;
    fake.behaviour = behaviour;
    bool asked = false;
    const calclink::CableFactory usb = fake.factory(CALC_TI84P_USB, "TI-84 Plus");
    const calclink::CableFactory factory = [&](const calclink::Options& options) {
        asked = true;
        if (!calculatorListed)
            return calclink::Found{std::nullopt, calclink::Failure::NoCalculator,
                                   "No calculator found. Connect the cable, turn the calculator on at the home "
                                   "screen, and try again."};
        return usb(options);
    };
    // Whatever happens, NAME.asm and NAME.8XP are only read.
    const auto snapshot = [this] {
        QStringList files;
        for (const char* name : {"Slime.asm", "Slime.8XP"}) {
            QFile f(programs_.path(name));
            files << (f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().toHex()) : QString()) +
                         QFileInfo(f).lastModified().toString(Qt::ISODateWithMs);
        }
        return files;
    };
    const QStringList before = snapshot();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    QVERIFY(out && err);
    Run run;
    run.status = runSend(arguments, factory, out, err);
    run.out = drain(out);
    run.err = drain(err);

    QCOMPARE(run.status, status);
    const QString& shown = status == 0 ? run.out : run.err;
    QVERIFY2(shown.contains(says), qPrintable(run.out + "|" + run.err));
    QCOMPARE(asked, status != 1);
    QCOMPARE(fake.ended, status == 0);
    if (status != 0)
        QCOMPARE(run.out, QString());
    QCOMPARE(snapshot(), before);
}

void TestSendCommand::programRefusesWithoutCalculator_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("says");
    QTest::newRow("unknown cable") << QStringList{"send", "--cable", "serial", "x.8XP"} << "--cable";
    QTest::newRow("missing file") << QStringList{"send", "DIR/Gone.8XP"} << "Gone.8XP: no such file";
    QTest::newRow("NAME.asm not built") << QStringList{"send", "DIR/Lone.asm"} << "no Lone.8XP beside it";
}

// The program itself takes the word send and refuses before looking for a
// cable (no display needed); its help names it.
void TestSendCommand::programRefusesWithoutCalculator()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, says);
    for (QString& a : arguments)
        a.replace("DIR/", programs_.dir.path() + "/");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(PALVORN_EXECUTABLE), arguments);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(says), qPrintable(err));
    QVERIFY2(!err.contains("ticables") && !err.contains("CRITICAL"), qPrintable(err));

    QProcess help;
    help.start(QStringLiteral(PALVORN_EXECUTABLE), {"--help"});
    QVERIFY(help.waitForFinished(30000));
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    QVERIFY(text.contains("palvorn-enemy-creator send [--cable auto|usb|silverlink]"));
    QVERIFY(text.contains("4 the cable or the calculator failed"));
}

QTEST_GUILESS_MAIN(TestSendCommand)
#include "tst_sendcommand.moc"
