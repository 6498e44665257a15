// The command line run as a process, with no display: outputs, exit statuses,
// messages naming the option or file, and the same bytes the windows write.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "Convert.h"
#include "FileBytes.h"
#include "SavePicture.h"
#include "Scale.h"
#include "SlimePictures.h"
#include "SpriteOps.h"
#include "TakePicture.h"

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// The program as a user runs it from a shell without any display: neither
// DISPLAY nor WAYLAND_DISPLAY nor a chosen platform plugin.
// With display set, a platform plugin is there for windows to open on.
Run run(const QStringList& args, const QString& folder, const QString& pathFirst = {}, bool display = false)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    if (display)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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
    void strictArguments_data();
    void strictArguments();
    void fileOpensTheWindows();
    void replacing_data();
    void replacing();
    void pictureNotes();
    void notesFollowTheConversion();
    void pictureSteps_data();
    void pictureSteps();
    void scaleFitAndConversion_data();
    void scaleFitAndConversion();
    void sheetGivesWhatFivePicturesGive_data();
    void sheetGivesWhatFivePicturesGive();
    void sheetRefusals_data();
    void sheetRefusals();
    void exportWrites();
    void exportRefusals_data();
    void exportRefusals();
    void messages_data();
    void messages();
    void showStatesRowWidths();
    void exportAddsTheExtension_data();
    void exportAddsTheExtension();

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
    QTest::newRow("name with spaces at its ends") << QStringList{"--name", " Rat "}
                                                  << "--name: The name \" Rat \" cannot be used";
    QTest::newRow("name leaving the folder") << QStringList{"--name", "../x"} << "--name: The name \"../x\" cannot";
    QTest::newRow("missing name") << QStringList{"--name", "<drop>"} << "--name: is missing";
    QTest::newRow("unknown option") << QStringList{"--colour", "red"} << "--colour: is not an option";
    QTest::newRow("unknown conversion") << QStringList{"--convert", "blur"}
                                        << "--convert: \"blur\" is not a conversion; the conversions are exact, "
                                           "threshold, floyd-steinberg, atkinson, ordered\n";
    for (const char* threshold : {"0", "100", "050", "4x", ""})
        QTest::addRow("threshold \"%s\"", threshold)
            << QStringList{"--convert", "ordered", "--threshold", threshold}
            << QStringLiteral("--threshold: takes a whole number from 1 to 99; \"%1\" is not one\n").arg(threshold);
    QTest::newRow("threshold without a conversion")
        << QStringList{"--threshold", "40"} << "--threshold: counts only with a --convert other than exact\n";
    // Once too large to keep for converting; now converted, then measured.
    QTest::newRow("converted picture over the limit")
        << QStringList{"--picture-fault", "normal.bmp", "--convert", "atkinson"}
        << "normal.bmp: The normal sprite packs into 132096 bytes; the limit is 200.";
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
        } else if (changes[1] == QLatin1String("normal.bmp")) {
            QImage big(1025, 1024, QImage::Format_RGB32);  // over the old bound of a kept picture
            big.fill(Qt::black);
            QVERIFY(big.save(dir_->filePath("normal.bmp")));
            args = slimeArgs(changes.mid(2));
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
    for (const char* option : {"[--convert exact|threshold|floyd-steinberg|atkinson|ordered]", "[--threshold N]",
                               "[--invert]", "[--flip-h]", "[--flip-v]", "[--trim]",
                               "in the order convert,\n              invert, flip-h, flip-v, trim"})
        QVERIFY2(help.out.contains(QLatin1String(option)), option);
    const Run version = run({"--version"}, dir_->path());
    QCOMPARE(version.status, 0);
    QVERIFY(version.out.startsWith(QStringLiteral("palvorn-enemy-creator ")));
    QVERIFY2(version.out.contains(QStringLiteral("GPL-3.0-or-later")), qPrintable(version.out));
    const Run unknown = run({"frobnicate"}, dir_->path());
    QCOMPARE(unknown.status, 1);
    // Without arguments and without a display, the windows cannot open: the
    // message says so and points to the command line.
    const Run windows = run({}, dir_->path());
    QCOMPARE(windows.status, 1);
    QVERIFY2(windows.err.contains(QStringLiteral("xvfb-run")) && windows.err.contains(QStringLiteral("create")),
             qPrintable(windows.err));
    // One existing enemy file, as a desktop's "Open with" passes it, is for
    // the windows (here without a display), not a refused argument; a missing
    // file and a second argument are refused in strictArguments.
    QVERIFY(QFile::copy(slimeGoldenPath(), dir_->filePath(QStringLiteral("Slime.asm"))));
    const Run open = run({"Slime.asm"}, dir_->path());
    QCOMPARE(open.status, 1);
    QVERIFY2(open.err.contains(QStringLiteral("needs a graphical display")), qPrintable(open.err));
}

