// The wizard's steps, slots, Finish, New and closing, driven through its buttons.

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "Platform.h"
#include "ScreenPreview.h"
#include "SpriteView.h"
#include "SpriteOf.h"
#include "WizardHarness.h"

using harness::control;

class WizardSteps : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startState();
    void stepTable_data();
    void stepTable();
    void pictureSurvivesLeavingTheStep();
    void finish_data();
    void finish();
    void newStartsOver_data();
    void newStartsOver();
    void closingClosesTheOtherWindows();
    void nothingOverlaps_data();
    void nothingOverlaps();

private:
    void click(const char* button);
    void takeFromClipboard(const QImage& picture);

    std::unique_ptr<WizardWindow> wizard;
};

void WizardSteps::init()
{
    wizard = harness::showWizard();
    QVERIFY(wizard);
}

void WizardSteps::cleanup()
{
    wizard.reset();
    QGuiApplication::clipboard()->clear();
    QVERIFY(harness::otherWindowsGone());
}

void WizardSteps::click(const char* button)
{
    auto* target = control<QPushButton>(wizard.get(), button);
    QVERIFY2(target, button);
    QTest::mouseClick(target, Qt::LeftButton);
}

void WizardSteps::takeFromClipboard(const QImage& picture)
{
    QGuiApplication::clipboard()->setImage(picture);
    click("ClipboardBut");
}

void WizardSteps::startState()
{
    QCOMPARE(wizard->windowTitle(), QStringLiteral("Palvorn - Battle External Enemy Creator"));
    QCOMPARE(wizard->objectName(), QStringLiteral("Main"));
    QCOMPARE(wizard->curStep(), 1);
    QCOMPARE(wizard->enemy(), palvorn::Enemy{});

    auto* next = control<QPushButton>(wizard.get(), "NextBut");
    auto* back = control<QPushButton>(wizard.get(), "BackBut");
    auto* finish = control<QPushButton>(wizard.get(), "FinishBut");
    auto* clipboard = control<QPushButton>(wizard.get(), "ClipboardBut");
    QVERIFY(next && back && finish && clipboard);
    QCOMPARE(control<QLabel>(wizard.get(), "instruct")->text(), QStringLiteral("Select the bitmap for the normal sprite."));
    QCOMPARE(control<QLabel>(wizard.get(), "SizeLbl")->text(), QStringLiteral("Size: 0"));
    QCOMPARE(next->text(), QStringLiteral("Next >"));
    QVERIFY(next->isVisible() && next->isEnabled());
    QVERIFY(!back->isVisible());
    QVERIFY(!finish->isVisible());
    QCOMPARE(finish->size(), next->size());
    QCOMPARE(back->text(), QStringLiteral("< Back"));
    QCOMPARE(finish->text(), QStringLiteral("Finish"));
    QCOMPARE(control<QPushButton>(wizard.get(), "NewBut")->text(), QStringLiteral("New"));
    QCOMPARE(control<QPushButton>(wizard.get(), "Browse")->text(), QStringLiteral("Browse..."));
    QVERIFY(clipboard->text().isEmpty());
    QVERIFY(!clipboard->icon().isNull());
    QCOMPARE(clipboard->iconSize(), QSize(16, 16));
    QVERIFY(control<SpriteView>(wizard.get(), "Sprite"));
    QVERIFY(control<ScreenPreview>(wizard.get(), "ScreenPreview"));
    QVERIFY(wizard->findChild<QWidget*>(QStringLiteral("Line1")));
    QVERIFY(wizard->findChild<QWidget*>(QStringLiteral("Line2")));

    // Tab order, labels holding their places; the first place has the focus.
    const QStringList order{"NextBut", "FinishBut", "instruct", "BackBut", "Browse",
                            "Sprite", "SizeLbl", "ClipboardBut", "NewBut"};
    QStringList chain;
    QWidget* widget = next;
    do {
        if (order.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != next);
    QCOMPARE(chain, order);
    QVERIFY(QTest::qWaitForWindowActive(wizard.get()));
    QCOMPARE(QApplication::focusWidget(), next);
}

void WizardSteps::stepTable_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("pose");
    QTest::addColumn<bool>("backShown");
    QTest::addColumn<bool>("nextShown");
    QTest::addColumn<bool>("finishShown");

    QTest::newRow("step 1 normal") << 1 << "normal" << false << true << false;
    QTest::newRow("step 2 high attack") << 2 << "high attack" << true << true << false;
    QTest::newRow("step 3 low attack") << 3 << "low attack" << true << true << false;
    QTest::newRow("step 4 special attack") << 4 << "special attack" << true << true << false;
    QTest::newRow("step 5 hurt") << 5 << "hurt" << true << false << true;
}

