// Sending a program file to a calculator through the real link libraries,
// with a fake calculator at the other end of a dummy cable. The programs are
// built by asm.sh and palvorn-8xp; what the fake receives is compared with
// the file as read by hand (ProgramFile.h), not by the library.

#include <QtTest>

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "BuiltPrograms.h"
#include "CableFactory.h"
#include "ChooseDevice.h"
#include "FakeCalculator.h"
#include "ProgramFile.h"
#include "TiLink.h"

namespace {

using Behaviour = FakeCalculator::Behaviour;
using Protocol = FakeCalculator::Protocol;

// One calculator the tool sends to, as the factory would name it.
struct Target {
    Protocol protocol;
    CalcModel model;
    const char* name;
    std::uint32_t usbPacketSize;
};
constexpr Target kTI83PlusLink{Protocol::Link, CALC_TI83P, "TI-83 Plus", 0};
constexpr Target kTI84PlusLink{Protocol::Link, CALC_TI84P, "TI-84 Plus", 0};
constexpr Target kTI84PlusUsb{Protocol::Usb, CALC_TI84P_USB, "TI-84 Plus", 250};
constexpr Target kTI84PlusCEUsb{Protocol::Usb, CALC_TI84PCE_USB, "TI-84 Plus CE", 1018};
constexpr Target kTargets[] = {kTI83PlusLink, kTI84PlusLink, kTI84PlusUsb, kTI84PlusCEUsb};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray bytes(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

}  // namespace

Q_DECLARE_METATYPE(Target)
Q_DECLARE_METATYPE(Behaviour)
Q_DECLARE_METATYPE(calclink::Failure)

class TestLink : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sendsBuiltProgram_data();
    void sendsBuiltProgram();
    void calculatorFails_data();
    void calculatorFails();
    void cancelFromProgress_data();
    void cancelFromProgress();
    void refusesInput_data();
    void refusesInput();
    void libraryChatterSilenced();
    void chooseDevice_data();
    void chooseDevice();

private:
    // Sends `file` to a fake of `target`; the progress reports land in
    // `reports`, and with cancelMidway the first report of a transfer under
    // way (some but not all done) asks to cancel.
    calclink::Outcome send(FakeCalculator& fake, const Target& target, const QString& file,
                           std::vector<calclink::Progress>* reports = nullptr, bool cancelMidway = false)
    {
        fake.protocol = target.protocol;
        fake.usbPacketSize = target.usbPacketSize;
        const calclink::ProgressFn progress = [&](const calclink::Progress& p) {
            if (reports)
                reports->push_back(p);
            return !(cancelMidway && p.total > 0 && p.done > 0 && p.done < p.total);
        };
        return calclink::sendProgram(file.toStdString(), {}, progress, fake.factory(target.model, target.name));
    }

    BuiltPrograms programs_;
};

void TestLink::initTestCase()
{
    const QString built = programs_.buildBoth();
    QVERIFY2(built.isEmpty(), qPrintable(built));
}

void TestLink::sendsBuiltProgram_data()
{
    QTest::addColumn<Target>("target");
    QTest::addColumn<QString>("program");
    for (const Target& t : kTargets) {
        const QString protocol = t.protocol == Protocol::Link ? "link port" : "USB";
        for (const char* program : {"Slime", "Large"})
            QTest::addRow("%s, %s, %s", t.name, qPrintable(protocol), program) << t << QString(program);
    }
}