void TestCommandLine::strictArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("display");
    QTest::addColumn<QString>("message");  // the start of standard error after "palvorn-enemy-creator: "

    for (const bool display : {false, true}) {
        const char* where = display ? "with a display" : "without a display";
        QTest::addRow("unknown option, %s", where) << QStringList{"--frobnicate"} << display
                                                    << "\"--frobnicate\" is not an option";
        QTest::addRow("toolkit option, %s", where) << QStringList{"-platform", "xcb"} << display
                                                    << "\"-platform\" is not an option";
        QTest::addRow("missing file, %s", where) << QStringList{"Slime.asm"} << display
                                                  << "\"Slime.asm\" is neither a command nor an existing file";
        QTest::addRow("file and a stray argument, %s", where) << QStringList{"normal.bmp", "x"} << display
                                                               << "\"normal.bmp\" is neither a command";
    }
    QTest::newRow("show with two files") << QStringList{"show", "a.asm", "b.asm"} << false
                                         << "show: takes one enemy source file";
    QTest::newRow("stray picture") << (QStringList{"create", "--name", "Bat", "--min-hp", "1", "--max-hp", "9", "--item",
                                                   "none"} + kPictures + QStringList{"normal.bmp"})
                                   << false << "create: needs five pictures";
}

// Anything the command line does not know is refused with status 1, and
// never opens the windows instead.
void TestCommandLine::strictArguments()
{
    QFETCH(QStringList, args);
    QFETCH(bool, display);
    QFETCH(QString, message);
    const Run r = run(args, dir_->path(), {}, display);
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.startsWith(QStringLiteral("palvorn-enemy-creator: ") + message), qPrintable(r.err));
}

// A single existing file opens the windows with it, as Open does.
void TestCommandLine::fileOpensTheWindows()
{
    QVERIFY(writeFile(dir_->filePath("Slime.asm"), readAll(slimeGoldenPath())));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_->filePath("config"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir_->path());
    process.start(QStringLiteral(PALVORN_EXECUTABLE), {QStringLiteral("Slime.asm")});
    QVERIFY(process.waitForStarted());
    // The windows stay open until closed; the command line would have ended.
    QVERIFY(!process.waitForFinished(1500));
    process.kill();
    process.waitForFinished();
    QVERIFY2(!process.readAllStandardError().contains("Line"), "the file was refused");
}

void TestCommandLine::replacing_data()
{
    QTest::addColumn<QByteArray>("there");  // what Slime.asm holds first; empty: no file
    QTest::addColumn<bool>("force");
    QTest::addColumn<int>("status");

    const QByteArray golden = readAll(slimeGoldenPath());
    const QByteArray other = QByteArray(golden).replace(" .db 20,", " .db 21,");
    QTest::newRow("no file") << QByteArray() << false << 0;
    QTest::newRow("the same bytes") << golden << false << 0;
    QTest::newRow("another enemy") << other << false << 1;
    QTest::newRow("another enemy, --force") << other << true << 0;
}

// Every run makes a new enemy: replacing another enemy's file needs --force.
void TestCommandLine::replacing()
{
    QFETCH(QByteArray, there);
    QFETCH(bool, force);
    QFETCH(int, status);
    const QString target = dir_->filePath("Slime.asm");
    if (!there.isEmpty())
        QVERIFY(writeFile(target, there));
    QStringList args = slimeArgs();
    if (force)
        args.insert(1, QStringLiteral("--force"));
    const Run r = run(args, dir_->path());
    QCOMPARE(r.status, status);
    if (status == 0) {
        QCOMPARE(readAll(target), readAll(slimeGoldenPath()));
        return;
    }
    QCOMPARE(readAll(target), there);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.err, QStringLiteral("palvorn-enemy-creator: %1: holds another enemy; it was kept and nothing was "
                                   "written (--force replaces it)\n").arg(target));
}

