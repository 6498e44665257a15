// The Linux build chain: asm.sh turns NAME.asm into NAME.8XP with pasmo and
// palvorn-8xp. Every run happens in a fresh program folder holding copies of
// the built script and wrapper, with its own TMPDIR so leftovers show.

#include "ProgramFile.h"
#include "TiFiles.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString programDir = QStringLiteral(PALVORN_PROGRAM_DIR);
const QString goldenSlime = QStringLiteral(PALVORN_GOLDEN_SLIME);
// palvorn-8xp with the writer of our own that the Windows build uses.
const QString ownWrapper = QStringLiteral(PALVORN_OWN_8XP);

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The bytes that the .db lines of an assembler source stand for, in order:
// quoted text gives its characters, $HH a hexadecimal byte, anything else a
// decimal byte. Other lines (comments, .end, END) give nothing.
QByteArray dbBytes(const QByteArray& source)
{
    QByteArray bytes;
    for (QByteArray line : source.split('\n')) {
        line = line.trimmed();
        if (!line.startsWith(".db "))
            continue;
        const QByteArray operands = line.mid(4);
        qsizetype i = 0;
        while (i < operands.size()) {
            if (operands[i] == '"') {
                const qsizetype close = operands.indexOf('"', i + 1);
                bytes += operands.mid(i + 1, close - i - 1);
                i = close + 1;
            } else {
                qsizetype comma = operands.indexOf(',', i);
                if (comma < 0)
                    comma = operands.size();
                const QByteArray item = operands.mid(i, comma - i).trimmed();
                bool ok = false;
                const int value = item.startsWith('$') ? item.mid(1).toInt(&ok, 16) : item.toInt(&ok, 10);
                if (!ok || value < 0 || value > 255)
                    qFatal("unexpected .db operand %s", item.constData());
                bytes += char(value);
                i = comma;
            }
            if (i < operands.size() && operands[i] == ',')
                ++i;
        }
    }
    return bytes;
}

struct LibraryContent {
    LibraryContent() { tifiles_library_init(); }
    ~LibraryContent()
    {
        tifiles_content_delete_regular(content);
        tifiles_library_exit();
    }
    FileContent* content = tifiles_content_create_regular(CALC_NONE);
};

// A program folder with copies of the script and, unless left out, the wrapper.
struct Folder {
    QTemporaryDir dir;
    QTemporaryDir tmp;  // TMPDIR of the script
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    explicit Folder(bool withWrapper = true, const QString& wrapper = programDir + "/palvorn-8xp")
    {
        QFile::copy(programDir + "/asm.sh", path("asm.sh"));
        if (withWrapper)
            QFile::copy(wrapper, path("palvorn-8xp"));
        env.insert("TMPDIR", tmp.path());
    }
    QString path(const QString& file) const { return dir.filePath(file); }

    int run(const QString& name, QByteArray* output = nullptr)
    {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start("/bin/sh", {"asm.sh", name});
        if (!p.waitForFinished(30000))
            return -1;
        if (output)
            *output = p.readAll();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // Every file but the ones named, so stray temporaries show.
    QStringList othersThan(const QStringList& expected) const
    {
        QStringList found = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& e : expected)
            found.removeAll(e);
        return found;
    }
    QStringList tmpLeftovers() const
    {
        return QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // A PATH that finds every command of the real one except those named.
    void hideCommands(const QStringList& hidden)
    {
        const QString fake = tmp.path() + "/../" + QFileInfo(tmp.path()).fileName() + "-bin";
        QDir().mkpath(fake);
        fakeBin = QFileInfo(fake).canonicalFilePath();
        for (const QString& d : env.value("PATH").split(':', Qt::SkipEmptyParts)) {
            for (const QFileInfo& f : QDir(d).entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
                if (!hidden.contains(f.fileName()) && !QFileInfo::exists(fakeBin + "/" + f.fileName()))
                    QFile::link(f.absoluteFilePath(), fakeBin + "/" + f.fileName());
            }
        }
        env.insert("PATH", fakeBin);
    }
    ~Folder()
    {
        if (!fakeBin.isEmpty())
            QDir(fakeBin).removeRecursively();
    }
    QString fakeBin;
};

}  // namespace

