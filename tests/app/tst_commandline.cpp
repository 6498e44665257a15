// The command line run as a process, with no display: outputs, exit statuses,
// messages naming the option or file, and the same bytes the windows write.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "FileBytes.h"
#include "SlimePictures.h"

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// The program as a user runs it from a shell without any display: neither
// DISPLAY nor WAYLAND_DISPLAY nor a chosen platform plugin.
Run run(const QStringList& args, const QString& folder, const QString& pathFirst = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    if (!pathFirst.isEmpty())
        env.insert(QStringLiteral("PATH"), pathFirst + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(PALVORN_EXECUTABLE), args);
    Run result;
    if (!process.waitForFinished(60000))
        return result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

const QStringList kSlimeValues{"--name", "Slime", "--min-hp", "20", "--max-hp", "65", "--money", "15",
                               "--item", "heal LEAF", "--high-defense", "5", "--low-defense", "4",
                               "--high-attack", "6", "--low-attack", "3", "--special-attack", "7",
                               "--block-chance", "3", "--attacks", "5"};
const QStringList kPictures{"normal.bmp", "high.bmp", "low.bmp", "special.png", "hurt.bmp"};

}  // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void init();
    void createWritesWhatTheWindowsWrite();
    void defaults();
    void refusals_data();
    void refusals();
    void unwritableFolder();
    void build_data();
    void build();
    void show();
    void helpAndVersion();

private:
    QStringList slimeArgs(const QStringList& changes = {}) const;
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestCommandLine::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    const auto pictures = slimePictures();
    for (int i = 0; i < 5; ++i)
        QVERIFY(pictures[i].save(dir_->filePath(kPictures[i])));
}

// The Slime values with some options replaced or added ("--money=" drops it).
QStringList TestCommandLine::slimeArgs(const QStringList& changes) const
{
    QStringList args = kSlimeValues;
    for (int i = 0; i + 1 < changes.size(); i += 2) {
        const int at = args.indexOf(changes[i]);
        if (at >= 0 && changes[i + 1] == QLatin1String("<drop>"))
            args.remove(at, 2);
        else if (at >= 0)
            args[at + 1] = changes[i + 1];
        else
            args << changes[i] << changes[i + 1];
    }
    return QStringList{"create"} + args + kPictures;
}

void TestCommandLine::createWritesWhatTheWindowsWrite()
{
    const Run r = run(slimeArgs(), dir_->path());
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QStringLiteral("Wrote %1\n").arg(dir_->filePath("Slime.asm")));
    QCOMPARE(readAll(dir_->filePath("Slime.asm")), readAll(slimeGoldenPath()));
}

// Left-out sliders take the sliders' start, money 0, and --item none gives 0.
void TestCommandLine::defaults()
{
    const Run r = run({"create", "--name", "Bat", "--min-hp", "10", "--max-hp", "19", "--item", "none",
                       "--folder", "out", "normal.bmp", "high.bmp", "low.bmp", "special.png", "hurt.bmp"},
                      dir_->path());
    QCOMPARE(r.status, 2);  // the folder does not exist yet: nothing written
    QVERIFY(QDir(dir_->path()).mkpath("out"));
    const Run again = run({"create", "--name", "Bat", "--min-hp", "10", "--max-hp", "19", "--item", "none",
                           "--folder", "out", "normal.bmp", "high.bmp", "low.bmp", "special.png", "hurt.bmp"},
                          dir_->path());
    QCOMPARE(again.status, 0);
    const QList<QByteArray> lines = readAll(dir_->filePath("out/Bat.asm")).split('\n');
    QVERIFY(lines.size() > 5);
    QCOMPARE(lines[4], QByteArray(" .db 10,1,5,5,5,5,5,5,5,0,0,61,88,72,3,1,2,1,2,1,2,1,2,1\r"));
}

void TestCommandLine::refusals_data()
{
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QString>("message");  // the start of standard error after "palvorn-enemy-creator: "

    QTest::newRow("item not chosen") << QStringList{"--item", "Select Item"} << "--item: \"Select Item\" is not an item";
    QTest::newRow("unknown item") << QStringList{"--item", "Bone"} << "--item: \"Bone\" is not an item";
    QTest::newRow("max not above min") << QStringList{"--max-hp", "20"} << "--max-hp: Max HP must be higher than Min HP!";
    QTest::newRow("min over a byte") << QStringList{"--min-hp", "300", "--max-hp", "999"}
                                     << "--min-hp: Min HP can be at most 255";
    QTest::newRow("min not a number") << QStringList{"--min-hp", "2x"} << "--min-hp: Min HP takes a whole number";
    QTest::newRow("money of three digits") << QStringList{"--money", "100"} << "--money: Base Money takes";
    QTest::newRow("slider out of range") << QStringList{"--block-chance", "1"}
                                         << "--block-chance: takes a whole number from 2 to 9";
    QTest::newRow("name of a digit first") << QStringList{"--name", "9Lives"} << "--name: The name \"9Lives\" gives no";
    QTest::newRow("name leaving the folder") << QStringList{"--name", "../x"} << "--name: The name \"../x\" cannot";
    QTest::newRow("missing name") << QStringList{"--name", "<drop>"} << "--name: is missing";
    QTest::newRow("unknown option") << QStringList{"--colour", "red"} << "--colour: is not an option";
    QTest::newRow("picture not a picture") << QStringList{"--picture-fault", "high.bmp"} << "high.bmp: ";
    QTest::newRow("hurt over the limit") << QStringList{"--picture-fault", "hurt.bmp"}
                                         << "hurt.bmp: The hurt sprite packs into 240 bytes; the limit is 200.";
}