// The whole exchange, the fake's record of it against the file read by hand,
// the progress the caller saw, and the file left as it was.
void TestLink::sendsBuiltProgram()
{
    QFETCH(Target, target);
    QFETCH(QString, program);
    const QString file = programs_.path(program + ".8XP");
    const QByteArray before = readAll(file);
    const QDateTime modified = QFileInfo(file).lastModified();
    const Program expected = readProgram(before);
    QVERIFY2(expected.error.isEmpty(), qPrintable(expected.error));

    FakeCalculator fake;
    std::vector<calclink::Progress> reports;
    const calclink::Outcome outcome = send(fake, target, file, &reports);

    QCOMPARE(outcome.failure, calclink::Failure::None);
    QCOMPARE(QString::fromStdString(outcome.message), QString("Sent %1.8XP to the %2").arg(program, target.name));
    QVERIFY2(fake.fault.empty(), fake.fault.c_str());
    QCOMPARE(QByteArray::fromStdString(fake.name), expected.name);
    QCOMPARE(fake.type, int(expected.type));
    QCOMPARE(qsizetype(fake.announcedSize), expected.data.size());
    QCOMPARE(bytes(fake.data), expected.data);
    QVERIFY(fake.ended);

    // The last report is the end; before it, a program over one packet is
    // reported in steps that only grow, a small one not at all.
    QVERIFY(!reports.empty());
    QVERIFY(reports.back().total > 0 && reports.back().done == reports.back().total);
    std::vector<calclink::Progress> steps;
    for (const calclink::Progress& p : reports)
        if (p.total > 0 && p.done < p.total)
            steps.push_back(p);
    if (program == "Large") {
        QVERIFY2(steps.size() >= 2, qPrintable(QString::number(steps.size())));
        for (std::size_t i = 1; i < steps.size(); ++i)
            QVERIFY(steps[i].done >= steps[i - 1].done);
        if (target.protocol == Protocol::Usb)
            QVERIFY2(fake.dataPackets > 1, qPrintable(QString::number(fake.dataPackets)));
    } else {
        QVERIFY(steps.empty());
        QCOMPARE(fake.dataPackets, 1);
    }

    QCOMPARE(readAll(file), before);
    QCOMPARE(QFileInfo(file).lastModified(), modified);
}

void TestLink::calculatorFails_data()
{
    QTest::addColumn<Target>("target");
    QTest::addColumn<Behaviour>("behaviour");
    QTest::addColumn<calclink::Failure>("failure");
    QTest::addColumn<QString>("message");

    using F = calclink::Failure;
    const QString memory = "The calculator does not have enough free RAM for SLIME (59 bytes).";
    const QString silent = "The calculator did not answer.";
    const QString busy = "The calculator is busy. Leave any menu or program, go to the home screen, and try again.";
    QTest::newRow("out of memory, link port") << kTI84PlusLink << Behaviour::OutOfMemory << F::OutOfMemory << memory;
    QTest::newRow("out of memory, USB") << kTI84PlusUsb << Behaviour::OutOfMemory << F::OutOfMemory << memory;
    QTest::newRow("out of memory, CE") << kTI84PlusCEUsb << Behaviour::OutOfMemory << F::OutOfMemory << memory;
    QTest::newRow("silent, link port") << kTI83PlusLink << Behaviour::Silent << F::NoAnswer << silent;
    QTest::newRow("silent, USB") << kTI84PlusUsb << Behaviour::Silent << F::NoAnswer << silent;
    QTest::newRow("busy, link port") << kTI84PlusLink << Behaviour::Busy << F::NotReady << busy;
    QTest::newRow("busy, USB") << kTI84PlusUsb << Behaviour::Busy << F::NotReady << busy;
    QTest::newRow("USB open refused") << kTI84PlusUsb << Behaviour::OpenFails << F::NoPermission
                                      << "A TI-84 Plus is connected, but this account may not use it. The package "
                                         "libticables2-8 installs the permission rule; unplug and replug the cable, "
                                         "and log in at the machine itself.";
}

// Each failure gives our own message, nothing reached the calculator's
// memory, and the file is as it was.
void TestLink::calculatorFails()
{
    QFETCH(Target, target);
    QFETCH(Behaviour, behaviour);
    QFETCH(calclink::Failure, failure);
    QFETCH(QString, message);
    const QString file = programs_.path("Slime.8XP");
    const QByteArray before = readAll(file);

    FakeCalculator fake;
    fake.behaviour = behaviour;
    const calclink::Outcome outcome = send(fake, target, file);

    QCOMPARE(outcome.failure, failure);
    QCOMPARE(QString::fromStdString(outcome.message), message);
    QVERIFY(!QString::fromStdString(outcome.message).contains("System:"));
    QVERIFY(fake.data.empty());
    QVERIFY(!fake.ended);
    QCOMPARE(readAll(file), before);
}