// Each step is reached once going forward and once coming back from step 5,
// and must look the same both ways.
void WizardSteps::stepTable()
{
    QFETCH(int, step);
    QFETCH(QString, pose);
    QFETCH(bool, backShown);
    QFETCH(bool, nextShown);
    QFETCH(bool, finishShown);

    auto* next = control<QPushButton>(wizard.get(), "NextBut");
    auto* back = control<QPushButton>(wizard.get(), "BackBut");
    auto* finish = control<QPushButton>(wizard.get(), "FinishBut");
    const auto check = [&](const char* how) {
        QVERIFY2(wizard->curStep() == step, how);
        QVERIFY2(back->isVisible() == backShown, how);
        QVERIFY2(next->isVisible() == nextShown, how);
        QVERIFY2(finish->isVisible() == finishShown, how);
        QVERIFY2(next->isEnabled() && back->isEnabled() && finish->isEnabled(), how);
        QCOMPARE(control<QLabel>(wizard.get(), "instruct")->text(),
                 QStringLiteral("Select the bitmap for the ") + pose + QStringLiteral(" sprite."));
        QCOMPARE(control<QLabel>(wizard.get(), "SizeLbl")->text(), QStringLiteral("Size: 0"));
    };

    // The buttons hold their places whichever of them a step shows.
    const QRect nextPlace = next->geometry();
    for (int k = 1; k < step; ++k)
        click("NextBut");
    check("going forward");
    QTRY_COMPARE((finishShown ? finish : next)->geometry(), nextPlace);
    while (wizard->curStep() < 5)
        click("NextBut");
    while (wizard->curStep() > step)
        click("BackBut");
    check("coming back");

    // Leaving a step without a picture leaves its sprite empty.
    QCOMPARE(wizard->enemy(), palvorn::Enemy{});
}

// An intake goes into the enemy at once, and stays when the step is left.
void WizardSteps::pictureSurvivesLeavingTheStep()
{
    click("NextBut");
    const QImage picture = harness::testSprite(12, 10);
    takeFromClipboard(picture);
    QCOMPARE(wizard->spriteSize(2), 20);
    QCOMPARE(wizard->enemy().sprites[1], spriteOf(picture));

    auto* view = control<SpriteView>(wizard.get(), "Sprite");
    click("NextBut");
    QVERIFY(view->sprite().isEmpty());
    QCOMPARE(control<QLabel>(wizard.get(), "SizeLbl")->text(), QStringLiteral("Size: 0"));
    takeFromClipboard(harness::testSprite(40, 40));

    click("BackBut");
    QCOMPARE(wizard->curStep(), 2);
    QCOMPARE(wizard->enemy().sprites[1], spriteOf(picture));
    QCOMPARE(view->sprite(), spriteOf(picture));
    QCOMPARE(control<QLabel>(wizard.get(), "SizeLbl")->text(), QStringLiteral("Size: 20"));
    QCOMPARE(wizard->enemy().sprites[2], spriteOf(harness::testSprite(40, 40)));
}

void WizardSteps::finish_data()
{
    QTest::addColumn<QList<QSize>>("pictures");  // per step; an empty size loads nothing
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("refusal");        // the message shown, if any
    QTest::addColumn<int>("shownStep");          // the step shown afterwards

    const QSize small(8, 8);
    QTest::newRow("all five loaded") << QList<QSize>{small, small, small, small, small} << true << "" << 5;
    QTest::newRow("step 1 missing") << QList<QSize>{{}, small, small, small, small} << false
                                    << "The normal sprite is missing." << 1;
    QTest::newRow("step 3 missing") << QList<QSize>{small, small, {}, small, small} << false
                                    << "The low attack sprite is missing." << 3;
    QTest::newRow("steps 2 and 4 missing") << QList<QSize>{small, {}, small, {}, small} << false
                                           << "The high attack and special attack sprites are missing." << 2;
    QTest::newRow("step 5 missing") << QList<QSize>{small, small, small, small, {}} << false
                                    << "The hurt sprite is missing." << 5;
    QTest::newRow("step 5 at the limit") << QList<QSize>{small, small, small, small, QSize(40, 40)} << true << ""
                                         << 5;
    // Back from step 3 to step 2 is held by the limit, but a sprite taken in
    // at step 2 after leaving it must still be checked.
    QTest::newRow("normal too wide for its placement")
        << QList<QSize>{QSize(209, 1), small, small, small, small} << false
        << "The normal sprite is 209 x 1 pixels; its place on the screen fits the file only up to 208 pixels wide "
           "and 192 high." << 5;
    QTest::newRow("normal too high for its placement")
        << QList<QSize>{QSize(1, 193), small, small, small, small} << false
        << "The normal sprite is 1 x 193 pixels; its place on the screen fits the file only up to 208 pixels wide "
           "and 192 high." << 5;
    QTest::newRow("normal at both placement bounds") << QList<QSize>{QSize(208, 7), small, small, small, small}
                                                      << true << "" << 5;
}

