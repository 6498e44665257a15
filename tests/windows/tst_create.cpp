// "Create" through the real windows: the checks, the file, the build script,
// and everything that can go wrong on the way.
#include <QtTest>

#include <QClipboard>
#include <QComboBox>
#include <QDirIterator>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <optional>
#include <unistd.h>

#include "SettingsWindow.h"
#include "WizardWindow.h"
#include "SpritesWindow.h"
#include "SettingsFixture.h"
#include "SlimePictures.h"

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(cannot read " + path.toUtf8() + ")";
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// The 24 fields of the value line of an enemy file.
QList<QByteArray> valueFields(const QString& path)
{
    QByteArray line = readAll(path).split('\n').value(4);
    line.chop(1);  // CR
    if (!line.startsWith(" .db "))
        return {};
    return line.mid(5).split(',');
}

// Every file and folder below root, relative to it.
QStringList tree(const QString& root)
{
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(root).relativeFilePath(it.next()));
    found.sort();
    return found;
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

struct Start {
    QString script;
    QString argument;
    QString folder;
};

}  // namespace

class TestCreate : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void validation_data();
    void validation();
    void wholeRoad();
    void placementGoesWithCancel();
    void valuesGoWithWorkerWindow();
    void typedItemWritesZero();
    void nameIsOneArgument_data();
    void nameIsOneArgument();
    void scriptNotStartable_data();
    void scriptNotStartable();
    void writeFailureLosesNothing_data();
    void writeFailureLosesNothing();
    void namesCannotEscape_data();
    void namesCannotEscape();

private:
    // A build script that appends its arguments and working folder to starts.log.
    void writeRecordingScript();
    // One entry per start: the arguments, then the working folder.
    QList<QStringList> recordedStarts() const;
    // The launcher seam: remembers each start instead of running anything.
    void recordStarts();
    // Sprite slots 1..5 of the wizard hold the Slime pictures.
    void fillSlots();
    // Opens the settings window and enters the Slime enemy as a user does.
    SettingsWindow* enterSlime();
    void chooseItem(SettingsWindow* settings, int downPresses);
    void clickCreate(SettingsWindow* settings);
    QString folderPath(const QString& name) const { return QDir(folder_).filePath(name); }

    QTemporaryDir sandbox_;
    QString folder_;
    std::optional<WarningRecorder> recorder_;
    QList<Start> starts_;
    WizardWindow* wizard_ = nullptr;
    QString mounted_;
};

void TestCreate::init()
{
    QVERIFY(sandbox_.isValid());
    folder_ = sandbox_.filePath(QStringLiteral("prog"));
    QVERIFY(QDir().mkpath(folder_));
    platform::setProgramFolder(folder_);
    recorder_.emplace();
    starts_.clear();
    wizard_ = new WizardWindow;
    wizard_->show();
}