void TestLink::cancelFromProgress_data()
{
    QTest::addColumn<Target>("target");
    QTest::addRow("link port") << kTI84PlusLink;
    QTest::addRow("USB") << kTI84PlusUsb;
    QTest::addRow("CE") << kTI84PlusCEUsb;
}

// A cancel asked while the data goes ends the transfer at the library's next
// step: no more reports, not all the data, no end of transmission.
void TestLink::cancelFromProgress()
{
    QFETCH(Target, target);
    FakeCalculator fake;
    std::vector<calclink::Progress> reports;
    const calclink::Outcome outcome = send(fake, target, programs_.path("Large.8XP"), &reports, true);

    QCOMPARE(outcome.failure, calclink::Failure::Cancelled);
    QCOMPARE(QString::fromStdString(outcome.message), QString("Sending was cancelled."));
    QVERIFY(!reports.empty());
    QVERIFY(reports.back().done > 0 && reports.back().done < reports.back().total);
    QVERIFY(!fake.ended);
    QVERIFY(fake.data.size() < std::size_t(BuiltPrograms::kLargeSize));
}

void TestLink::refusesInput_data()
{
    QTest::addColumn<QByteArray>("content");  // empty: no file
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing") << QByteArray() << "no such file";
    QTest::newRow("text") << QByteArray("just some words\n") << "is not a TI-83 Plus / TI-84 Plus program file";
    QByteArray damaged = readAll(programs_.path("Slime.8XP"));
    damaged[damaged.size() - 5] = char(damaged[damaged.size() - 5] ^ 0x01);
    QTest::newRow("damaged") << damaged << "checksum";
}

// A file that is not a sound program file is refused before any cable is
// asked for, and left as it was.
void TestLink::refusesInput()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString file = dir.filePath("Other.8XP");
    if (!content.isEmpty()) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    bool askedForCable = false;
    const calclink::CableFactory factory = [&](const calclink::Options&) {
        askedForCable = true;
        return calclink::Found{};
    };
    const calclink::Outcome outcome = calclink::sendProgram(file.toStdString(), {}, {}, factory);
    QCOMPARE(outcome.failure, calclink::Failure::Refused);
    QVERIFY2(QString::fromStdString(outcome.message).contains(reason), outcome.message.c_str());
    QVERIFY2(QString::fromStdString(outcome.message).startsWith(file), outcome.message.c_str());
    QVERIFY(!askedForCable);
    QCOMPARE(readAll(file), content);
}

// Once the libraries are in use, their log domains write nothing to
// standard error, where their critical messages would otherwise go.
void TestLink::libraryChatterSilenced()
{
    FakeCalculator fake;
    fake.behaviour = Behaviour::Silent;
    send(fake, kTI84PlusUsb, programs_.path("Slime.8XP"));

    QTemporaryFile capture;
    QVERIFY(capture.open());
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(capture.handle(), STDERR_FILENO);
    for (const char* domain : {"ticables", "ticalcs", "tifiles"})
        g_log(domain, G_LOG_LEVEL_CRITICAL, "chatter from %s", domain);
    FakeCalculator again;
    again.behaviour = Behaviour::Silent;
    send(again, kTI84PlusUsb, programs_.path("Slime.8XP"));
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    QCOMPARE(readAll(capture.fileName()), QByteArray());
}

