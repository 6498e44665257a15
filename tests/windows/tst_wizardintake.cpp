// Pictures entering the wizard from a bitmap file and from the clipboard, and
// how each is measured, placed and held against the size limit.

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "Platform.h"
#include "Render.h"
#include "ScreenPreview.h"
#include "SpriteView.h"
#include "Rules.h"
#include "SpriteOf.h"
#include "WizardHarness.h"

using harness::control;

enum class Source { File, Clipboard };
Q_DECLARE_METATYPE(Source)

namespace {

struct Warning {
    QWidget* parent;
    QString title;
    QString text;
};

// What an intake may change; a refused intake must leave all of it alone.
struct Seen {
    palvorn::Enemy enemy;
    palvorn::Sprite shown;
    QString sizeText;
    bool nextEnabled;
    bool backEnabled;

    bool operator==(const Seen&) const = default;
};

}  // namespace

class WizardIntake : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void measuring_data();
    void measuring();
    void overLimitThenWithin_data();
    void overLimitThenWithin();
    void refusedIntakeChangesNothing_data();
    void refusedIntakeChangesNothing();
    void largePictureLeavesControlsReachable();
    void otherWaysIn_data();
    void otherWaysIn();
    void dialogRemembersFolderAndNamesPose();

private:
    void click(const char* button);
    void takeIn(Source source, const QImage& picture);
    Seen seen() const;

    std::unique_ptr<WizardWindow> wizard;
    std::unique_ptr<QTemporaryDir> folder;
    QString chosenFile;          // what the file-open dialog answers
    QStringList filters;         // what it was asked with
    QList<platform::OpenFileRequest> requests;
    QList<QWidget*> dialogParents;
    QList<Warning> warnings;
};

void WizardIntake::init()
{
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    chosenFile.clear();
    filters.clear();
    dialogParents.clear();
    warnings.clear();
    requests.clear();
    platform::setOpenFileDialog([this](QWidget* parent, const platform::OpenFileRequest& request) {
        requests << request;
        filters << request.filter;
        dialogParents << parent;
        return chosenFile;
    });
    platform::setWarningBox([this](QWidget* parent, const QString& title, const QString& text, platform::Buttons) {
        warnings << Warning{parent, title, text};
    });
    wizard = harness::showWizard();
    QVERIFY(wizard);
}

void WizardIntake::cleanup()
{
    wizard.reset();
    platform::setOpenFileDialog({});
    platform::setWarningBox({});
    QGuiApplication::clipboard()->clear();
    folder.reset();
    QVERIFY(harness::otherWindowsGone());
}

void WizardIntake::click(const char* button)
{
    auto* target = control<QPushButton>(wizard.get(), button);
    QVERIFY2(target, button);
    QTest::mouseClick(target, Qt::LeftButton);
}

void WizardIntake::takeIn(Source source, const QImage& picture)
{
    if (source == Source::Clipboard) {
        QGuiApplication::clipboard()->setImage(picture);
        click("ClipboardBut");
        return;
    }
    chosenFile = folder->filePath(QStringLiteral("%1x%2.bmp").arg(picture.width()).arg(picture.height()));
    QVERIFY(picture.save(chosenFile, "BMP"));
    click("Browse");
    QCOMPARE(filters.size(), 1);
    QCOMPARE(dialogParents.takeFirst(), wizard.get());
    const QString filter = filters.takeFirst();
    // Every picture format taken first, then the bitmaps entry the tool always had, then all files.
    QCOMPARE(filter.split(QStringLiteral(";;")),
             (QStringList{"Pictures (*.bmp *.png *.gif *.jpg *.jpeg *.webp)", "Bitmaps (.bmp) (*.bmp)", "All files (*)"}));
}

Seen WizardIntake::seen() const
{
    return Seen{wizard->enemy(),
                control<SpriteView>(wizard.get(), "Sprite")->sprite(),
                control<QLabel>(wizard.get(), "SizeLbl")->text(),
                control<QPushButton>(wizard.get(), "NextBut")->isEnabled(),
                control<QPushButton>(wizard.get(), "BackBut")->isEnabled()};
}