void TestCreate::cleanup()
{
    delete wizard_;
    wizard_ = nullptr;
    SettingsWindow::closeIfOpen();
    SpritesWindow::closeIfOpen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    recorder_.reset();
    platform::setScriptLauncher({});
    platform::setProgramFolder({});
    if (!mounted_.isEmpty()) {
        QProcess::execute(QStringLiteral("umount"), {mounted_});
        mounted_.clear();
    }
    QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const QFileInfo& entry : QDir(sandbox_.path()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
        QVERIFY(entry.isDir() ? QDir(entry.filePath()).removeRecursively() : QFile::remove(entry.filePath()));
}

void TestCreate::writeRecordingScript()
{
    const QString log = folderPath(QStringLiteral("starts.log"));
    const QByteArray script = "log='" + log.toUtf8() +
                              "'\n"
                              "{ printf 'start\\n'; for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done; "
                              "printf 'pwd=%s\\n' \"$(pwd)\"; printf 'end\\n'; } >> \"$log\"\n";
    QVERIFY(writeFile(folderPath(platform::buildScriptName()), script));
}

QList<QStringList> TestCreate::recordedStarts() const
{
    QList<QStringList> starts;
    for (const QByteArray& line : readAll(folderPath(QStringLiteral("starts.log"))).split('\n')) {
        if (line == "start")
            starts.append(QStringList());
        else if (!starts.isEmpty() && line != "end" && !line.isEmpty())
            starts.last().append(QString::fromUtf8(line));
    }
    return starts;
}

void TestCreate::recordStarts()
{
    platform::setScriptLauncher([this](const QString& script, const QString& argument, const QString& folder) {
        starts_.append({script, argument, folder});
        return QString();
    });
}

void TestCreate::fillSlots()
{
    const auto pictures = slimePictures();
    // Measured at step 1 as the wizard does, which stores the placement values.
    wizard_->setSpritePicture(pictures[0]);
    wizard_->InitPic();
    for (int i = 1; i <= 5; ++i) {
        wizard_->SaveSprite[i] = pictures[i - 1];
        wizard_->SpriteSize[i] = palvorn::packedSize(pictures[i - 1].width(), pictures[i - 1].height());
    }
}

void TestCreate::chooseItem(SettingsWindow* settings, int downPresses)
{
    auto* item = control<QComboBox>(settings, "cmbItem");
    item->setFocus();
    for (int i = 0; i < downPresses; ++i)
        QTest::keyClick(item, Qt::Key_Down);
}

SettingsWindow* TestCreate::enterSlime()
{
    SettingsWindow* settings = SettingsWindow::showWindow();
    replaceText(control<QLineEdit>(settings, "CharName"), QStringLiteral("Slime"));
    chooseItem(settings, 2);  // "Heal Leaf"
    replaceText(control<QLineEdit>(settings, "txtMinHP"), QStringLiteral("20"));
    replaceText(control<QLineEdit>(settings, "txtMaxHP"), QStringLiteral("65"));  // increment 5
    replaceText(control<QLineEdit>(settings, "txtRobotMoney"), QStringLiteral("15"));
    const struct {
        const char* slider;
        int steps;  // from the start value 5
    } moves[] = {{"LowDefSlider", -1}, {"UpAtkSlider", 1}, {"LowAtkSlider", -2}, {"SpecAtkSlider", 2},
                 {"BlksSlider", -2}};
    for (const auto& move : moves) {
        auto* slider = control<QSlider>(settings, move.slider);
        slider->setFocus();
        for (int i = 0; i < std::abs(move.steps); ++i)
            QTest::keyClick(slider, move.steps < 0 ? Qt::Key_Left : Qt::Key_Right);
    }
    return settings;
}

void TestCreate::clickCreate(SettingsWindow* settings)
{
    QTest::mouseClick(control<QPushButton>(settings, "CreateBut"), Qt::LeftButton);
}

void TestCreate::validation_data()
{
    QTest::addColumn<int>("itemDowns");  // 0: the item text is left alone
    QTest::addColumn<QString>("typedItem");
    QTest::addColumn<QString>("maxHP");
    QTest::addColumn<QString>("minHP");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");  // empty: Create proceeds
    QTest::addColumn<QString>("text");

    const QString item = QStringLiteral("Select Item");
    const QString itemText = QStringLiteral("You must select an item!");
    const QString hp = QStringLiteral("Figuring HP");
    const QString hpText = QStringLiteral("Max HP must be higher than Min HP!");
    QTest::newRow("Select Item with good HP") << 0 << "" << "100" << "50" << "Robot" << item << itemText;
    QTest::newRow("Select Item with bad HP") << 0 << "" << "50" << "50" << "Robot" << item << itemText;
    QTest::newRow("typed item text") << 0 << "select item" << "100" << "50" << "Robot" << "" << "";
    QTest::newRow("100 over 50") << 1 << "" << "100" << "50" << "Robot" << "" << "";
    QTest::newRow("50 equal 50") << 1 << "" << "50" << "50" << "Robot" << hp << hpText;
    QTest::newRow("empty max") << 1 << "" << "" << "0" << "Robot" << hp << hpText;
    QTest::newRow("5 over empty min") << 1 << "" << "5" << "" << "Robot" << "" << "";
    QTest::newRow("empty name") << 1 << "" << "100" << "50" << "" << "Robot Name" << "You must enter a name!";
}

void TestCreate::validation()
{
    QFETCH(int, itemDowns);
    QFETCH(QString, typedItem);
    QFETCH(QString, maxHP);
    QFETCH(QString, minHP);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, text);
    recordStarts();
    fillSlots();
    SettingsWindow* settings = SettingsWindow::showWindow();
    chooseItem(settings, itemDowns);
    if (!typedItem.isEmpty())
        replaceText(control<QComboBox>(settings, "cmbItem")->lineEdit(), typedItem);
    replaceText(control<QLineEdit>(settings, "txtMaxHP"), maxHP);
    replaceText(control<QLineEdit>(settings, "txtMinHP"), minHP);
    replaceText(control<QLineEdit>(settings, "CharName"), name);
    clickCreate(settings);

    if (title.isEmpty()) {
        QCOMPARE(recorder_->warnings.size(), 0);
        QVERIFY(QFile::exists(folderPath(name + ".asm")));
        QCOMPARE(starts_.size(), 1);
        QVERIFY(SpritesWindow::existing()->isVisible());
        QVERIFY(SpritesWindow::existing()->okButton()->isEnabled());
    } else {
        QCOMPARE(recorder_->warnings.size(), 1);
        QCOMPARE(recorder_->warnings[0].title, title);
        QCOMPARE(recorder_->warnings[0].text, text);
        QCOMPARE(recorder_->warnings[0].buttons, platform::Buttons::OkCancel);
        QCOMPARE(tree(folder_), QStringList());
        QCOMPARE(starts_.size(), 0);
        QVERIFY(!SpritesWindow::existing() || !SpritesWindow::existing()->isVisible());
        QVERIFY(SettingsWindow::existing());
    }
}