class TestAsm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void slimeBuildsItsProgram();
    void nameBecomesVariableName_data();
    void nameBecomesVariableName();
    void failureKeepsOlderProgram_data();
    void failureKeepsOlderProgram();
    void successReplacesOlderProgram();
    void folderAtProgramFails();
    void wrapperSizeLimit_data();
    void wrapperSizeLimit();
    void wrapperRefusesBadInput_data();
    void wrapperRefusesBadInput();
    void ownWriterMatchesLibrary_data();
    void ownWriterMatchesLibrary();
};

void TestAsm::initTestCase()
{
    QVERIFY2(QFileInfo(programDir + "/asm.sh").isFile(), "asm.sh is not in the program folder");
    QVERIFY2(QFileInfo(programDir + "/palvorn-8xp").isExecutable(), "palvorn-8xp is not built");
    QVERIFY2(!QStandardPaths::findExecutable("pasmo").isEmpty(), "pasmo is not installed");
    QVERIFY(QFileInfo(goldenSlime).isFile());
}

void TestAsm::slimeBuildsItsProgram()
{
    const QByteArray source = readFile(goldenSlime);
    QVERIFY(source.contains("\r\n"));
    const QByteArray expected = dbBytes(source);
    // Magic 8, name field 9, values 24, one sprite of 1 + 3 and four of 1 + 2.
    QCOMPARE(expected.size(), 57);

    Folder folder;
    writeFile(folder.path("Slime.asm"), source);
    QByteArray output;
    QCOMPARE(folder.run("Slime", &output), 0);
    QVERIFY2(!QFileInfo::exists(folder.path("Slime.log")), readFile(folder.path("Slime.log")).constData());
    QCOMPARE(folder.othersThan({"asm.sh", "palvorn-8xp", "Slime.asm", "Slime.8XP"}), QStringList());
    QCOMPARE(folder.tmpLeftovers(), QStringList());
    QCOMPARE(readFile(folder.path("Slime.asm")), source);

    // By hand: "variable's data" is the data that follows the entry header,
    // the program's 2-byte length word and then the bytes of the .db lines.
    const QByteArray file = readFile(folder.path("Slime.8XP"));
    const Program p = readProgram(file);
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QCOMPARE(p.name, QByteArray("SLIME"));
    QCOMPARE(p.type, quint8(0x06));  // protected program
    QCOMPARE(p.data, withLengthWord(expected));

    // Through the library: the same single variable with the same data, and
    // the stored checksum is the one it computes.
    LibraryContent lib;
    QCOMPARE(tifiles_file_read_regular(folder.path("Slime.8XP").toLocal8Bit().constData(), lib.content), 0);
    QCOMPARE(lib.content->model, CALC_TI83P);
    QCOMPARE(lib.content->num_entries, 1u);
    const VarEntry* entry = lib.content->entries[0];
    QCOMPARE(QByteArray(entry->name), QByteArray("SLIME"));
    QCOMPARE(entry->type, quint8(0x06));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(entry->data), int(entry->size)), withLengthWord(expected));
    QCOMPARE(lib.content->stored_checksum, lib.content->checksum);
}

void TestAsm::nameBecomesVariableName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("variable");

    QTest::newRow("lower case") << "slime" << QByteArray("SLIME");
    QTest::newRow("space dropped") << "Big Rat" << QByteArray("BIGRAT");
    QTest::newRow("digits kept") << "Rat2" << QByteArray("RAT2");
    QTest::newRow("shell characters") << "a'b\"$`;|&*c" << QByteArray("ABC");
    QTest::newRow("leading dash") << "-Imp" << QByteArray("IMP");
    QTest::newRow("punctuation before the letter") << "_Imp9" << QByteArray("IMP9");
    QTest::newRow("non-ASCII dropped") << QString::fromUtf8("Élan") << QByteArray("LAN");
    QTest::newRow("eight kept") << "Abcdefgh" << QByteArray("ABCDEFGH");
}