// The notes the picture box shows go to standard error, naming the file and pose.
void TestCommandLine::pictureNotes()
{
    QImage dark = slimePictures()[1];
    dark.setPixel(0, 0, qRgb(30, 30, 30));
    dark.setPixel(1, 0, qRgb(30, 30, 30));
    QVERIFY(dark.save(dir_->filePath("high.bmp")));
    QImage blank(8, 3, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QVERIFY(blank.save(dir_->filePath("hurt.bmp")));
    const Run r = run(slimeArgs({"--name", "Noted"}), dir_->path());
    QCOMPARE(r.status, 0);
    const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith(QStringLiteral("palvorn-enemy-creator: high.bmp: high attack sprite: 2 dark pixels")),
             qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith(QStringLiteral("palvorn-enemy-creator: hurt.bmp: hurt sprite: ")), qPrintable(lines[1]));
}

// The notes count the dark pixels the final sprite leaves clear: those a
// threshold or an invert sets are no longer noted.
void TestCommandLine::notesFollowTheConversion()
{
    QImage dark = slimePictures()[1];
    dark.setPixel(0, 1, qRgb(30, 30, 30));
    dark.setPixel(1, 1, qRgb(100, 100, 100));
    QVERIFY(dark.save(dir_->filePath("high.bmp")));
    const Run exact = run(slimeArgs({"--name", "Exact"}), dir_->path());
    QCOMPARE(exact.status, 0);
    QVERIFY2(exact.err.startsWith(QStringLiteral("palvorn-enemy-creator: high.bmp: high attack sprite: 1 dark pixel "
                                                 "will be clear.")),
             qPrintable(exact.err));
    const Run converted =
        run(slimeArgs({"--name", "Conv", "--convert", "threshold", "--threshold", "20"}), dir_->path());
    QCOMPARE(converted.status, 0);
    QCOMPARE(converted.err, QString());
    // Inverted, the dark grey Exact black left clear is set: nothing to note.
    const Run inverted = run(slimeArgs({"--name", "Inv"}) << "--invert", dir_->path());
    QCOMPARE(inverted.status, 0);
    QCOMPARE(inverted.err, QString());
}

void TestCommandLine::pictureSteps_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("exact") << QStringList{};
    QTest::newRow("threshold at 50") << QStringList{"--convert", "threshold"};
    QTest::newRow("threshold at 30") << QStringList{"--convert", "threshold", "--threshold", "30"};
    QTest::newRow("floyd-steinberg") << QStringList{"--convert", "floyd-steinberg"};
    QTest::newRow("atkinson at 60") << QStringList{"--convert", "atkinson", "--threshold", "60"};
    QTest::newRow("ordered at 70") << QStringList{"--convert=ordered", "--threshold=70"};
    QTest::newRow("invert") << QStringList{"--invert"};
    QTest::newRow("flip-h") << QStringList{"--flip-h"};
    QTest::newRow("flip-v") << QStringList{"--flip-v"};
    QTest::newRow("trim") << QStringList{"--trim"};
    // Given in another order, done in the fixed one: invert before trim
    // keeps the margins the inverted picture sets.
    QTest::newRow("every step") << QStringList{"--trim", "--flip-v", "--convert", "atkinson", "--flip-h",
                                               "--threshold", "40", "--invert"};
    QTest::newRow("trim after a conversion") << QStringList{"--convert", "floyd-steinberg", "--trim"};
}