// Exit status 1, one message naming the option or file, nothing written.
void TestCommandLine::refusals()
{
    QFETCH(QStringList, changes);
    QFETCH(QString, message);

    QStringList args;
    if (changes.first() == QLatin1String("--picture-fault")) {
        args = slimeArgs();
        if (changes[1] == QLatin1String("high.bmp")) {
            QFile file(dir_->filePath("high.bmp"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("BM not a bitmap");
        } else {
            QImage big(41, 40, QImage::Format_RGB32);
            big.fill(Qt::black);
            QVERIFY(big.save(dir_->filePath("hurt.bmp")));
        }
    } else {
        args = slimeArgs(changes);
    }
    const Run r = run(args, dir_->path());
    QCOMPARE(r.status, 1);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.startsWith(QStringLiteral("palvorn-enemy-creator: ") + message), qPrintable(r.err));
    QCOMPARE(QDir(dir_->path()).entryList({"*.asm", "*.tmp*"}, QDir::Files), QStringList{});
}

void TestCommandLine::unwritableFolder()
{
    QFile blocker(dir_->filePath("file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Run r = run(slimeArgs({"--folder", "file"}), dir_->path());
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains(QStringLiteral("Slime.asm could not be written")), qPrintable(r.err));
}

void TestCommandLine::build_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("report");

    QTest::addColumn<bool>("assemblerFails");

    QTest::newRow("built") << "Slime" << 0 << "Built Slime.8XP (" << false;
    QTest::newRow("name with a space") << "Big Rat" << 0 << "Built Big Rat.8XP (" << false;
    QTest::newRow("assembler fails") << "Slime" << 3 << "Build failed:\nasm.sh: building Slime.8XP from Slime.asm failed."
                                     << true;
}

// --build runs the program's build script in --folder and waits.
void TestCommandLine::build()
{
    QFETCH(QString, name);
    QFETCH(int, status);
    QFETCH(QString, report);
    QFETCH(bool, assemblerFails);

    // An assembler of the same name that fails, found first on the PATH.
    QString pathFirst;
    if (assemblerFails) {
        QVERIFY(QDir(dir_->path()).mkpath("tools"));
        QFile pasmo(dir_->filePath("tools/pasmo"));
        QVERIFY(pasmo.open(QIODevice::WriteOnly));
        pasmo.write("#!/bin/sh\necho 'ERROR on line 5: Value expected' >&2\nexit 1\n");
        pasmo.close();
        pasmo.setPermissions(QFile::ReadOwner | QFile::ExeOwner | QFile::WriteOwner);
        pathFirst = dir_->filePath("tools");
    }
    QVERIFY(QDir(dir_->path()).mkpath("out"));
    const Run built = run(QStringList{"create", "--build", "--folder", dir_->filePath("out")} +
                              slimeArgs({"--name", name}).mid(1),
                          dir_->path(), pathFirst);
    QVERIFY2(built.status == status, qPrintable(built.err));
    QVERIFY2((built.out + built.err).contains(report), qPrintable(built.out + built.err));
    QCOMPARE(QFile::exists(dir_->filePath("out/" + name + ".8XP")), !assemblerFails);
}

void TestCommandLine::show()
{
    const Run r = run({"show", slimeGoldenPath()}, dir_->path());
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out.toUtf8(), readAll(QStringLiteral(PALVORN_SOURCE_DIR "/tests/core/data/Slime.txt")));

    QFile damaged(dir_->filePath("damaged.asm"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    QByteArray bytes = readAll(slimeGoldenPath());
    bytes.replace("$3C", "$3G");
    damaged.write(bytes);
    damaged.close();
    const Run bad = run({"show", "damaged.asm"}, dir_->path());
    QCOMPARE(bad.status, 1);
    QVERIFY2(bad.err.startsWith(QStringLiteral("palvorn-enemy-creator: damaged.asm: Line 7: expected a byte like $3C")),
             qPrintable(bad.err));
}

void TestCommandLine::helpAndVersion()
{
    const Run help = run({"--help"}, dir_->path());
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.contains(QStringLiteral("palvorn-enemy-creator create --name NAME")));
    const Run version = run({"--version"}, dir_->path());
    QCOMPARE(version.status, 0);
    QVERIFY(version.out.startsWith(QStringLiteral("palvorn-enemy-creator ")));
    const Run unknown = run({"frobnicate"}, dir_->path());
    QCOMPARE(unknown.status, 1);
    // Without arguments and without a display, the windows cannot open: the
    // message says so and points to the command line.
    const Run windows = run({}, dir_->path());
    QCOMPARE(windows.status, 1);
    QVERIFY2(windows.err.contains(QStringLiteral("xvfb-run")) && windows.err.contains(QStringLiteral("create")),
             qPrintable(windows.err));
    // One enemy file, as a desktop's "Open with" passes it, is for the
    // windows (here without a display), not an unknown command; two are not.
    QVERIFY(QFile::copy(slimeGoldenPath(), dir_->filePath(QStringLiteral("Slime.asm"))));
    for (const QString& file : {QStringLiteral("Slime.asm"), QStringLiteral("Gone.ASM")}) {
        const Run open = run({file}, dir_->path());
        QCOMPARE(open.status, 1);
        QVERIFY2(open.err.contains(QStringLiteral("needs a graphical display")), qPrintable(open.err));
    }
    const Run two = run({"Slime.asm", "Slime.asm"}, dir_->path());
    QCOMPARE(two.status, 1);
    QVERIFY2(two.err.contains(QStringLiteral("unknown command")), qPrintable(two.err));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