void TestAsm::nameBecomesVariableName()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, variable);

    Folder folder;
    writeFile(folder.path(name + ".asm"), readFile(goldenSlime));
    QCOMPARE(folder.run(name), 0);
    QVERIFY2(!QFileInfo::exists(folder.path(name + ".log")), readFile(folder.path(name + ".log")).constData());
    const Program p = readProgram(readFile(folder.path(name + ".8XP")));
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QCOMPARE(p.name, variable);
    QCOMPARE(p.data, withLengthWord(dbBytes(readFile(goldenSlime))));
}

// An older program, as an earlier build left it: not this run's bytes, and an
// hour old so that a rewrite of the same bytes would show in its time.
struct OlderFiles {
    static inline const QByteArray program = QByteArray("**TI83F*\x1A\x0A\x00 earlier build \xFF", 24);
    static inline const QByteArray log = "log of an earlier run";
    QDateTime time = QDateTime::currentDateTime().addSecs(-3600);

    void writeInto(const Folder& folder, const QString& name, bool withProgram) const
    {
        writeFile(folder.path(name + ".log"), log);
        if (!withProgram)
            return;
        writeFile(folder.path(name + ".8XP"), program);
        QFile f(folder.path(name + ".8XP"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(time, QFileDevice::FileModificationTime));
    }
};

void TestAsm::failureKeepsOlderProgram_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("source");  // empty: no NAME.asm
    QTest::addColumn<bool>("withWrapper");
    QTest::addColumn<QByteArray>("pasmo");  // empty: the real one; "-": none on PATH; else a script in its place
    QTest::addColumn<bool>("withOlder");
    QTest::addColumn<QByteArray>("logSays");

    const QByteArray slime = readFile(goldenSlime);
    QTest::newRow("name starts with a digit") << "9Lives" << slime << true << QByteArray() << true
                                              << QByteArray("must start with a letter");
    QTest::newRow("name without letters") << "#!%" << slime << true << QByteArray() << true
                                          << QByteArray("no valid calculator program name");
    QTest::newRow("missing source") << "Slime" << QByteArray() << true << QByteArray() << true
                                    << QByteArray("Slime.asm was not found");
    QTest::newRow("broken source") << "Slime" << QByteArray(" .db \"Slime\r\n.end\r\nEND\r\n") << true << QByteArray()
                                   << true << QByteArray("pasmo rejected Slime.asm");
    QTest::newRow("error numbered as in NAME.asm") << "Slime" << QByteArray(" .db 1\r\n.end\r\n .frob 2\r\nEND\r\n")
                                                   << true << QByteArray() << true << QByteArray("ERROR on line 3");
    QTest::newRow("missing wrapper") << "Slime" << slime << false << QByteArray() << true
                                     << QByteArray("Debian package libtifiles-dev");
    QTest::newRow("missing assembler") << "Slime" << slime << true << QByteArray("-") << true
                                       << QByteArray("Debian package pasmo");
    // The program may end a build it started; the script must not end silently.
    QTest::newRow("stopped by a signal") << "Slime" << slime << true << QByteArray("kill -TERM $PPID\n") << true
                                         << QByteArray("stopped by a signal");
    QTest::newRow("no older program") << "Slime" << QByteArray(" .db \"Slime\r\nEND\r\n") << true << QByteArray() << false
                                      << QByteArray("pasmo rejected Slime.asm");
}