// The options give the bytes the windows give doing the same steps with the
// same core functions: each picture's sprite made so here, saved as a
// picture and written by a plain create, equals create with the options.
void TestCommandLine::pictureSteps()
{
    QFETCH(QStringList, options);

    palvorn::Conversion conversion;
    for (int i = 0; i < options.size(); ++i) {
        const QStringList parts = options[i].split(QLatin1Char('='));
        const QString value = parts.size() > 1 ? parts[1] : i + 1 < options.size() ? options[i + 1] : QString();
        if (parts[0] == QLatin1String("--convert"))
            conversion.mode = *palvorn::convertModeFromWord(value.toStdString());
        else if (parts[0] == QLatin1String("--threshold"))
            conversion.threshold = value.toInt();
    }
    // Greys with a little noise inside a white margin, one black pixel, each
    // pose its own.
    QStringList pictures, expected;
    std::uint32_t seed = 7;
    for (int pose = 0; pose < 5; ++pose) {
        QImage image(16 + pose, 12 - pose, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int y = 2; y < image.height() - 1; ++y)
            for (int x = 3; x < image.width() - 2; ++x) {
                seed = seed * 1103515245u + 12345u;
                const int grey = std::clamp(x * 14 + y * 6 + int(seed >> 24) % 40 - 20, 1, 254);
                image.setPixel(x, y, qRgb(grey, grey, std::max(0, grey - 10)));
            }
        image.setPixel(4, 3, qRgb(0, 0, 0));
        pictures << QStringLiteral("grey%1.png").arg(pose);
        QVERIFY(image.save(dir_->filePath(pictures.last())));

        const TakenPicture taken = takeImage(image);
        QVERIFY(taken.picture);
        palvorn::Sprite sprite = palvorn::convert(*taken.picture, conversion).sprite;
        if (options.contains(QLatin1String("--invert")))
            sprite = palvorn::inverted(sprite);
        if (options.contains(QLatin1String("--flip-h")))
            sprite = palvorn::flippedLeftRight(sprite);
        if (options.contains(QLatin1String("--flip-v")))
            sprite = palvorn::flippedTopBottom(sprite);
        if (options.contains(QLatin1String("--trim")) && !palvorn::setBounds(sprite).isEmpty())
            sprite = palvorn::cropped(sprite, palvorn::setBounds(sprite));
        expected << QStringLiteral("expected%1.png").arg(pose);
        QVERIFY(writeFile(dir_->filePath(expected.last()), spritePng(sprite)));
    }
    QVERIFY(QDir(dir_->path()).mkpath("plain") && QDir(dir_->path()).mkpath("steps"));
    const QStringList values{"--name", "Grey", "--min-hp", "5", "--max-hp", "50", "--item", "none"};
    const Run plain = run(QStringList{"create", "--folder", "plain"} + values + expected, dir_->path());
    QVERIFY2(plain.status == 0, qPrintable(plain.err));
    const Run steps = run(QStringList{"create", "--folder", "steps"} + values + options + pictures, dir_->path());
    QVERIFY2(steps.status == 0, qPrintable(steps.err));
    const QByteArray bytes = readAll(dir_->filePath("steps/Grey.asm"));
    QVERIFY(!bytes.isEmpty());
    QCOMPARE(bytes, readAll(dir_->filePath("plain/Grey.asm")));
}

void TestCommandLine::scaleFitAndConversion_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("picture");  // the normal pose's picture: "black" or "grey", then its size
    QTest::addColumn<QString>("message");  // the refusal after "palvorn-enemy-creator: "; empty when written

    QTest::newRow("scale 50") << QStringList{"--scale", "50"} << "black 36x30" << QString();
    QTest::newRow("scale 1, every pose at least a pixel") << QStringList{"--scale", "1"} << "black 36x30"
                                                          << QString();
    QTest::newRow("scale with a conversion") << QStringList{"--scale=30", "--convert", "atkinson"} << "grey 60x50"
                                             << QString();
    // Too large as it is; fitted, each pose at its own largest scale.
    QTest::newRow("fit") << QStringList{"--fit"} << "black 300x200" << QString();
    QTest::newRow("fit then threshold and trim") << QStringList{"--fit", "--convert", "threshold", "--trim"}
                                                 << "grey 300x200" << QString();
    // No pure black: starts at Threshold 50 unless --convert says exact.
    QTest::newRow("no black, starting conversion") << QStringList{} << "grey 20x16" << QString();
    QTest::newRow("no black, --convert exact") << QStringList{"--convert", "exact"} << "grey 20x16" << QString();
    QTest::newRow("scale 0") << QStringList{"--scale", "0"} << "black 36x30"
                             << "--scale: takes a whole number from 1 to 100; \"0\" is not one\n";
    QTest::newRow("scale 101") << QStringList{"--scale", "101"} << "black 36x30"
                               << "--scale: takes a whole number from 1 to 100; \"101\" is not one\n";
    QTest::newRow("scale and fit") << QStringList{"--fit", "--scale", "50"} << "black 36x30"
                                   << "--fit: picks each picture's scale itself; give --scale or --fit, not both\n";
    QTest::newRow("fit impossible") << QStringList{"--fit"} << "black 4096x4096"
                                    << "normal.png: does not fit into 200 bytes even at 1 %\n";
}

