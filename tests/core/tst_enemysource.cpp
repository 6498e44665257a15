// The enemy source file NAME.asm: its bytes, its name, and writing it
// without ever leaving a broken or partial file behind.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#endif

#include "EnemySource.h"
#include "FileBytes.h"
#include "SpriteRows.h"

using palvorn::EnemyValues;
using palvorn::Sprite;
using Change = std::function<void(EnemyValues&)>;
Q_DECLARE_METATYPE(Change)

namespace {

// The enemy whose file is data/Slime.asm.
EnemyValues slime()
{
    EnemyValues v;
    v.name = "Slime";
    v.minHP = 20;
    v.increment = 5;
    v.highDefense = 5;
    v.lowDefense = 4;
    v.highAttack = 6;
    v.lowAttack = 3;
    v.specialAttack = 7;
    v.blockChance = 3;
    v.attacks = 5;
    v.itemPosition = 1;  // "Heal Leaf"
    v.money = 15;
    v.robotY = 61;
    v.robotX = 88;
    v.robotTo = 72;
    v.sprites = {sprite(8, {"..XXXX..", "XXXXXXXX", "X......X"}), sprite(8, {"XXXX....", "....XXXX"}),
                 sprite(8, {"......XX", "XX......"}), sprite(8, {"XXXXXXXX", "........"}),
                 sprite(8, {".X.X.X.X", "X.X.X.X."})};
    return v;
}

QByteArray golden()
{
    return readAll(QStringLiteral(PALVORN_TEST_DATA "/Slime.asm"));
}

QString qpath(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

// Every entry of a folder with the bytes of each file, to show that a failed
// write changed nothing and left nothing behind.
std::map<QString, QByteArray> snapshot(const QString& folder)
{
    std::map<QString, QByteArray> entries;
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        entries[info.fileName()] = info.isDir() ? QByteArray("(folder)") : readAll(info.filePath());
    return entries;
}

QStringList entryNames(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Makes a folder read-only even for root (the immutable flag), and undoes it.
class ImmutableFolder {
public:
    explicit ImmutableFolder(const QString& folder)
    {
#ifdef FS_IOC_SETFLAGS
        fd_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
        if (fd_ >= 0 && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags_) == 0) {
            int locked = flags_ | FS_IMMUTABLE_FL;
            set_ = ::ioctl(fd_, FS_IOC_SETFLAGS, &locked) == 0;
        }
#else
        Q_UNUSED(folder);
#endif
    }
    ~ImmutableFolder()
    {
#ifdef FS_IOC_SETFLAGS
        if (set_)
            ::ioctl(fd_, FS_IOC_SETFLAGS, &flags_);
        if (fd_ >= 0)
            ::close(fd_);
#endif
    }
    ImmutableFolder(const ImmutableFolder&) = delete;
    ImmutableFolder& operator=(const ImmutableFolder&) = delete;
    bool isSet() const { return set_; }

private:
    int fd_ = -1;
    int flags_ = 0;
    bool set_ = false;
};

// A file size limit makes every write past a few bytes fail as a full disk
// would; the signal it raises is ignored so the write reports the error.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        set_ = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        if (set_)
            ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool isSet() const { return set_; }

private:
    rlimit old_{};
    bool set_ = false;
    void (*oldHandler_)(int) = nullptr;
};

enum Obstacle { FolderAtTarget, FolderIsAFile, FolderMissing, ReadOnlyFolder, DiskFull };

}  // namespace

class TestEnemySource : public QObject {
    Q_OBJECT

private slots:
    void slimeFile();
    void lines_data();
    void lines();
    void fileName_data();
    void fileName();
    void olderLongerFileReplacedWhole();
    void refusedNames_data();
    void refusedNames();
    void outsideByte_data();
    void outsideByte();
    void failingWrite_data();
    void failingWrite();
};

void TestEnemySource::slimeFile()
{
    const QByteArray expected = golden();
    QVERIFY2(expected.endsWith("END\r\n") && expected.count("\r\n") == 23, "the golden file lost its CR LF line ends");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::filesystem::path written = palvorn::WriteEnemySource(dir.path().toStdString(), slime());
    QCOMPARE(qpath(written), dir.filePath("Slime.asm"));
    QCOMPARE(readAll(dir.filePath("Slime.asm")), expected);
    QCOMPARE(entryNames(dir.path()), QStringList{"Slime.asm"});
    QCOMPARE(QByteArray::fromStdString(palvorn::EnemySourceText(slime())), expected);
}

