// Send to Calculator in the Sprites window: held until NAME.8XP is built,
// the transfer on a worker thread with its progress dialog, one at a time,
// cancel, and the outcome in the window's status lines. The calculator is
// the fake; a gate in the test's factory holds the worker where needed.

#include <QtTest>

#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>

#include "BuiltPrograms.h"
#include "FakeCalculator.h"
#include "SendProgress.h"
#include "SpritesWindow.h"
#include "TiLink.h"

class TestSendWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void heldUntilBuilt();
    void sendsWithProgress_data();
    void sendsWithProgress();
    void cancelWhileSending();
    void failureShownInStatus();

private:
    // The window with `name` built (status 0 and NAME.8XP written since the build started).
    void showBuilt(const QString& name);
    QPushButton* sendBut() const { return window_->findChild<QPushButton*>("SendBut"); }
    QString status() const { return window_->buildStatus(); }

    BuiltPrograms programs_;
    QDateTime beforeBuild_;
    FakeCalculator fake_;
    QSemaphore gate_;  // the worker takes one before asking for a cable
    bool listed_ = true;
    SpritesWindow* window_ = nullptr;
};

void TestSendWindow::initTestCase()
{
    beforeBuild_ = QDateTime::currentDateTime().addSecs(-2);
    const QString built = programs_.buildBoth();
    QVERIFY2(built.isEmpty(), qPrintable(built));
    SendProgress::setCableFactory([this](const calclink::Options& options) {
        gate_.acquire();
        if (!listed_)
            return calclink::Found{std::nullopt, calclink::Failure::NoCalculator, "No calculator found."};
        return fake_.factory(CALC_TI84P_USB, "TI-84 Plus")(options);
    });
}

void TestSendWindow::init()
{
    fake_ = FakeCalculator{};
    fake_.protocol = FakeCalculator::Protocol::Usb;
    listed_ = true;
    window_ = new SpritesWindow;
    window_->show();
}

void TestSendWindow::cleanup()
{
    delete window_;
}

void TestSendWindow::showBuilt(const QString& name)
{
    const QString statusFile = window_->newStatusFile();
    window_->watchBuild(programs_.dir.path(), name, beforeBuild_);
    QVERIFY(!sendBut()->isEnabled());  // held during the build
    QFile f(statusFile);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("0\n");
    f.close();
    QTRY_VERIFY2(status().startsWith("Built " + name + ".8XP"), qPrintable(status()));
}

void TestSendWindow::heldUntilBuilt()
{
    QVERIFY(sendBut());
    QCOMPARE(sendBut()->text(), QString("Send to Calculator"));
    QVERIFY(!sendBut()->isEnabled());
    showBuilt("Slime");
    QVERIFY(sendBut()->isEnabled());
    // A build that fails holds it again.
    const QString statusFile = window_->newStatusFile();
    window_->watchBuild(programs_.dir.path(), "Slime", QDateTime::currentDateTime().addSecs(60));
    QFile f(statusFile);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("1\n");
    f.close();
    QTRY_VERIFY2(status().startsWith("Build failed"), qPrintable(status()));
    QVERIFY(!sendBut()->isEnabled());
}

void TestSendWindow::sendsWithProgress_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("counted");  // the library reports the data in steps
    QTest::newRow("small program: busy bar") << "Slime" << false;
    QTest::newRow("large program: counted") << "Large" << true;
}

// The dialog is busy until the library counts; the values the bar shows
// only grow; the outcome lands under the build's lines and the button is
// free again.
void TestSendWindow::sendsWithProgress()
{
    QFETCH(QString, name);
    QFETCH(bool, counted);
    showBuilt(name);
    const QString built = status();
    QTest::mouseClick(sendBut(), Qt::LeftButton);

    auto* dialog = window_->findChild<QProgressDialog*>("SendProgress");
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->maximum(), 0);  // busy
    QVERIFY(!sendBut()->isEnabled());  // one transfer at a time
    QList<int> values;
    QList<int> maxima;
    auto* bar = dialog->findChild<QProgressBar*>();
    QVERIFY(bar);
    connect(bar, &QProgressBar::valueChanged, this, [&](int v) {
        values << v;
        maxima << bar->maximum();
    });
    gate_.release();

    QTRY_VERIFY2(status().endsWith("Sent " + name + ".8XP to the TI-84 Plus"), qPrintable(status()));
    QVERIFY(status().startsWith(built));
    QVERIFY(fake_.ended);
    QVERIFY(sendBut()->isEnabled());
    QTRY_VERIFY(!window_->findChild<QProgressDialog*>("SendProgress"));

    QList<int> steps;  // values between empty and full
    for (int i = 0; i < values.size(); ++i)
        if (maxima[i] > 0 && values[i] > 0 && values[i] < maxima[i])
            steps << values[i];
    QCOMPARE(!steps.isEmpty(), counted);
    QVERIFY(std::is_sorted(steps.begin(), steps.end()));
}

// Cancel in the dialog, before the worker reached the calculator: nothing is
// sent, the status says so, and the button is free again.
void TestSendWindow::cancelWhileSending()
{
    showBuilt("Large");
    QTest::mouseClick(sendBut(), Qt::LeftButton);
    auto* dialog = window_->findChild<QProgressDialog*>("SendProgress");
    QVERIFY(dialog);
    auto* cancel = dialog->findChild<QPushButton*>();
    QVERIFY(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    gate_.release();

    QTRY_VERIFY2(status().endsWith("Sending was cancelled."), qPrintable(status()));
    QVERIFY(fake_.data.empty());
    QVERIFY(!fake_.ended);
    QVERIFY(sendBut()->isEnabled());
}

void TestSendWindow::failureShownInStatus()
{
    showBuilt("Slime");
    listed_ = false;
    QTest::mouseClick(sendBut(), Qt::LeftButton);
    gate_.release();
    QTRY_VERIFY2(status().endsWith("\nNo calculator found."), qPrintable(status()));
    // A second outcome replaces the first rather than piling up.
    listed_ = true;
    fake_.behaviour = FakeCalculator::Behaviour::Silent;
    QTest::mouseClick(sendBut(), Qt::LeftButton);
    gate_.release();
    QTRY_VERIFY2(status().endsWith("\nThe calculator did not answer."), qPrintable(status()));
    QVERIFY(!status().contains("No calculator found."));
}

QTEST_MAIN(TestSendWindow)
#include "tst_sendwindow.moc"