// create with --scale, --fit or --convert gives the bytes of the same core
// steps done here (each picture's own starting conversion when --convert is
// left out), or refuses naming the option or the picture, writing nothing.
void TestCommandLine::scaleFitAndConversion()
{
    QFETCH(QStringList, options);
    QFETCH(QString, picture);
    QFETCH(QString, message);

    const QStringList kind = picture.split(QLatin1Char(' '));
    const QStringList size = kind[1].split(QLatin1Char('x'));
    QImage normal(size[0].toInt(), size[1].toInt(), QImage::Format_RGB32);
    normal.fill(Qt::white);
    // A dark figure inside a white margin: pure black, or greys with none.
    for (int y = normal.height() / 8; y < normal.height() * 7 / 8; ++y)
        for (int x = normal.width() / 8; x < normal.width() * 7 / 8; ++x) {
            const int grey = kind[0] == QLatin1String("black") ? 0 : 20 + (x * 7 + y * 13) % 200;
            normal.setPixel(x, y, qRgb(grey, grey, grey));
        }
    QStringList pictures = kPictures;
    pictures[0] = QStringLiteral("normal.png");
    QVERIFY(normal.save(dir_->filePath(pictures[0])));
    const QStringList values{"--name", "Big", "--min-hp", "5", "--max-hp", "50", "--item", "none"};
    QVERIFY(QDir(dir_->path()).mkpath("plain") && QDir(dir_->path()).mkpath("steps"));
    const Run steps = run(QStringList{"create", "--folder", "steps"} + values + options + pictures, dir_->path());
    if (!message.isEmpty()) {
        QCOMPARE(steps.status, 1);
        QCOMPARE(steps.out, QString());
        QCOMPARE(steps.err, QStringLiteral("palvorn-enemy-creator: ") + message);
        QCOMPARE(QDir(dir_->path() + "/steps").entryList(QDir::Files), QStringList{});
        return;
    }
    QVERIFY2(steps.status == 0, qPrintable(steps.err));

    QStringList expected;
    for (int pose = 0; pose < 5; ++pose) {
        const QImage image(dir_->filePath(pictures[pose]));
        const TakenPicture taken = takeImage(image);
        QVERIFY(taken.picture);
        palvorn::Conversion conversion = taken.conversion;
        const int convert = options.indexOf(QLatin1String("--convert"));
        if (convert >= 0)
            conversion.mode = *palvorn::convertModeFromWord(options[convert + 1].toStdString());
        if (options.contains(QLatin1String("--fit")))
            conversion.scale = palvorn::fitScale(image.width(), image.height()).value();
        const int scale = options.indexOf(QLatin1String("--scale"));
        if (scale >= 0)
            conversion.scale = options[scale + 1].toInt();
        else if (options.contains(QLatin1String("--scale=30")))
            conversion.scale = 30;
        palvorn::Sprite sprite = palvorn::convert(*taken.picture, conversion).sprite;
        if (options.contains(QLatin1String("--trim")) && !palvorn::setBounds(sprite).isEmpty())
            sprite = palvorn::cropped(sprite, palvorn::setBounds(sprite));
        // No pure black: Threshold to start with, Exact black when asked.
        if (pose == 0 && kind[0] == QLatin1String("grey") && convert < 0)
            QCOMPARE(conversion.mode, palvorn::ConvertMode::Threshold);
        if (pose == 0 && convert >= 0 && options[convert + 1] == QLatin1String("exact"))
            QCOMPARE(conversion.mode, palvorn::ConvertMode::ExactBlack);
        expected << QStringLiteral("expected%1.png").arg(pose);
        QVERIFY(writeFile(dir_->filePath(expected.last()), spritePng(sprite)));
    }
    const Run plain = run(QStringList{"create", "--folder", "plain"} + values + expected, dir_->path());
    QVERIFY2(plain.status == 0, qPrintable(plain.err));
    const QByteArray bytes = readAll(dir_->filePath("steps/Big.asm"));
    QVERIFY(!bytes.isEmpty());
    QCOMPARE(bytes, readAll(dir_->filePath("plain/Big.asm")));
}