void TestAsm::failureKeepsOlderProgram()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, source);
    QFETCH(bool, withWrapper);
    QFETCH(QByteArray, pasmo);
    QFETCH(bool, withOlder);
    QFETCH(QByteArray, logSays);

    Folder folder(withWrapper);
    if (!pasmo.isEmpty()) {
        folder.hideCommands({"pasmo"});
        if (pasmo != "-") {
            const QString fake = folder.fakeBin + "/pasmo";
            writeFile(fake, "#!/bin/sh\n" + pasmo);
            QVERIFY(QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
    }
    if (!source.isEmpty())
        writeFile(folder.path(name + ".asm"), source);
    const OlderFiles older;
    older.writeInto(folder, name, withOlder);

    QByteArray output;
    const int status = folder.run(name, &output);
    QVERIFY2(status > 0, output.constData());

    // Untouched: same bytes, same time, so it cannot pass for this run's.
    if (withOlder) {
        QCOMPARE(readFile(folder.path(name + ".8XP")), OlderFiles::program);
        QCOMPARE(QFileInfo(folder.path(name + ".8XP")).lastModified(), older.time);
    } else {
        QVERIFY(!QFileInfo::exists(folder.path(name + ".8XP")));
    }
    // This run's report, not the earlier one.
    const QByteArray log = readFile(folder.path(name + ".log"));
    QVERIFY2(log.contains(logSays), log.constData());
    QVERIFY2(!log.contains(OlderFiles::log), log.constData());

    QStringList expected{"asm.sh", name + ".log"};
    if (withWrapper)
        expected << "palvorn-8xp";
    if (!source.isEmpty())
        expected << name + ".asm";
    if (withOlder)
        expected << name + ".8XP";
    QCOMPARE(folder.othersThan(expected), QStringList());
    QCOMPARE(folder.tmpLeftovers(), QStringList());
    if (!source.isEmpty())
        QCOMPARE(readFile(folder.path(name + ".asm")), source);
}

void TestAsm::successReplacesOlderProgram()
{
    Folder folder;
    writeFile(folder.path("Slime.asm"), readFile(goldenSlime));
    const OlderFiles older;
    older.writeInto(folder, "Slime", true);
    // File times may lag the clock by a tick; the older file is an hour old.
    const QDateTime start = QDateTime::currentDateTime().addSecs(-1);

    QByteArray output;
    QCOMPARE(folder.run("Slime", &output), 0);
    QVERIFY2(!QFileInfo::exists(folder.path("Slime.log")), readFile(folder.path("Slime.log")).constData());
    const Program p = readProgram(readFile(folder.path("Slime.8XP")));
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QCOMPARE(p.data, withLengthWord(dbBytes(readFile(goldenSlime))));
    QVERIFY(QFileInfo(folder.path("Slime.8XP")).lastModified() > start);
    QCOMPARE(folder.othersThan({"asm.sh", "palvorn-8xp", "Slime.asm", "Slime.8XP"}), QStringList());
    QCOMPARE(folder.tmpLeftovers(), QStringList());
}

// A folder at NAME.8XP would take the new file inside it and the rename
// would succeed: the build must fail and leave the folder as it was.
void TestAsm::folderAtProgramFails()
{
    Folder folder;
    writeFile(folder.path("Slime.asm"), readFile(goldenSlime));
    QVERIFY(QDir(folder.dir.path()).mkdir("Slime.8XP"));
    writeFile(folder.path("Slime.8XP/kept"), "kept");

    QVERIFY(folder.run("Slime") > 0);
    QVERIFY2(readFile(folder.path("Slime.log")).contains("Cannot write Slime.8XP"),
             readFile(folder.path("Slime.log")).constData());
    QCOMPARE(QDir(folder.path("Slime.8XP")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"kept"});
    QCOMPARE(folder.othersThan({"asm.sh", "palvorn-8xp", "Slime.asm", "Slime.log"}), QStringList());
    QCOMPARE(folder.tmpLeftovers(), QStringList());
}

void TestAsm::wrapperSizeLimit_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("accepted");

    // The data section's 16-bit length holds the 17 bytes of the entry
    // around the variable, whose own length word takes 2 more.
    QTest::newRow("largest") << 0xFFFF - 17 - 2 << true;
    QTest::newRow("one byte more") << 0xFFFF - 17 - 2 + 1 << false;
    QTest::newRow("empty") << 0 << true;
}

void TestAsm::wrapperSizeLimit()
{
    QFETCH(int, size);
    QFETCH(bool, accepted);

    QTemporaryDir dir;
    QByteArray body(size, '\0');
    for (int i = 0; i < size; ++i)
        body[i] = char(i * 7 + 3);
    writeFile(dir.filePath("in.bin"), body);
    const QString out = dir.filePath("out.8xp");
    QProcess p;
    p.start(programDir + "/palvorn-8xp", {"Big", dir.filePath("in.bin"), out});
    QVERIFY(p.waitForFinished(30000));
    if (!accepted) {
        QVERIFY(p.exitCode() != 0);
        QVERIFY(p.readAllStandardError().contains("at most"));
        QVERIFY(!QFileInfo::exists(out));
        return;
    }
    QCOMPARE(p.exitCode(), 0);
    const Program prog = readProgram(readFile(out));
    QVERIFY2(prog.error.isEmpty(), qPrintable(prog.error));
    QCOMPARE(prog.data, withLengthWord(body));
    LibraryContent lib;
    QCOMPARE(tifiles_file_read_regular(out.toLocal8Bit().constData(), lib.content), 0);
    QCOMPARE(lib.content->entries[0]->size, quint32(size + 2));
}