void TestLink::chooseDevice_data()
{
    QTest::addColumn<QList<int>>("listed");  // family, variant, family, variant, ...
    QTest::addColumn<QString>("cable");
    QTest::addColumn<QString>("calc");
    QTest::addColumn<calclink::Failure>("failure");
    QTest::addColumn<int>("cableModel");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("calcModel");
    QTest::addColumn<QString>("name");  // the calculator's name, or a part of the message

    using F = calclink::Failure;
    const int usb = CABLE_FAMILY_USB_TI8X;
    const int slv = CABLE_FAMILY_DBUS;
    const QList<int> ti84p{usb, CABLE_VARIANT_TI84P};
    const QList<int> silverLink{slv, CABLE_VARIANT_TIGLUSB};
    const QString none = "No calculator found.";
    QTest::newRow("nothing listed") << QList<int>{} << "auto" << "auto" << F::NoCalculator << 0 << 0 << 0 << none;
    QTest::newRow("TI-84 Plus") << ti84p << "auto" << "auto" << F::None << int(CABLE_USB) << 1
                                << int(CALC_TI84P_USB) << "TI-84 Plus";
    QTest::newRow("TI-84 Plus SE") << QList<int>{usb, CABLE_VARIANT_TI84PSE} << "auto" << "auto" << F::None
                                   << int(CABLE_USB) << 1 << int(CALC_TI84P_USB) << "TI-84 Plus";
    QTest::newRow("TI-84 Plus CE") << QList<int>{usb, CABLE_VARIANT_TI84PCE} << "usb" << "84+ce" << F::None
                                   << int(CABLE_USB) << 1 << int(CALC_TI84PCE_USB) << "TI-84 Plus CE";
    QTest::newRow("SilverLink") << silverLink << "auto" << "auto" << F::None << int(CABLE_SLV) << 1
                                << int(CALC_TI84P) << "TI-83 Plus / TI-84 Plus";
    QTest::newRow("SilverLink to a TI-83 Plus") << silverLink << "silverlink" << "83+" << F::None << int(CABLE_SLV)
                                                << 1 << int(CALC_TI83P) << "TI-83 Plus";
    QTest::newRow("own USB before SilverLink") << silverLink + ti84p << "auto" << "auto" << F::None
                                               << int(CABLE_USB) << 2 << int(CALC_TI84P_USB) << "TI-84 Plus";
    QTest::newRow("SilverLink asked") << ti84p + silverLink << "silverlink" << "84+" << F::None << int(CABLE_SLV)
                                      << 2 << int(CALC_TI84P) << "TI-84 Plus";
    QTest::newRow("USB asked, SilverLink only") << silverLink << "usb" << "auto" << F::NoCalculator << 0 << 0 << 0
                                                << none;
    QTest::newRow("CE asked, TI-84 Plus there") << ti84p << "auto" << "84+ce" << F::Unsupported << 0 << 0 << 0
                                                << "A TI-84 Plus is connected, but";
    QTest::newRow("colour calculator") << QList<int>{usb, CABLE_VARIANT_TI84PCSE} << "auto" << "auto"
                                       << F::Unsupported << 0 << 0 << 0
                                       << "A TI-84 Plus C Silver Edition is connected, but";
    QTest::newRow("TI-Nspire") << QList<int>{CABLE_FAMILY_USB_NSPIRE, CABLE_VARIANT_NSPIRE} << "auto" << "auto"
                               << F::NoCalculator << 0 << 0 << 0 << none;
}

// The listed devices and the choices give the cable, its port (the place in
// the list), the calculator model and its name; or why there is none.
void TestLink::chooseDevice()
{
    QFETCH(QList<int>, listed);
    QFETCH(QString, cable);
    QFETCH(QString, calc);
    QFETCH(calclink::Failure, failure);
    QFETCH(int, cableModel);
    QFETCH(int, port);
    QFETCH(int, calcModel);
    QFETCH(QString, name);

    std::vector<calclink::Listed> devices;
    for (int i = 0; i + 1 < listed.size(); i += 2)
        devices.push_back({CableDeviceInfo{CableFamily(listed[i]), CableVariant(listed[i + 1])}, i / 2 + 1});
    const calclink::Options options{*calclink::cableFromWord(cable.toStdString()),
                                    *calclink::calcFromWord(calc.toStdString())};
    const calclink::Choice choice = calclink::chooseDevice(devices, options);

    QCOMPARE(choice.failure, failure);
    if (failure != calclink::Failure::None) {
        QVERIFY(!choice.chosen);
        QVERIFY2(QString::fromStdString(choice.message).startsWith(name), choice.message.c_str());
        return;
    }
    QVERIFY(choice.chosen);
    QCOMPARE(int(choice.chosen->cable), cableModel);
    QCOMPARE(choice.chosen->port, port);
    QCOMPARE(int(choice.chosen->calc), calcModel);
    QCOMPARE(QString::fromStdString(choice.chosen->calculator), name);
}

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