void TestEnemySource::lines_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QByteArray>("nameLine");
    QTest::addColumn<QByteArray>("valueLine");

    const QByteArray slimeName = " .db \"Slime   \",0";
    const QByteArray slimeValues = " .db 20,5,5,4,6,3,7,3,5,2,15,61,88,72,3,1,2,1,2,1,2,1,2,1";

    QTest::newRow("name of 8 gets no spaces") << Change([](EnemyValues& v) { v.name = "Abcdefgh"; })
                                              << QByteArray(" .db \"Abcdefgh\",0") << slimeValues;
    QTest::newRow("empty name gives 8 spaces") << Change([](EnemyValues& v) { v.name.clear(); })
                                               << QByteArray(" .db \"        \",0") << slimeValues;
    QTest::newRow("longer name kept whole") << Change([](EnemyValues& v) { v.name = "Abcdefghij"; })
                                            << QByteArray(" .db \"Abcdefghij\",0") << slimeValues;
    QTest::newRow("no item gives 0") << Change([](EnemyValues& v) { v.itemPosition = -1; }) << slimeName
                                     << QByteArray(" .db 20,5,5,4,6,3,7,3,5,0,15,61,88,72,3,1,2,1,2,1,2,1,2,1");
    QTest::newRow("first item gives 1") << Change([](EnemyValues& v) { v.itemPosition = 0; }) << slimeName
                                        << QByteArray(" .db 20,5,5,4,6,3,7,3,5,1,15,61,88,72,3,1,2,1,2,1,2,1,2,1");
    QTest::newRow("last item gives 6") << Change([](EnemyValues& v) { v.itemPosition = 5; }) << slimeName
                                       << QByteArray(" .db 20,5,5,4,6,3,7,3,5,6,15,61,88,72,3,1,2,1,2,1,2,1,2,1");
    QTest::newRow("zeros are written, never empty fields")
        << Change([](EnemyValues& v) { v.minHP = v.increment = v.money = v.robotY = v.robotX = v.robotTo = 0; })
        << slimeName << QByteArray(" .db 0,0,5,4,6,3,7,3,5,2,0,0,0,0,3,1,2,1,2,1,2,1,2,1");
    QTest::newRow("byte bounds are kept") << Change([](EnemyValues& v) {
        v.minHP = 255;
        v.robotTo = -128;
    }) << slimeName << QByteArray(" .db 255,5,5,4,6,3,7,3,5,2,15,61,88,-128,3,1,2,1,2,1,2,1,2,1");
    QTest::newRow("negative RobotTo keeps its minus") << Change([](EnemyValues& v) {
        v.robotX = 8;
        v.robotTo = -8;
    }) << slimeName << QByteArray(" .db 20,5,5,4,6,3,7,3,5,2,15,61,8,-8,3,1,2,1,2,1,2,1,2,1");
    QTest::newRow("every field in its place") << Change([](EnemyValues& v) {
        v.minHP = 100;
        v.increment = 9;
        v.highDefense = 11;
        v.lowDefense = 12;
        v.highAttack = 13;
        v.lowAttack = 14;
        v.specialAttack = 15;
        v.blockChance = 16;
        v.attacks = 17;
        v.itemPosition = 2;
        v.money = 250;
        v.robotY = 40;
        v.robotX = 41;
        v.robotTo = 25;
    }) << slimeName << QByteArray(" .db 100,9,11,12,13,14,15,16,17,3,250,40,41,25,3,1,2,1,2,1,2,1,2,1");
    QTest::newRow("negative numbers keep their minus") << Change([](EnemyValues& v) { v.highDefense = -3; })
                                                       << slimeName
                                                       << QByteArray(" .db 20,5,-3,4,6,3,7,3,5,2,15,61,88,72,3,1,2,1,2,1,2,1,2,1");
    QTest::newRow("each sprite its own height and width") << Change([](EnemyValues& v) {
        v.sprites[0] = Sprite(17, 3);
        v.sprites[1] = Sprite(16, 4);
        v.sprites[2] = Sprite(8, 5);
        v.sprites[3] = Sprite(1, 7);
        v.sprites[4] = Sprite(12, 9);
    }) << slimeName << QByteArray(" .db 20,5,5,4,6,3,7,3,5,2,15,61,88,72,3,3,4,2,5,1,7,1,9,2");
}