void WizardSteps::finish()
{
    QFETCH(QList<QSize>, pictures);
    QFETCH(bool, opens);
    QFETCH(QString, refusal);
    QFETCH(int, shownStep);

    QStringList warnings;
    platform::setWarningBox([&warnings](QWidget*, const QString& title, const QString& text, platform::Buttons) {
        warnings << title + QLatin1Char('|') + text;
    });
    for (int k = 1; k <= 5; ++k) {
        const QSize size = pictures[k - 1];
        if (!size.isEmpty())
            wizard->takeIn(spriteOf(harness::testSprite(size.width(), size.height())));
        if (k < 5)
            click("NextBut");
    }
    QCOMPARE(wizard->curStep(), 5);
    QVERIFY(control<QPushButton>(wizard.get(), "FinishBut")->isEnabled());

    click("FinishBut");
    platform::setWarningBox({});
    QCOMPARE(wizard->curStep(), shownStep);
    QCOMPARE(warnings, refusal.isEmpty() ? QStringList{} : QStringList{QStringLiteral("Sprites|") + refusal});
    if (!opens) {
        QVERIFY(!harness::openWindow<SettingsWindow>());
        return;
    }
    QPointer<SettingsWindow> settings = harness::openWindow<SettingsWindow>();
    QVERIFY(settings);
    QCOMPARE(wizard->settingsWindow(), settings.data());
    QCOMPARE(settings->objectName(), QStringLiteral("CharSettings"));

    // A second Finish brings up the same window rather than a fresh one.
    click("FinishBut");
    QCOMPARE(harness::openWindow<SettingsWindow>(), settings.data());
}

void WizardSteps::newStartsOver_data()
{
    QTest::addColumn<QSize>("stepThreePicture");
    QTest::addColumn<bool>("settingsOpen");

    QTest::newRow("picture at step 3") << QSize(24, 32) << false;
    QTest::newRow("over the limit at step 3") << QSize(41, 40) << false;
    QTest::newRow("settings window open") << QSize(8, 8) << true;
}

void WizardSteps::newStartsOver()
{
    QFETCH(QSize, stepThreePicture);
    QFETCH(bool, settingsOpen);
    const bool overLimit = stepThreePicture.width() == 41;

    takeFromClipboard(harness::testSprite(24, 32));
    click("NextBut");
    takeFromClipboard(harness::testSprite(8, 8));
    click("NextBut");
    takeFromClipboard(harness::testSprite(stepThreePicture.width(), stepThreePicture.height()));
    if (settingsOpen) {
        takeFromClipboard(harness::testSprite(8, 8));
        click("NextBut");
        takeFromClipboard(harness::testSprite(8, 8));
        click("NextBut");
        takeFromClipboard(harness::testSprite(8, 8));
        click("FinishBut");
        QVERIFY(harness::openWindow<SettingsWindow>());
    }

    click("NewBut");

    QCOMPARE(wizard->curStep(), 1);
    QCOMPARE(wizard->enemy(), palvorn::Enemy{});
    QVERIFY(control<SpriteView>(wizard.get(), "Sprite")->sprite().isEmpty());
    QCOMPARE(control<QLabel>(wizard.get(), "instruct")->text(), QStringLiteral("Select the bitmap for the normal sprite."));
    QCOMPARE(control<QLabel>(wizard.get(), "SizeLbl")->text(), QStringLiteral("Size: 0"));
    auto* next = control<QPushButton>(wizard.get(), "NextBut");
    auto* back = control<QPushButton>(wizard.get(), "BackBut");
    QVERIFY(next->isVisible() && next->isEnabled());
    QVERIFY(!back->isVisible());
    QVERIFY(!control<QPushButton>(wizard.get(), "FinishBut")->isVisible());
    QVERIFY(!harness::openWindow<SettingsWindow>());
    QVERIFY(!wizard->settingsWindow());

    // Nothing is held after New, whatever was over the limit before: the
    // buttons follow the step shown and its (empty) sprite.
    for (int step = 2; step <= 5; ++step) {
        click("NextBut");
        QCOMPARE(wizard->curStep(), step);
        QVERIFY(back->isVisible() && back->isEnabled());
    }
    QVERIFY(control<QPushButton>(wizard.get(), "FinishBut")->isEnabled());
    click("BackBut");
    QCOMPARE(wizard->curStep(), 4);

    // New is undone as one step, which shows step 1 again; an over-limit
    // sprite holds its own step only.
    click("UndoBut");
    QCOMPARE(wizard->curStep(), 1);
    QCOMPARE(wizard->spriteSize(3), palvorn::packedSize(stepThreePicture.width(), stepThreePicture.height()));
    QVERIFY(next->isEnabled());
    click("NextBut");
    click("NextBut");
    QCOMPARE(wizard->curStep(), 3);
    QCOMPARE(next->isEnabled(), !overLimit);
    QCOMPARE(back->isEnabled(), !overLimit);
}