void TestCreate::wholeRoad()
{
    writeRecordingScript();
    const auto pictures = slimePictures();
    for (int step = 1; step <= 5; ++step) {
        QGuiApplication::clipboard()->setImage(pictures[step - 1]);
        QTest::mouseClick(control<QPushButton>(wizard_, "ClipboardBut"), Qt::LeftButton);
        QCOMPARE(wizard_->SpriteSize[step], step == 1 ? 3 : 2);
        QTest::mouseClick(control<QPushButton>(wizard_, step < 5 ? "NextBut" : "FinishBut"), Qt::LeftButton);
    }
    QVERIFY(SettingsWindow::existing());
    SettingsWindow* settings = enterSlime();
    clickCreate(settings);

    QCOMPARE(recorder_->warnings.size(), 0);
    SpritesWindow* worker = SpritesWindow::existing();
    QVERIFY(worker && worker->isVisible());
    QVERIFY(worker->okButton()->isEnabled());
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(worker->copySprite(i), wizard_->SaveSprite[i]);
    QCOMPARE(readAll(folderPath(QStringLiteral("Slime.asm"))), readAll(slimeGoldenPath()));
    const QStringList expected = {QStringLiteral("arg=Slime"), QStringLiteral("pwd=") + QDir(folder_).canonicalPath()};
    QTRY_COMPARE(recordedStarts(), QList<QStringList>{expected});

    // Again: the file is written anew from the same copies and the script runs once more.
    QVERIFY(QFile::remove(folderPath(QStringLiteral("Slime.asm"))));
    clickCreate(settings);
    QCOMPARE(readAll(folderPath(QStringLiteral("Slime.asm"))), readAll(slimeGoldenPath()));
    QTRY_COMPARE(recordedStarts(), (QList<QStringList>{expected, expected}));
    QStringList expectedTree = {"Slime.asm", platform::buildScriptName(), "starts.log"};
    expectedTree.sort();
    QCOMPARE(tree(folder_), expectedTree);
}