void TestEnemySource::lines()
{
    QFETCH(Change, change);
    QFETCH(QByteArray, nameLine);
    QFETCH(QByteArray, valueLine);

    EnemyValues values = slime();
    change(values);
    const QList<QByteArray> lines = QByteArray::fromStdString(palvorn::EnemySourceText(values)).split('\n');
    QVERIFY(lines.size() > 5);
    QCOMPARE(lines[3], nameLine + '\r');
    QCOMPARE(lines[4], valueLine + '\r');
}

void TestEnemySource::fileName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("short name, no padding spaces") << QByteArray("Slime") << "Slime.asm";
    QTest::newRow("8 characters") << QByteArray("Abcdefgh") << "Abcdefgh.asm";
    QTest::newRow("empty name") << QByteArray() << ".asm";
    QTest::newRow("inner space") << QByteArray("Big Rat") << "Big Rat.asm";
}

void TestEnemySource::fileName()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, fileName);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    EnemyValues values = slime();
    values.name = name.toStdString();
    const std::filesystem::path written = palvorn::WriteEnemySource(dir.path().toStdString(), values);
    QCOMPARE(qpath(written), dir.filePath(fileName));
    QCOMPARE(entryNames(dir.path()), QStringList{fileName});
    QCOMPARE(readAll(dir.filePath(fileName)), QByteArray::fromStdString(palvorn::EnemySourceText(values)));
}

void TestEnemySource::olderLongerFileReplacedWhole()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
        QFile older(dir.filePath("Slime.asm"));
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write(QByteArray(100000, 'x') + "\r\nEND\r\n");
    }
    palvorn::WriteEnemySource(dir.path().toStdString(), slime());
    QCOMPARE(readAll(dir.filePath("Slime.asm")), golden());
    QCOMPARE(entryNames(dir.path()), QStringList{"Slime.asm"});
}

void TestEnemySource::refusedNames_data()
{
    QTest::addColumn<QByteArray>("name");

    QTest::newRow("slash") << QByteArray("a/b");
    QTest::newRow("backslash") << QByteArray("a\\b");
    QTest::newRow("leading slash") << QByteArray("/etc");
    QTest::newRow("dot") << QByteArray(".");
    QTest::newRow("dot dot") << QByteArray("..");
    QTest::newRow("two-byte character") << QByteArray("Sl\xc3\xa9");
    QTest::newRow("single high byte") << QByteArray("Sl\xe9");
    QTest::newRow("tab") << QByteArray("a\tb");
    QTest::newRow("line feed") << QByteArray("a\nb");
    QTest::newRow("carriage return") << QByteArray("a\rb");
    QTest::newRow("delete") << QByteArray("a\x7f");
    QTest::newRow("nul") << QByteArray("a\0b", 3);
    QTest::newRow("double quote would end the field") << QByteArray("Sl\"me");
}

// Refused before anything touches the disk.
void TestEnemySource::refusedNames()
{
    QFETCH(QByteArray, name);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::filesystem::path folder = (dir.path() + "/program").toStdString();
    QVERIFY(QDir().mkpath(qpath(folder)));
    EnemyValues values = slime();
    values.name = name.toStdString();

    QVERIFY_THROWS_EXCEPTION(palvorn::InvalidName, palvorn::WriteEnemySource(folder, values));
    QVERIFY_THROWS_EXCEPTION(palvorn::InvalidName, palvorn::EnemySourceText(values));
    QVERIFY_THROWS_EXCEPTION(palvorn::InvalidName, palvorn::EnemySourcePath(folder, values.name));
    QCOMPARE(entryNames(dir.path()), QStringList{"program"});
    QCOMPARE(entryNames(qpath(folder)), QStringList{});
}