void WizardIntake::measuring_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<int>("step");
    QTest::addColumn<QSize>("pictureSize");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QList<int>>("placement");  // RobotY, RobotX, RobotTo, from the normal sprite

    // Rows at step 2 first take in 24 x 32 at step 1; its placement must stay.
    const QList<int> stepOne{32, 72, 56};
    for (const auto& [source, name] : {std::pair{Source::File, "file"}, std::pair{Source::Clipboard, "clipboard"}}) {
        QTest::addRow("%s 40x40 at the limit", name) << source << 1 << QSize(40, 40) << 200 << true << QList<int>{24, 56, 40};
        QTest::addRow("%s 41x40 over the limit", name) << source << 1 << QSize(41, 40) << 240 << false << QList<int>{24, 55, 39};
        QTest::addRow("%s 8x8 one byte a row", name) << source << 1 << QSize(8, 8) << 8 << true << QList<int>{56, 88, 72};
        QTest::addRow("%s 12x10 padded row", name) << source << 1 << QSize(12, 10) << 20 << true << QList<int>{54, 84, 68};
        QTest::addRow("%s 24x32 placement", name) << source << 1 << QSize(24, 32) << 96 << true << stepOne;
        QTest::addRow("%s 100x10 negative placement", name) << source << 1 << QSize(100, 10) << 130 << true << QList<int>{54, -4, -20};
        QTest::addRow("%s 100x10 at step 2", name) << source << 2 << QSize(100, 10) << 130 << true << stepOne;
        QTest::addRow("%s 41x40 at step 2", name) << source << 2 << QSize(41, 40) << 240 << false << stepOne;
    }
}

void WizardIntake::measuring()
{
    QFETCH(Source, source);
    QFETCH(int, step);
    QFETCH(QSize, pictureSize);
    QFETCH(int, size);
    QFETCH(bool, enabled);
    QFETCH(QList<int>, placement);

    if (step == 2) {
        takeIn(source, harness::testSprite(24, 32));
        click("NextBut");
    }
    QCOMPARE(wizard->curStep(), step);
    auto* view = control<SpriteView>(wizard.get(), "Sprite");
    auto* screen = control<ScreenPreview>(wizard.get(), "ScreenPreview");
    const QRect place = view->geometry();

    const QImage picture = harness::testSprite(pictureSize.width(), pictureSize.height());
    takeIn(source, picture);

    QCOMPARE(wizard->enemy().sprites[step - 1], spriteOf(picture));
    // The box shows the sprite as packed, in its own place; the screen shows
    // it where the normal sprite places it.
    QCOMPARE(view->sprite(), wizard->enemy().sprites[step - 1]);
    QCOMPARE(view->geometry(), place);
    QCOMPARE(screen->grab().toImage().convertToFormat(QImage::Format_RGB32),
             render::renderScreen(wizard->enemy().sprites[step - 1], wizard->enemy().sprites[0], screen->zoom()));
    QCOMPARE(wizard->spriteSize(step), size);
    QCOMPARE(control<QLabel>(wizard.get(), "SizeLbl")->text(), QStringLiteral("Size: %1").arg(size));
    QCOMPARE(control<QPushButton>(wizard.get(), "NextBut")->isEnabled(), enabled);
    QCOMPARE(control<QPushButton>(wizard.get(), "BackBut")->isEnabled(), enabled);
    const palvorn::Placement where = palvorn::placementOf(wizard->enemy().sprites[0]);
    QCOMPARE((QList<int>{where.robotY, where.robotX, where.robotTo}), placement);
}

void WizardIntake::overLimitThenWithin_data()
{
    QTest::addColumn<Source>("source");
    QTest::newRow("file") << Source::File;
    QTest::newRow("clipboard") << Source::Clipboard;
}