void TestAsm::wrapperRefusesBadInput_data()
{
    QTest::addColumn<QStringList>("arguments");  // IN and OUT stand for the files of the run
    QTest::addColumn<QByteArray>("stderrSays");

    QTest::newRow("missing input") << QStringList{"Slime", "IN-missing", "OUT"} << QByteArray("No such file");
    QTest::newRow("input is a folder") << QStringList{"Slime", "DIR", "OUT"} << QByteArray("not a regular file");
    QTest::newRow("invalid name") << QStringList{"1up", "IN", "OUT"} << QByteArray("must start with a letter");
    QTest::newRow("output folder missing") << QStringList{"Slime", "IN", "DIR/none/out.8xp"} << QByteArray("cannot write");
    QTest::newRow("too few arguments") << QStringList{"Slime", "IN"} << QByteArray("usage");
}

void TestAsm::wrapperRefusesBadInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, stderrSays);

    QTemporaryDir dir;
    writeFile(dir.filePath("in.bin"), "\x01\x02");
    for (QString& a : arguments) {
        if (a == "IN")
            a = dir.filePath("in.bin");
        else if (a == "IN-missing")
            a = dir.filePath("missing.bin");
        else if (a == "OUT")
            a = dir.filePath("out.8xp");
        else if (a.startsWith("DIR"))
            a.replace(0, 3, dir.path());
    }
    QProcess p;
    p.start(programDir + "/palvorn-8xp", arguments);
    QVERIFY(p.waitForFinished(30000));
    QVERIFY(p.exitCode() != 0);
    const QByteArray err = p.readAllStandardError();
    QVERIFY2(err.contains(stderrSays), err.constData());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"in.bin"});
}

void TestAsm::ownWriterMatchesLibrary_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("body");  // empty: NAME.asm is the golden Slime, built by asm.sh

    QTest::newRow("Slime through asm.sh") << "Slime" << QByteArray();
    QTest::newRow("eight letters, space dropped") << "Big Rat Abc" << QByteArray();
    QTest::newRow("empty body") << "Imp" << QByteArray("", 0);
    QByteArray largest(0xFFFF - 17 - 2, '\0');
    for (qsizetype i = 0; i < largest.size(); ++i)
        largest[i] = char(i * 7 + 3);  // a checksum that wraps past 16 bits
    QTest::newRow("largest body") << "Ogre" << largest;
}

// The Windows build writes .8XP files without the library: the same input
// must give the same bytes.
void TestAsm::ownWriterMatchesLibrary()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, body);

    QByteArray library, own;
    if (body.isNull()) {
        Folder libFolder, ownFolder(true, ownWrapper);
        for (Folder* f : {&libFolder, &ownFolder}) {
            writeFile(f->path(name + ".asm"), readFile(goldenSlime));
            QByteArray output;
            QCOMPARE(f->run(name, &output), 0);
        }
        library = readFile(libFolder.path(name + ".8XP"));
        own = readFile(ownFolder.path(name + ".8XP"));
    } else {
        QTemporaryDir dir;
        writeFile(dir.filePath("in.bin"), body);
        for (const QString& wrapper : {programDir + "/palvorn-8xp", ownWrapper}) {
            QProcess p;
            p.start(wrapper, {name, dir.filePath("in.bin"), dir.filePath("out.8xp")});
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitCode(), 0);
            (library.isEmpty() ? library : own) = readFile(dir.filePath("out.8xp"));
        }
    }
    QVERIFY(!library.isEmpty());
    QCOMPARE(own.size(), library.size());
    QCOMPARE(own.toHex(' '), library.toHex(' '));
}

QTEST_GUILESS_MAIN(TestAsm)
#include "tst_asm.moc"