void TestEnemySource::outsideByte_data()
{
    QTest::addColumn<Change>("change");

    QTest::newRow("minimum hit points 300") << Change([](EnemyValues& v) { v.minHP = 300; });
    QTest::newRow("money 256") << Change([](EnemyValues& v) { v.money = 256; });
    QTest::newRow("RobotTo -129") << Change([](EnemyValues& v) { v.robotTo = -129; });
    QTest::newRow("RobotY -200") << Change([](EnemyValues& v) { v.robotY = -200; });
    QTest::newRow("item number 256") << Change([](EnemyValues& v) { v.itemPosition = 255; });
    QTest::newRow("sprite 256 rows high") << Change([](EnemyValues& v) { v.sprites[2] = Sprite(8, 256); });
}

// The assembler would keep the low byte of each without a word, so the
// writer refuses them, before anything touches the disk.
void TestEnemySource::outsideByte()
{
    QFETCH(Change, change);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    EnemyValues values = slime();
    change(values);
    QVERIFY_THROWS_EXCEPTION(palvorn::ValueOutOfRange, palvorn::WriteEnemySource(dir.path().toStdString(), values));
    QCOMPARE(entryNames(dir.path()), QStringList{});
}

void TestEnemySource::failingWrite_data()
{
    QTest::addColumn<int>("obstacle");

    QTest::newRow("a folder stands at NAME.asm") << int(FolderAtTarget);
    QTest::newRow("the program folder is a file") << int(FolderIsAFile);
    QTest::newRow("the program folder is missing") << int(FolderMissing);
    QTest::newRow("read-only folder") << int(ReadOnlyFolder);
    QTest::newRow("disk full") << int(DiskFull);
}

// The older file stays byte for byte, no temporary file is left, and the
// error names the path and the system's reason.
void TestEnemySource::failingWrite()
{
    QFETCH(int, obstacle);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString folder = dir.filePath("program");
    QVERIFY(QDir().mkpath(folder));
    const QByteArray older = QByteArray(5000, 'o') + "\r\nEND\r\n";
    {
        QFile file(folder + "/Slime.asm");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(older);
    }

    std::unique_ptr<ImmutableFolder> readOnly;
    std::unique_ptr<FileSizeLimit> sizeLimit;
    int expectedError = 0;
    switch (obstacle) {
    case FolderAtTarget:
        QVERIFY(QFile::remove(folder + "/Slime.asm"));
        QVERIFY(QDir().mkpath(folder + "/Slime.asm/inside"));
        expectedError = EISDIR;
        break;
    case FolderIsAFile:
        folder = folder + "/Slime.asm";
        expectedError = ENOTDIR;
        break;
    case FolderMissing:
        folder = folder + "/gone";
        expectedError = ENOENT;
        break;
    case ReadOnlyFolder:
        if (::geteuid() != 0) {
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            expectedError = EACCES;
        } else {
            // Root ignores permission bits; the immutable flag stops it too.
            readOnly = std::make_unique<ImmutableFolder>(folder);
            if (!readOnly->isSet())
                QSKIP("this file system or process cannot make a folder read-only for root");
            expectedError = EPERM;
        }
        break;
    case DiskFull:
        sizeLimit = std::make_unique<FileSizeLimit>(64);
        if (!sizeLimit->isSet())
            QSKIP("cannot lower the file size limit");
        expectedError = EFBIG;
        break;
    }

    const std::map<QString, QByteArray> before = snapshot(dir.filePath("program"));
    const std::filesystem::path target = folder.toStdString() + "/Slime.asm";
    const std::string reason = std::generic_category().message(expectedError);
    std::optional<palvorn::WriteError> error;
    try {
        palvorn::WriteEnemySource(folder.toStdString(), slime());
    } catch (const palvorn::WriteError& e) {
        error = e;
    }
    // Lifted before any test output is written.
    sizeLimit.reset();
    readOnly.reset();
    QVERIFY2(error, "the failure was not reported");
    QCOMPARE(qpath(error->path()), qpath(target));
    QCOMPARE(error->reason(), reason);
    const QString message = QString::fromLocal8Bit(error->what());
    QVERIFY2(message.contains(qpath(target)) && message.contains(QString::fromStdString(reason)), qPrintable(message));
    QCOMPARE(snapshot(dir.filePath("program")), before);
    if (obstacle != FolderAtTarget)
        QCOMPARE(readAll(dir.filePath("program/Slime.asm")), older);
    QFile::setPermissions(dir.filePath("program"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_GUILESS_MAIN(TestEnemySource)
#include "tst_enemysource.moc"