void WizardIntake::overLimitThenWithin()
{
    QFETCH(Source, source);
    click("NextBut");

    takeIn(source, harness::testSprite(41, 40));
    click("NextBut");
    click("BackBut");
    QCOMPARE(wizard->curStep(), 2);  // held at the step

    takeIn(source, harness::testSprite(40, 40));
    QVERIFY(control<QPushButton>(wizard.get(), "NextBut")->isEnabled());
    QVERIFY(control<QPushButton>(wizard.get(), "BackBut")->isEnabled());
    click("NextBut");
    QCOMPARE(wizard->curStep(), 3);
    QCOMPARE(wizard->spriteSize(2), 200);
}

void WizardIntake::refusedIntakeChangesNothing_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("warns");
    QTest::addColumn<QString>("why");  // what the message must say besides the file

    QTest::newRow("empty clipboard") << "clipboard" << true << "";
    QTest::newRow("clipboard of plain text") << "text" << true << "";
    QTest::newRow("cancelled dialog") << "cancel" << false << "";
    QTest::newRow("garbage named .bmp") << "garbage" << true << "damaged or cut short";
    QTest::newRow("file gone") << "missing" << true << "could not be read";
    QTest::newRow("text named .png") << "text.png" << true << "is not a picture. Pictures can be BMP, PNG, GIF, JPEG or WebP";
    QTest::newRow("PNG cut short") << "cut.png" << true << "damaged or cut short";
    QTest::newRow("PNG over 4096 x 4096") << "large.png" << true << "5000 x 4000 pixels, larger than the limit of 4096 x 4096";
    QTest::newRow("JPEG cut short") << "cut.jpg" << true << "damaged or cut short";
}

// A picture over the limit is in place first, so that a refused intake that
// still measured something would show in the buttons as well as the size.
void WizardIntake::refusedIntakeChangesNothing()
{
    QFETCH(QString, action);
    QFETCH(bool, warns);
    QFETCH(QString, why);

    takeIn(Source::Clipboard, harness::testSprite(41, 40));
    const Seen before = seen();
    QVERIFY(!before.nextEnabled);

    if (action == QLatin1String("clipboard") || action == QLatin1String("text")) {
        QGuiApplication::clipboard()->clear();
        if (action == QLatin1String("text"))
            QGuiApplication::clipboard()->setText(QStringLiteral("not a picture"));
        click("ClipboardBut");
    } else {
        if (action == QLatin1String("cancel")) {
            chosenFile.clear();
        } else if (action.contains(QLatin1Char('.'))) {
            chosenFile = folder->filePath(action);
            QByteArray bytes;
            if (action == QLatin1String("text.png")) {
                bytes = "just some text\n";
            } else {
                QImage picture(action == QLatin1String("large.png") ? QSize(5000, 4000) : QSize(30, 30),
                               QImage::Format_RGB32);
                picture.fill(Qt::black);
                QBuffer buffer(&bytes);
                QVERIFY(buffer.open(QIODevice::WriteOnly));
                QVERIFY(picture.save(&buffer, action.endsWith(QLatin1String(".jpg")) ? "JPG" : "PNG"));
                if (action.startsWith(QLatin1String("cut.")))
                    bytes.chop(bytes.size() / 2);
            }
            QFile file(chosenFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        } else {
            chosenFile = folder->filePath(QStringLiteral("x.bmp"));
            if (action == QLatin1String("garbage")) {
                QFile file(chosenFile);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write("BM not really a bitmap \x01\x02\x03\xff\xfe");
            }
        }
        click("Browse");
        QCOMPARE(filters.size(), 1);
    }

    QVERIFY(seen() == before);
    QCOMPARE(wizard->curStep(), 1);
    QCOMPARE(warnings.size(), warns ? 1 : 0);
    if (warns) {
        const Warning& warning = warnings.first();
        QCOMPARE(warning.parent, wizard.get());
        QVERIFY(!warning.title.isEmpty());
        if (action == QLatin1String("clipboard") || action == QLatin1String("text"))
            QCOMPARE(warning.text, QStringLiteral("The clipboard holds no picture."));
        else
            QVERIFY2(warning.text.contains(QDir::toNativeSeparators(chosenFile)) && warning.text.contains(why),
                     qPrintable(warning.text));
    }
}

// The box grows with its picture; one larger than the window must not sit
// over the buttons the user needs to go on.
void WizardIntake::largePictureLeavesControlsReachable()
{
    click("NextBut");  // every button of the row shown
    takeIn(Source::Clipboard, harness::testSprite(600, 300));
    QCOMPARE(wizard->spriteSize(2), 75 * 300);
    QVERIFY(control<SpriteView>(wizard.get(), "Sprite")->scale().down > 1);  // shrunk to fit its box
    for (const char* name : {"NewBut", "BackBut", "NextBut", "ClipboardBut", "Browse"}) {
        auto* button = control<QPushButton>(wizard.get(), name);
        QCOMPARE(wizard->childAt(button->geometry().center()), button);
    }
    QCOMPARE(wizard->childAt(control<QLabel>(wizard.get(), "SizeLbl")->geometry().center()),
             control<QLabel>(wizard.get(), "SizeLbl"));
}

void WizardIntake::otherWaysIn_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Ctrl+V with a picture") << "paste";
    QTest::newRow("clipboard holding a file URL") << "url";
    QTest::newRow("clipboard holding a path as text") << "path";
    QTest::newRow("file dropped on the window") << "drop file";
    QTest::newRow("picture data dropped on the window") << "drop image";
}