void WizardSteps::closingClosesTheOtherWindows()
{
    for (int k = 1; k <= 5; ++k) {
        wizard->takeIn(spriteOf(harness::testSprite(8, 8)));
        if (k < 5)
            click("NextBut");
    }
    click("FinishBut");
    QVERIFY(harness::openWindow<SettingsWindow>());

    // Work never written is what closing loses for good: it asks, and
    // "Cancel" keeps everything open.
    QList<platform::Question> questions;
    bool answer = false;
    platform::setQuestionBox([&](QWidget* parent, const platform::Question& question) {
        questions << question;
        return parent == wizard.get() && answer;
    });
    QVERIFY(!wizard->close());
    QVERIFY(wizard->isVisible());
    QVERIFY(harness::openWindow<SettingsWindow>());
    QCOMPARE(questions.size(), 1);
    QCOMPARE(questions[0].text, QStringLiteral("Close without creating?"));
    QCOMPARE(questions[0].accept, QStringLiteral("Close"));
    QCOMPARE(questions[0].reject, QStringLiteral("Cancel"));

    answer = true;
    QVERIFY(wizard->close());
    platform::setQuestionBox({});
    QVERIFY(!wizard->isVisible());
    QTRY_VERIFY(!harness::openWindow<SettingsWindow>());
}

void WizardSteps::nothingOverlaps_data()
{
    QTest::addColumn<QSize>("size");  // empty: the window's minimum
    QTest::addColumn<int>("step");
    QTest::newRow("minimum at step 1") << QSize() << 1;
    QTest::newRow("minimum at step 5") << QSize() << 5;
    QTest::newRow("wide and low") << QSize(1400, 0) << 3;
    QTest::newRow("large") << QSize(1200, 900) << 2;
}

// Every control whole inside the window and clear of every other, at the
// window's minimum size and larger, with a picture, the notes and the screen shown.
void WizardSteps::nothingOverlaps()
{
    QFETCH(QSize, size);
    QFETCH(int, step);

    // A dark picture too tall for the screen: both notes have something to say.
    QImage picture(30, 90, QImage::Format_RGB32);
    picture.fill(qRgb(20, 20, 20));
    picture.setPixel(3, 3, qRgb(0, 0, 0));
    for (int k = 1; k < step; ++k)
        click("NextBut");
    wizard->takeIn(spriteOf(picture));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QSize minimum = wizard->minimumSize();
    QVERIFY(minimum.width() >= 424 && minimum.height() >= 202);
    QVERIFY(!control<QLabel>(wizard.get(), "ScreenNote")->text().isEmpty());
    QVERIFY(!control<QLabel>(wizard.get(), "SpriteNote")->text().isEmpty());
    wizard->resize(size.isEmpty() ? minimum : size.expandedTo(minimum));
    QTRY_COMPARE(wizard->size(), size.isEmpty() ? minimum : size.expandedTo(minimum));
    QCoreApplication::processEvents();

    QList<QWidget*> shown;
    for (QWidget* child : wizard->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            shown << child;
    QVERIFY(shown.size() >= 12);
    for (QWidget* a : shown) {
        QVERIFY2(wizard->rect().contains(a->geometry()), qPrintable(a->objectName()));
        if (qobject_cast<QLabel*>(a))  // no text cut short
            QVERIFY2(a->height() >= a->minimumSizeHint().height(), qPrintable(a->objectName()));
        for (QWidget* b : shown)
            if (a != b)
                QVERIFY2(!a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + QStringLiteral(" over ") + b->objectName()));
    }
}

QTEST_MAIN(WizardSteps)
#include "tst_wizardsteps.moc"