// Poses with a set pixel on every edge and no clear column inside, as five
// pictures and as one sheet: white gaps, a transparent gap, margins.
namespace {

const QStringList kTight[5] = {{"..X..", ".XXX.", "XX.XX", "X...X"},
                               {"XXX", "X.X", "XXX", "..X", "X.X"},
                               {"X.", ".X"},
                               {"X.....X", ".XXXXX."},
                               {"X"}};

QImage tightSheet()
{
    QImage sheet(40, 9, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    int left = 2;
    for (int i = 0; i < 5; ++i) {
        const QImage pose = pictureFromRows(kTight[i]);
        for (int y = 0; y < pose.height(); ++y)
            for (int x = 0; x < pose.width(); ++x)
                sheet.setPixel(left + x, 1 + i + y, pose.pixel(x, y));
        left += pose.width() + 1 + i % 2;
    }
    for (int y = 0; y < sheet.height(); ++y)
        sheet.setPixel(7, y, qRgba(0, 0, 0, 0));  // the gap after the first pose, transparent
    return sheet;
}

}  // namespace

void TestCommandLine::sheetGivesWhatFivePicturesGive_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::newRow("a PNG sheet") << "sheet.png";
    QTest::newRow("a GIF of five frames") << "frames.gif";
}

void TestCommandLine::sheetGivesWhatFivePicturesGive()
{
    QFETCH(QString, sheet);
    QStringList separate;
    QStringList frames;
    for (int i = 0; i < 5; ++i) {
        separate << QStringLiteral("pose%1.png").arg(i);
        QImage pose = pictureFromRows(kTight[i]);
        QVERIFY(pose.save(dir_->filePath(separate.last())));
        // Frames of one size, the pose at the top left on white.
        QImage frame(7, 5, QImage::Format_RGB32);
        frame.fill(Qt::white);
        for (int y = 0; y < pose.height(); ++y)
            for (int x = 0; x < pose.width(); ++x)
                frame.setPixel(x, y, pose.pixel(x, y));
        frames << QStringLiteral("frame%1.png").arg(i);
        QVERIFY(frame.save(dir_->filePath(frames.last())));
        QVERIFY(pose.save(dir_->filePath(separate.last())));
    }
    if (sheet == QLatin1String("sheet.png")) {
        QVERIFY(tightSheet().save(dir_->filePath(sheet)));
    } else {
        const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
        QVERIFY2(!convert.isEmpty(), "ImageMagick's convert is missing; scripts/setup.sh installs it");
        QProcess process;
        process.setWorkingDirectory(dir_->path());
        process.start(convert, QStringList{"-delay", "20"} + frames + QStringList{sheet});
        QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
        separate = frames;  // a frame is the whole screen, margins and all
    }
    const QStringList values = kSlimeValues + QStringList{"--folder"};
    QVERIFY(QDir(dir_->path()).mkpath("five") && QDir(dir_->path()).mkpath("one"));
    const Run five = run(QStringList{"create"} + values + QStringList{"five"} + separate, dir_->path());
    QVERIFY2(five.status == 0, qPrintable(five.err));
    const Run one = run(QStringList{"create"} + values + QStringList{"one", "--sheet", sheet}, dir_->path());
    QVERIFY2(one.status == 0, qPrintable(one.err));
    QCOMPARE(one.out, QStringLiteral("Wrote %1\n").arg(dir_->filePath("one/Slime.asm")));
    QCOMPARE(readAll(dir_->filePath("one/Slime.asm")), readAll(dir_->filePath("five/Slime.asm")));
}

void TestCommandLine::sheetRefusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("pictures as well") << (QStringList{"--sheet", "sheet.png"} + kPictures)
                                      << "--sheet: replaces the five pictures; 5 given as well";
    QTest::newRow("not a sheet") << QStringList{"--sheet", "normal.bmp"} << "normal.bmp: is not a pose sheet";
    QTest::newRow("not a picture") << QStringList{"--sheet", "notes.txt"} << "notes.txt: The file \"notes.txt\" is not a picture";
    QTest::newRow("no value") << QStringList{"--sheet"} << "--sheet: needs a value";
}