void TestCreate::placementGoesWithCancel()
{
    recordStarts();
    const auto pictures = slimePictures();
    for (int step = 1; step <= 5; ++step) {
        QGuiApplication::clipboard()->setImage(pictures[step - 1]);
        QTest::mouseClick(control<QPushButton>(wizard_, "ClipboardBut"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(wizard_, step < 5 ? "NextBut" : "FinishBut"), Qt::LeftButton);
    }
    QCOMPARE(SpritesWindow::instance()->lblRobotY, QStringLiteral("61"));
    QTest::mouseClick(control<QPushButton>(SettingsWindow::existing(), "CancelBut"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(wizard_, "FinishBut"), Qt::LeftButton);
    SettingsWindow* settings = enterSlime();
    clickCreate(settings);
    const QList<QByteArray> fields = valueFields(folderPath(QStringLiteral("Slime.asm")));
    QCOMPARE(fields.size(), 24);
    QCOMPARE(fields.mid(11, 3), (QList<QByteArray>{"", "", ""}));
    QCOMPARE(fields[1], QByteArray("5"));
    QCOMPARE(fields[10], QByteArray("15"));
}

void TestCreate::valuesGoWithWorkerWindow()
{
    // Max HP and money edited while an earlier worker window was open; that
    // window was closed, so the one Create fills has never seen them.
    recordStarts();
    fillSlots();
    SettingsWindow* settings = enterSlime();
    SpritesWindow::existing()->close();
    clickCreate(settings);
    const QList<QByteArray> fields = valueFields(folderPath(QStringLiteral("Slime.asm")));
    QCOMPARE(fields.size(), 24);
    QCOMPARE(fields[0], QByteArray("20"));
    QCOMPARE(fields[1], QByteArray(""));
    QCOMPARE(fields[10], QByteArray(""));
}

void TestCreate::typedItemWritesZero()
{
    recordStarts();
    fillSlots();
    SettingsWindow* settings = enterSlime();
    replaceText(control<QComboBox>(settings, "cmbItem")->lineEdit(), QStringLiteral("Bone"));
    clickCreate(settings);
    QCOMPARE(valueFields(folderPath(QStringLiteral("Slime.asm"))).value(9), QByteArray("0"));
}

void TestCreate::nameIsOneArgument_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("space") << "Big Bat";
    QTest::newRow("two spaces") << "a  b";
    QTest::newRow("quote, semicolon, star") << "a'b;c*";
    QTest::newRow("command substitution") << "x$(y)";
    QTest::newRow("redirection after semicolon") << ";>pwn";
    QTest::newRow("redirection in substitution") << "$(>p)";
    QTest::newRow("backquotes") << "`>q`";
    QTest::newRow("looks like an option") << "-n";
}

void TestCreate::nameIsOneArgument()
{
    QFETCH(QString, name);
    writeRecordingScript();
    fillSlots();
    SettingsWindow* settings = enterSlime();
    replaceText(control<QLineEdit>(settings, "CharName"), name);
    QCOMPARE(control<QLineEdit>(settings, "CharName")->text(), name);
    clickCreate(settings);
    QCOMPARE(recorder_->warnings.size(), 0);
    const QStringList expected = {"arg=" + name, QStringLiteral("pwd=") + QDir(folder_).canonicalPath()};
    QTRY_COMPARE(recordedStarts(), QList<QStringList>{expected});
    // Nothing ran that could leave a file behind.
    QTest::qWait(100);
    QStringList expectedTree = {"prog", "prog/" + name + ".asm", "prog/" + platform::buildScriptName(),
                                "prog/starts.log"};
    expectedTree.sort();
    QCOMPARE(tree(sandbox_.path()), expectedTree);
}

void TestCreate::scriptNotStartable_data()
{
    QTest::addColumn<bool>("directoryInstead");
    QTest::newRow("script missing") << false;
    QTest::newRow("directory in place of the script") << true;
}

void TestCreate::scriptNotStartable()
{
    QFETCH(bool, directoryInstead);
    if (directoryInstead)
        QVERIFY(QDir(folder_).mkdir(platform::buildScriptName()));
    fillSlots();
    SettingsWindow* settings = enterSlime();
    clickCreate(settings);
    QCOMPARE(recorder_->warnings.size(), 1);
    const QString script = folderPath(platform::buildScriptName());
    QVERIFY2(recorder_->warnings[0].text.contains(script), qPrintable(recorder_->warnings[0].text));
    QVERIFY2(recorder_->warnings[0].text.contains(QStringLiteral("was written")), qPrintable(recorder_->warnings[0].text));
    QCOMPARE(readAll(folderPath(QStringLiteral("Slime.asm"))), readAll(slimeGoldenPath()));
    QVERIFY(SpritesWindow::existing()->okButton()->isEnabled());
}

void TestCreate::writeFailureLosesNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("error");
    QTest::newRow("directory standing at NAME.asm") << "directory" << EISDIR;
    QTest::newRow("program folder below a regular file") << "under file" << ENOTDIR;
    QTest::newRow("read-only program folder") << "read-only" << EACCES;
    QTest::newRow("read-only file system") << "read-only mount" << EROFS;
    QTest::newRow("disk full") << "full" << ENOSPC;
}