// Every way in takes the picture into the current step as Browse would.
void WizardIntake::otherWaysIn()
{
    QFETCH(QString, way);
    click("NextBut");
    const QImage picture = harness::testSprite(12, 10);
    const QString file = folder->filePath(QStringLiteral("dropped.bmp"));
    QVERIFY(picture.save(file, "BMP"));

    auto* data = new QMimeData;  // owned by the clipboard, or freed below for a drop
    if (way == QLatin1String("paste") || way == QLatin1String("drop image"))
        data->setImageData(picture);
    else if (way == QLatin1String("path"))
        data->setText(QStringLiteral("  ") + file + QStringLiteral("\n"));
    else
        data->setUrls({QUrl::fromLocalFile(file)});

    if (way.startsWith(QLatin1String("drop"))) {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(wizard.get(), &enter);
        QVERIFY(enter.isAccepted());  // the drop is shown as welcome
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(wizard.get(), &drop);
        QVERIFY(drop.isAccepted());
        delete data;
    } else {
        QGuiApplication::clipboard()->setMimeData(data);
        if (way == QLatin1String("paste"))
            QTest::keyClick(wizard.get(), Qt::Key_V, Qt::ControlModifier);
        else
            click("ClipboardBut");
    }
    QVERIFY2(warnings.isEmpty(), warnings.isEmpty() ? "" : qPrintable(warnings.first().text));
    QCOMPARE(wizard->curStep(), 2);
    QCOMPARE(wizard->enemy().sprites[1], spriteOf(picture));
    QCOMPARE(control<QLabel>(wizard.get(), "SizeLbl")->text(), QStringLiteral("Size: 20"));
}

void WizardIntake::dialogRemembersFolderAndNamesPose()
{
    QTemporaryDir other;
    QVERIFY(other.isValid());
    chosenFile = other.filePath(QStringLiteral("normal.bmp"));
    QVERIFY(harness::testSprite(8, 8).save(chosenFile, "BMP"));
    click("Browse");
    click("NextBut");
    chosenFile.clear();  // cancelled
    click("Browse");
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[0].title, QStringLiteral("Select the normal sprite"));
    QCOMPARE(requests[1].title, QStringLiteral("Select the high attack sprite"));
    QCOMPARE(QDir(requests[1].folder), QDir(other.path()));
}

QTEST_MAIN(WizardIntake)
#include "tst_wizardintake.moc"