void TestCommandLine::sheetRefusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QVERIFY(tightSheet().save(dir_->filePath("sheet.png")));
    QVERIFY(writeFile(dir_->filePath("notes.txt"), "no picture"));
    const Run r = run(QStringList{"create"} + kSlimeValues + args, dir_->path());
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.startsWith(QStringLiteral("palvorn-enemy-creator: ") + message), qPrintable(r.err));
    QVERIFY(!QFile::exists(dir_->filePath("Slime.asm")));
}

void TestCommandLine::exportWrites()
{
    QVERIFY(QFile::copy(slimeGoldenPath(), dir_->filePath(QStringLiteral("Slime.asm"))));
    const Run sheet = run({"export", "sheet", "Slime.asm", "sheet.png"}, dir_->path());
    QCOMPARE(sheet.status, 0);
    QCOMPARE(sheet.out, QStringLiteral("Wrote sheet.png\n"));
    // The poses as the file holds them (eight pixels wide), 8 columns apart.
    const QString gap(8, '.');
    const QImage expected = pictureFromRows({"..XXXX.." + gap + "XXXX...." + gap + "......XX" + gap + "XXXXXXXX" + gap + ".X.X.X.X",
                                             "XXXXXXXX" + gap + "....XXXX" + gap + "XX......" + gap + "........" + gap + "X.X.X.X.",
                                             "X......X" + gap + "........" + gap + "........" + gap + "........" + gap + "........"});
    QCOMPARE(QImage(dir_->filePath("sheet.png")).convertToFormat(QImage::Format_RGB32), expected);

    const Run screen = run({"export", "screen", "--scale", "3", "Slime.asm", "screen.png"}, dir_->path());
    QCOMPARE(screen.status, 0);
    QCOMPARE(QImage(dir_->filePath("screen.png")).size(), QSize(96 * 3, 64 * 3));

    const Run battle = run({"export", "battle", "Slime.asm", "battle.gif"}, dir_->path());
    QCOMPARE(battle.status, 0);
    QProcess identify;
    identify.start(QStandardPaths::findExecutable(QStringLiteral("identify")),
                   {QStringLiteral("-format"), QStringLiteral("%W %H\n"), dir_->filePath("battle.gif")});
    QVERIFY(identify.waitForFinished(60000));
    const QStringList frames = QString::fromLatin1(identify.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(frames.size(), 68);
    QCOMPARE(frames[0], QStringLiteral("192 128"));  // twice the screen when no scale is given
}

void TestCommandLine::exportRefusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown kind") << QStringList{"export", "movie", "Slime.asm", "x.gif"} << 1
                                  << "export: \"movie\" is not sheet, battle or screen";
    QTest::newRow("missing enemy file") << QStringList{"export", "sheet", "Bat.asm", "x.png"} << 1 << "Bat.asm: ";
    QTest::newRow("scale too large") << QStringList{"export", "battle", "Slime.asm", "x.gif", "--scale=5"} << 1
                                     << "--scale: takes a whole number from 1 to 4; \"5\" is not one";
    QTest::newRow("too few words") << QStringList{"export", "sheet", "Slime.asm"} << 1
                                   << "export: takes what to write";
    QTest::newRow("unknown option") << QStringList{"export", "sheet", "Slime.asm", "x.png", "--zoom", "2"} << 1
                                    << "--zoom: is not an option of export";
    QTest::newRow("unwritable file") << QStringList{"export", "screen", "Slime.asm", "no/x.png"} << 2
                                     << "The file \"no/x.png\" could not be written: ";
}

void TestCommandLine::exportRefusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    QVERIFY(QFile::copy(slimeGoldenPath(), dir_->filePath(QStringLiteral("Slime.asm"))));
    const Run r = run(args, dir_->path());
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.startsWith(QStringLiteral("palvorn-enemy-creator: ") + message), qPrintable(r.err));
    QCOMPARE(QDir(dir_->path()).entryList({"x.*"}), QStringList());
}