void TestCreate::writeFailureLosesNothing()
{
    QFETCH(QString, kind);
    QFETCH(int, error);
    recordStarts();
    const QByteArray older = "older file\r\nkept as it was\r\n";
    QString target = folderPath(QStringLiteral("Slime.asm"));
    if (kind == "directory") {
        QVERIFY(QDir(folder_).mkdir(QStringLiteral("Slime.asm")));
    } else if (kind == "under file") {
        QVERIFY(writeFile(folderPath(QStringLiteral("plain")), "a file\n"));
        platform::setProgramFolder(folderPath(QStringLiteral("plain/prog")));
        target = folderPath(QStringLiteral("plain/prog/Slime.asm"));
    } else if (kind == "read-only") {
        if (::geteuid() == 0)
            QSKIP("permissions do not stop root");
        QVERIFY(writeFile(target, older));
        QVERIFY(QFile::setPermissions(folder_, QFile::ReadOwner | QFile::ExeOwner));
    } else if (kind == "read-only mount") {
        // Permissions do not stop root; a file system mounted read-only does.
        if (::geteuid() != 0 ||
            QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder_}) != 0)
            QSKIP("a small file system cannot be mounted here");
        mounted_ = folder_;
        QVERIFY(writeFile(target, older));
        QCOMPARE(QProcess::execute(QStringLiteral("mount"), {"-o", "remount,ro", folder_}), 0);
    } else if (kind == "full") {
        if (::geteuid() != 0 ||
            QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder_}) != 0)
            QSKIP("a small file system cannot be mounted here");
        mounted_ = folder_;
        QVERIFY(writeFile(target, older));
        // Fill it: the writes stop when no block is left.
        QFile filler(folderPath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        for (int i = 0; i < 64 && filler.write(block) == block.size() && filler.flush(); ++i) {
        }
        filler.close();
    }
    const QStringList before = tree(sandbox_.path());

    fillSlots();
    SettingsWindow* settings = enterSlime();
    clickCreate(settings);

    QCOMPARE(recorder_->warnings.size(), 1);
    const QString text = recorder_->warnings[0].text;
    QVERIFY2(text.contains(target), qPrintable(text));
    QVERIFY2(text.contains(systemReason(error)), qPrintable(text));
    QCOMPARE(starts_.size(), 0);
    QCOMPARE(tree(sandbox_.path()), before);
    if (kind != "directory" && kind != "under file")
        QCOMPARE(readAll(target), older);
    // "Ok" would reset the wizard with nothing written; it stays locked and the
    // worker window, with its values, goes out of the way.
    QVERIFY(!SpritesWindow::existing()->okButton()->isEnabled());
    QVERIFY(!SpritesWindow::existing()->isVisible());
    QCOMPARE(SpritesWindow::existing()->lblRobotMoney, QStringLiteral("15"));
    QVERIFY(SettingsWindow::existing());

    if (kind == "full") {
        // Room again: the same Create now succeeds.
        QVERIFY(QFile::remove(folderPath(QStringLiteral("filler"))));
        clickCreate(settings);
        QCOMPARE(readAll(target), readAll(slimeGoldenPath()));
        QCOMPARE(starts_.size(), 1);
    }
}

void TestCreate::namesCannotEscape_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("how");  // typed, pasted or set (past the field's checks)

    const QStringList hostile = {"../../x", "..", "/etc/pw", "a\\..\\b", "\"q\"", "a\tb", "a\nb", "a\rb",
                                 QStringLiteral("\u00E9\u03A9x"), "123456789abc", "$(>p);*", "~/x", ".", "a\x7f"};
    for (const char* how : {"typed", "pasted"})
        for (const QString& input : hostile)
            QTest::addRow("%s %s", how, qPrintable(input.toUtf8().toPercentEncoding())) << input << QString::fromLatin1(how);
    for (const QString& input : {QStringLiteral("../esc"), QStringLiteral("/tmp/esc"), QStringLiteral("a\u03A9"),
                                 QStringLiteral("..")})
        QTest::addRow("set %s", qPrintable(input.toUtf8().toPercentEncoding())) << input << "set";
}

void TestCreate::namesCannotEscape()
{
    QFETCH(QString, input);
    QFETCH(QString, how);
    recordStarts();
    fillSlots();
    SettingsWindow* settings = enterSlime();
    auto* name = control<QLineEdit>(settings, "CharName");
    replaceText(name, QString());
    if (how == "typed") {
        typeInto(name, input);
    } else if (how == "pasted") {
        QGuiApplication::clipboard()->setText(input);
        QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    } else {
        name->setText(input);
    }
    const QString held = name->text();
    if (how != "set")
        QVERIFY(held.size() <= 8);
    clickCreate(settings);

    // Nothing where the typed path would have led outside the folder.
    if (held.contains(QLatin1Char('/')) || held.contains(QLatin1Char('\\'))) {
        QVERIFY(!QFile::exists(QDir::cleanPath(folder_ + '/' + held + ".asm")) ||
                QDir::cleanPath(folder_ + '/' + held).startsWith(folder_ + '/'));
        QVERIFY(!QFile::exists(held + ".asm"));
    }
    const QStringList written = tree(sandbox_.path());
    if (written.size() == 2) {
        // Written: one file, directly in the program folder, named as the field reads.
        QCOMPARE(written, (QStringList{"prog", "prog/" + held + ".asm"}));
        QCOMPARE(starts_.size(), 1);
        QCOMPARE(starts_[0].script, folderPath(platform::buildScriptName()));
        QCOMPARE(starts_[0].argument, held);
        QCOMPARE(starts_[0].folder, folder_);
    } else {
        QCOMPARE(written, QStringList{"prog"});
        QCOMPARE(starts_.size(), 0);
        QCOMPARE(recorder_->warnings.size(), 1);
    }
}

QTEST_MAIN(TestCreate)
#include "tst_create.moc"