void TestCommandLine::messages_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("darkHigh");  // high.bmp with two dark pixels that stay clear: a note
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("has");    // in standard error
    QTest::addColumn<QString>("lacks");  // not in standard error
    QTest::addColumn<int>("lines");      // non-empty lines of standard error

    QTest::newRow("write failure without --build") << slimeArgs({"--folder", "file"}) << false << 2
                                                   << "Slime.asm could not be written" << "build script" << 1;
    QTest::newRow("write failure with --build") << (slimeArgs({"--folder", "file"}) << "--build") << false << 2
                                                << "The build script was not started." << "usage" << 2;
    QTest::newRow("refused name after a noted picture") << slimeArgs({"--name", "9Lives"}) << true << 1
                                                        << "--name: The name" << "dark pixel" << 1;
    QStringList missingHurt = slimeArgs();
    missingHurt.last() = QStringLiteral("missing.bmp");
    QTest::newRow("refused picture after a noted one") << missingHurt << true << 1 << "missing.bmp: " << "dark pixel"
                                                       << 1;
    QTest::newRow("noted picture, written") << slimeArgs() << true << 0 << "high attack sprite: 2 dark pixels"
                                            << "usage" << 1;
    QTest::newRow("unknown word") << QStringList{"frob"} << false << 1
                                  << "palvorn-enemy-creator: \"frob\" is neither a command nor an existing file\n"
                                     "Try --help\n"
                                  << "usage" << 2;
    QTest::newRow("unknown option") << QStringList{"--frob"} << false << 1
                                    << "palvorn-enemy-creator: \"--frob\" is not an option\nTry --help\n" << "usage"
                                    << 2;
}

// What standard error says: only what applies, and no note of a picture
// when the run is refused.
void TestCommandLine::messages()
{
    QFETCH(QStringList, args);
    QFETCH(bool, darkHigh);
    QFETCH(int, status);
    QFETCH(QString, has);
    QFETCH(QString, lacks);
    QFETCH(int, lines);
    QVERIFY(writeFile(dir_->filePath("file"), "a file where a folder should be"));
    if (darkHigh) {
        QImage dark = slimePictures()[1];
        dark.setPixel(0, 0, qRgb(30, 30, 30));
        dark.setPixel(1, 0, qRgb(30, 30, 30));
        QVERIFY(dark.save(dir_->filePath("high.bmp")));
    }
    const Run r = run(args, dir_->path());
    QVERIFY2(r.status == status, qPrintable(r.err));
    QVERIFY2(r.err.contains(has), qPrintable(r.err));
    QVERIFY2(!r.err.contains(lacks), qPrintable(r.err));
    QCOMPARE(r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), lines);
}

// Every row of a sprite is as wide as its heading says, and one byte is "1 byte".
void TestCommandLine::showStatesRowWidths()
{
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::black);
    QVERIFY(dot.save(dir_->filePath("hurt.bmp")));
    QVERIFY(run(slimeArgs(), dir_->path()).status == 0);
    const Run r = run({"show", "Slime.asm"}, dir_->path());
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.contains(QStringLiteral("\nhurt sprite (8 x 1, 1 byte):\n")), qPrintable(r.out));
    const QStringList lines = r.out.split(QLatin1Char('\n'));
    const QRegularExpression heading(QStringLiteral("^.* sprite \\((\\d+) x (\\d+), \\d+ bytes?\\):$"));
    int headings = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = heading.match(lines[i]);
        if (!m.hasMatch())
            continue;
        ++headings;
        for (int row = 1; row <= m.captured(2).toInt(); ++row)
            QCOMPARE(lines.value(i + row).size(), m.captured(1).toInt());
    }
    QCOMPARE(headings, 5);
}

void TestCommandLine::exportAddsTheExtension_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::newRow("sheet") << "sheet" << "out" << "out.png";
    QTest::newRow("battle") << "battle" << "out" << "out.gif";
    QTest::newRow("screen in a folder") << "screen" << "sub/out" << "sub/out.png";
    QTest::newRow("an extension of its own kept") << "sheet" << "out.picture" << "out.picture";
}

// A name without an extension gets the kind's, as the windows' save dialog gives it.
void TestCommandLine::exportAddsTheExtension()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QString, written);
    QVERIFY(QFile::copy(slimeGoldenPath(), dir_->filePath(QStringLiteral("Slime.asm"))));
    QVERIFY(QDir(dir_->path()).mkpath("sub"));
    const Run r = run({"export", kind, "Slime.asm", name}, dir_->path());
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QStringLiteral("Wrote %1\n").arg(written));
    QVERIFY(QFile::exists(dir_->filePath(written)));
    QCOMPARE(QFile::exists(dir_->filePath(name)), name == written);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
