// Making and mending a sprite in the wizard: converting the kept picture
// again, the pen in the picture box, size and shape, copying another step's
// pose and saving a pose as a picture; each through the real controls, each
// one undo step that undo and redo take back and do again exactly.
#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include "SettingsFixture.h"
#include "SpriteOps.h"
#include "Render.h"
#include "ScreenPreview.h"
#include "SpriteView.h"
#include "WizardHarness.h"

using palvorn::ConvertMode;
using palvorn::GreyPicture;
using palvorn::Sprite;

namespace {

// A picture with every kind of pixel the conversions tell apart: a grey ramp
// left to right (0 to 255), a pure black top row, a faint dark pixel and a
// transparent one. Its Exact black sprite is the black row only; most of the
// ramp's dark half is marked.
std::shared_ptr<const GreyPicture> rampPicture()
{
    constexpr int w = 16, h = 6;
    std::vector<std::uint16_t> levels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned grey = y == 0 ? 0 : x * 17;
            levels.push_back(palvorn::greyLevel8(grey, grey, grey, y == 0 || x > 1 ? 255 : x == 0 ? 60 : 0));
        }
    return std::make_shared<const GreyPicture>(w, h, std::move(levels));
}

TakenPicture taken(std::shared_ptr<const GreyPicture> picture)
{
    palvorn::Converted exact = palvorn::convert(*picture, {});
    return {exact.sprite, exact.marked, std::move(picture)};
}

// Pixels given as rows of '#' (set) and '.' (clear).
Sprite spriteFrom(const QStringList& rows)
{
    Sprite s(int(rows.value(0).size()), int(rows.size()));
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x)
            s.setPixel(x, y, rows[y][x] == QLatin1Char('#'));
    return s;
}

// An asymmetric sprite with clear margins, and marks that show where they go.
Sprite shapeSprite()
{
    return spriteFrom({"........", "..##....", "..#.....", "..###...", "........"});
}
Sprite shapeMarks()
{
    return spriteFrom({"........", "....#...", "...#....", "........", "........"});
}

}  // namespace

class TestWizardEdit : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void conversionControls_data();
    void conversionControls();
    void newPictureStartsAtExactBlack();
    void sliderDragIsOneStep();
    void controlsFollowUndoAndSteps();
    void strokes_data();
    void strokes();
    void viewsReadTheModelAsAStrokeGoes_data();
    void viewsReadTheModelAsAStrokeGoes();
    void penNeedsASprite();
    void operations_data();
    void operations();
    void sizeMakesASpriteToDrawOn();
    void tooLargeSizeChangesNothing();
    void savedPoseComesBackTheSame();
    void failedSaveNamesTheFile();

private:
    template <class T>
    T* find(const char* name) const
    {
        return control<T>(wizard_.get(), name);
    }
    SpriteView* box() const { return find<SpriteView>("Sprite"); }
    void click(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    QString undoName() const { return find<QPushButton>("UndoBut")->toolTip(); }
    // Checks that undo gives `before` back and redo `after`, as one step.
    void checkUndoRedo(const palvorn::EnemyDocument& before, const palvorn::EnemyDocument& after);

    std::unique_ptr<WizardWindow> wizard_;
    std::optional<WarningRecorder> recorder_;
    QTemporaryDir folder_;
    QString saveAnswer_;
    QList<platform::SaveFileRequest> saveRequests_;
};

void TestWizardEdit::init()
{
    recorder_.emplace();
    saveRequests_.clear();
    platform::setSaveFileDialog([this](QWidget*, const platform::SaveFileRequest& request) {
        saveRequests_ << request;
        return saveAnswer_;
    });
    wizard_ = harness::showWizard();
    QVERIFY(wizard_);
}

void TestWizardEdit::cleanup()
{
    wizard_.reset();
    QVERIFY(harness::otherWindowsGone());
    platform::setSaveFileDialog({});
    recorder_.reset();
}

void TestWizardEdit::checkUndoRedo(const palvorn::EnemyDocument& before, const palvorn::EnemyDocument& after)
{
    QVERIFY(before != after);
    QCOMPARE(wizard_->document(), after);
    click("UndoBut");
    QCOMPARE(wizard_->document(), before);
    QCOMPARE(box()->sprite(), wizard_->document().enemy.sprites[std::size_t(wizard_->curStep() - 1)]);
    click("RedoBut");
    QCOMPARE(wizard_->document(), after);
    QCOMPARE(box()->sprite(), wizard_->document().enemy.sprites[std::size_t(wizard_->curStep() - 1)]);
}

void TestWizardEdit::conversionControls_data()
{
    QTest::addColumn<int>("mode");       // chosen in ConvertMode, or -1: left as it is
    QTest::addColumn<int>("threshold");  // set on ThresholdSlider, or 0: left
    QTest::addColumn<QString>("name");

    QTest::newRow("threshold mode") << int(ConvertMode::Threshold) << 0 << "Threshold for normal";
    QTest::newRow("Floyd-Steinberg") << int(ConvertMode::FloydSteinberg) << 0 << "Floyd-Steinberg dither for normal";
    QTest::newRow("Atkinson") << int(ConvertMode::Atkinson) << 0 << "Atkinson dither for normal";
    QTest::newRow("ordered") << int(ConvertMode::Ordered) << 0 << "Ordered dither for normal";
    QTest::newRow("threshold by key") << -1 << 51 << "Threshold 51% for normal";
    QTest::newRow("threshold to the top") << -1 << 99 << "Threshold 99% for normal";
}

void TestWizardEdit::conversionControls()
{
    QFETCH(int, mode);
    QFETCH(int, threshold);
    QFETCH(QString, name);

    const auto picture = rampPicture();
    wizard_->takeIn(taken(picture));
    auto* modes = find<QComboBox>("ConvertMode");
    auto* slider = find<QSlider>("ThresholdSlider");
    if (mode < 0)
        modes->setCurrentIndex(int(ConvertMode::Threshold));
    // A pixel painted by hand, which converting again drops and undo brings back.
    QTest::mouseClick(box(), Qt::LeftButton, {}, box()->pointOf({14, 3}));
    QVERIFY(box()->sprite().pixel(14, 3));
    const palvorn::EnemyDocument before = wizard_->document();

    palvorn::Conversion expected = before.sources[0].conversion;
    if (mode >= 0) {
        expected.mode = ConvertMode(mode);
        modes->setCurrentIndex(mode);
    } else {
        expected.threshold = threshold;
        slider->setFocus();
        if (threshold == slider->value() + 1)
            QTest::keyClick(slider, Qt::Key_Right);
        else
            QTest::keyClick(slider, Qt::Key_End);
    }
    const palvorn::Converted result = palvorn::convert(*picture, expected);
    QCOMPARE(wizard_->enemy().sprites[0], result.sprite);
    QCOMPARE(wizard_->document().marked[0], result.marked);
    QCOMPARE(wizard_->document().sources[0].conversion, expected);
    QCOMPARE(wizard_->document().sources[0].picture, picture);
    QCOMPARE(find<QLabel>("ThresholdLbl")->text(), QStringLiteral("Threshold: %1%").arg(expected.threshold));
    QVERIFY(slider->isEnabled());
    // The marks keep working: the picture's dark clear pixels are counted.
    const int dark = markedClearCount(result.sprite, result.marked);
    if (dark > 1)
        QVERIFY2(find<QLabel>("SpriteNote")->text().contains(QStringLiteral("%1 dark pixels will be clear.").arg(dark)),
                 qPrintable(find<QLabel>("SpriteNote")->text()));
    QCOMPARE(undoName(), "Undo: " + name);
    QCOMPARE(wizard_->history().size(), std::size_t(mode < 0 ? 4 : 3));
    checkUndoRedo(before, wizard_->document());
}

void TestWizardEdit::newPictureStartsAtExactBlack()
{
    wizard_->takeIn(taken(rampPicture()));
    find<QComboBox>("ConvertMode")->setCurrentIndex(int(ConvertMode::Atkinson));
    find<QSlider>("ThresholdSlider")->setValue(70);
    QCOMPARE(wizard_->document().sources[0].conversion, (palvorn::Conversion{ConvertMode::Atkinson, 70}));

    const TakenPicture next = taken(rampPicture());
    wizard_->takeIn(next);
    QCOMPARE(wizard_->document().sources[0].conversion, (palvorn::Conversion{ConvertMode::ExactBlack, 70}));
    QCOMPARE(wizard_->enemy().sprites[0], next.sprite);
    QCOMPARE(find<QComboBox>("ConvertMode")->currentIndex(), int(ConvertMode::ExactBlack));
    QCOMPARE(find<QSlider>("ThresholdSlider")->value(), 70);
    QCOMPARE(find<QLabel>("ThresholdLbl")->text(), QStringLiteral("Threshold: 70%"));
    // Exact black has no threshold to set.
    QVERIFY(find<QComboBox>("ConvertMode")->isEnabled());
    QVERIFY(!find<QSlider>("ThresholdSlider")->isEnabled());
    QVERIFY(!find<QLabel>("ThresholdLbl")->isEnabled());
}

void TestWizardEdit::sliderDragIsOneStep()
{
    const auto picture = rampPicture();
    wizard_->takeIn(taken(picture));
    find<QComboBox>("ConvertMode")->setCurrentIndex(int(ConvertMode::Threshold));
    const palvorn::EnemyDocument before = wizard_->document();
    const std::size_t steps = wizard_->history().size();

    // What the slider does while its handle is dragged: pressed, moved, released.
    auto* slider = find<QSlider>("ThresholdSlider");
    slider->setSliderDown(true);
    for (int value : {40, 20, 10, 30}) {
        slider->setSliderPosition(value);
        // The sprite follows while dragging.
        const Sprite expected = palvorn::convert(*picture, {ConvertMode::Threshold, value}).sprite;
        QCOMPARE(box()->sprite(), expected);
        QCOMPARE(wizard_->enemy().sprites[0], expected);
        QCOMPARE(find<QLabel>("ThresholdLbl")->text(), QStringLiteral("Threshold: %1%").arg(value));
    }
    QCOMPARE(wizard_->history().size(), steps);
    slider->setSliderDown(false);
    QCOMPARE(wizard_->history().size(), steps + 1);
    QCOMPARE(undoName(), QStringLiteral("Undo: Threshold 30% for normal"));
    QCOMPARE(wizard_->document().sources[0].conversion, (palvorn::Conversion{ConvertMode::Threshold, 30}));
    checkUndoRedo(before, wizard_->document());
    QCOMPARE(slider->value(), 30);
    click("UndoBut");
    QCOMPARE(slider->value(), 50);
}

void TestWizardEdit::controlsFollowUndoAndSteps()
{
    auto* modes = find<QComboBox>("ConvertMode");
    auto* slider = find<QSlider>("ThresholdSlider");
    const auto allConversion = [&](bool enabled) {
        return modes->isEnabled() == enabled && slider->isEnabled() == enabled &&
               find<QLabel>("ThresholdLbl")->isEnabled() == enabled;
    };
    // Step 1 with nothing: nothing to convert, shape or save; the size boxes make a sprite.
    QVERIFY(allConversion(false));
    QVERIFY(modes->toolTip().startsWith(QStringLiteral("No picture to convert")));
    for (const char* name : {"TrimBut", "FlipHBut", "FlipVBut", "InvertBut", "SavePoseBut"})
        QVERIFY2(!find<QPushButton>(name)->isEnabled(), name);
    QVERIFY(!find<QComboBox>("CopyFrom")->isEnabled());
    QVERIFY(find<QSpinBox>("SpriteWidth")->isEnabled());

    wizard_->takeIn(taken(rampPicture()));
    modes->setCurrentIndex(int(ConvertMode::Ordered));
    slider->setValue(30);
    click("NextBut");
    // Step 2: a sprite without a picture, as Open gives.
    wizard_->takeIn(shapeSprite());
    QVERIFY(allConversion(false));
    QCOMPARE(slider->toolTip(), modes->toolTip());
    QVERIFY2(modes->toolTip().contains(QStringLiteral("opened, drawn here")), qPrintable(modes->toolTip()));
    for (const char* name : {"FlipHBut", "FlipVBut", "InvertBut", "SavePoseBut", "TrimBut"})
        QVERIFY2(find<QPushButton>(name)->isEnabled(), name);
    QCOMPARE(find<QSpinBox>("SpriteWidth")->value(), 8);
    QCOMPARE(find<QSpinBox>("SpriteHeight")->value(), 5);

    click("BackBut");
    QVERIFY(allConversion(true));
    QCOMPARE(modes->currentIndex(), int(ConvertMode::Ordered));
    QCOMPARE(slider->value(), 30);
    QCOMPARE(find<QSpinBox>("SpriteWidth")->value(), 16);
    click("UndoBut");  // the sprite into step 2: shown there, still without a picture
    QCOMPARE(wizard_->curStep(), 2);
    QVERIFY(allConversion(false));
    click("UndoBut");  // the threshold at step 1
    QCOMPARE(wizard_->curStep(), 1);
    QCOMPARE(modes->currentIndex(), int(ConvertMode::Ordered));
    QCOMPARE(slider->value(), 50);
    click("UndoBut");  // the mode
    QCOMPARE(modes->currentIndex(), int(ConvertMode::ExactBlack));
    QVERIFY(modes->isEnabled() && !slider->isEnabled());
    click("RedoBut");
    QCOMPARE(modes->currentIndex(), int(ConvertMode::Ordered));
    QVERIFY(slider->isEnabled());

    // Copy from lists the other four steps; only those with a sprite can be chosen.
    click("NextBut");
    auto* copy = find<QComboBox>("CopyFrom");
    QCOMPARE(copy->count(), 5);
    QCOMPARE(copy->itemText(0), QStringLiteral("Copy from\u2026"));
    QCOMPARE(copy->itemText(1), QStringLiteral("normal"));
    QCOMPARE(copy->itemText(2), QStringLiteral("low attack"));
    auto* items = qobject_cast<QStandardItemModel*>(copy->model());
    QVERIFY(items->item(1)->isEnabled());
    QVERIFY(!items->item(2)->isEnabled());
}

void TestWizardEdit::strokes_data()
{
    QTest::addColumn<QList<QPoint>>("path");  // press, moves, release, in sprite pixels
    QTest::addColumn<bool>("set");            // left button (else right)
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("name");

    QTest::newRow("click sets") << QList<QPoint>{{1, 0}} << true << false
                                << QStringList{".#......", "..##....", "..#.....", "..###...", "........"}
                                << "Draw on normal";
    QTest::newRow("right click clears") << QList<QPoint>{{3, 1}} << false << false
                                        << QStringList{"........", "..#.....", "..#.....", "..###...", "........"}
                                        << "Erase on normal";
    // One move across the whole sprite, as a fast mouse reports it.
    QTest::newRow("fast drag leaves no gap") << QList<QPoint>{{0, 4}, {7, 0}, {7, 0}} << true << false
                                             << QStringList{".......#", "..##.##.", "..###...", ".####...", "#......."}
                                             << "Draw on normal";
    QTest::newRow("drag off the edge and back") << QList<QPoint>{{6, 2}, {12, 2}, {6, 4}} << true << false
                                                << QStringList{"........", "..##....", "..#...##", "..###...", "......##"}
                                                << "Draw on normal";
    // The wanderings in between leave nothing: one line from press to release.
    QTest::newRow("Shift draws a straight line") << QList<QPoint>{{0, 0}, {7, 4}, {0, 4}, {7, 0}, {7, 2}} << true
                                                 << true
                                                 << QStringList{"##......", "..####..", "..#...##", "..###...", "........"}
                                                 << "Line on normal";
    QTest::newRow("Shift with the right button") << QList<QPoint>{{2, 3}, {4, 0}, {4, 3}} << false << true
                                                 << QStringList{"........", "..##....", "..#.....", "........", "........"}
                                                 << "Erase line on normal";
}

void TestWizardEdit::strokes()
{
    QFETCH(QList<QPoint>, path);
    QFETCH(bool, set);
    QFETCH(bool, shift);
    QFETCH(QStringList, expected);
    QFETCH(QString, name);

    wizard_->takeIn(shapeSprite(), shapeMarks());
    box()->resize(160, 100);  // 20:1, with a grid
    QCOMPARE(box()->scale(), (render::Scale{20, 1}));
    const palvorn::EnemyDocument before = wizard_->document();
    const Qt::MouseButton button = set ? Qt::LeftButton : Qt::RightButton;
    const Qt::KeyboardModifiers keys = shift ? Qt::ShiftModifier : Qt::NoModifier;

    QTest::mousePress(box(), button, keys, box()->pointOf(path.first()));
    for (qsizetype i = 1; i + 1 < path.size(); ++i) {
        // QTest::mouseMove carries no button or key: the events a real drag sends.
        QMouseEvent move(QEvent::MouseMove, box()->pointOf(path[i]), box()->mapToGlobal(box()->pointOf(path[i])),
                         Qt::NoButton, button, keys);
        QApplication::sendEvent(box(), &move);
    }
    QTest::mouseRelease(box(), button, keys, box()->pointOf(path.last()));

    QCOMPARE(wizard_->enemy().sprites[0], spriteFrom(expected));
    QCOMPARE(box()->sprite(), spriteFrom(expected));
    QCOMPARE(wizard_->document().marked[0], shapeMarks());  // a pen leaves the marks where they were
    QCOMPARE(wizard_->history().size(), before == palvorn::EnemyDocument{} ? 1u : 2u);
    QCOMPARE(undoName(), "Undo: " + name);
    checkUndoRedo(before, wizard_->document());
}

void TestWizardEdit::viewsReadTheModelAsAStrokeGoes_data()
{
    strokes_data();
}

void TestWizardEdit::viewsReadTheModelAsAStrokeGoes()
{
    QFETCH(QList<QPoint>, path);
    QFETCH(bool, set);
    QFETCH(bool, shift);

    wizard_->takeIn(shapeSprite(), shapeMarks());
    box()->resize(160, 100);  // 20:1: each point is drawn again in part
    auto* screen = find<ScreenPreview>("ScreenPreview");
    const palvorn::EnemyDocument& document = wizard_->model().document();
    const Qt::MouseButton button = set ? Qt::LeftButton : Qt::RightButton;
    const Qt::KeyboardModifiers keys = shift ? Qt::ShiftModifier : Qt::NoModifier;
    // After every point the views show the model's own sprite, not a copy,
    // and what they paint is the whole picture drawn afresh from it.
    const auto check = [&] {
        QCOMPARE(&box()->sprite(), &document.enemy.sprites[0]);
        QCOMPARE(&box()->marked(), &document.marked[0]);
        // The box's edge shows its focus: the picture lies inside it.
        const QRect inside = box()->rect().adjusted(1, 1, -1, -1);
        const QImage painted = box()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage whole = render::renderBox(document.enemy.sprites[0], document.marked[0], box()->size(), true)
                                 .convertToFormat(QImage::Format_RGB32);
        QCOMPARE(painted.copy(inside), whole.copy(inside));
        QCOMPARE(screen->grab().toImage().convertToFormat(QImage::Format_RGB32),
                 render::renderScreen(document.enemy.sprites[0], document.enemy.sprites[0], screen->zoom())
                     .convertToFormat(QImage::Format_RGB32));
    };
    box()->grab();  // the box drawn once, so that points draw it in part

    QTest::mousePress(box(), button, keys, box()->pointOf(path.first()));
    check();
    if (QTest::currentTestFailed())
        return;
    for (qsizetype i = 1; i + 1 < path.size(); ++i) {
        QMouseEvent move(QEvent::MouseMove, box()->pointOf(path[i]), box()->mapToGlobal(box()->pointOf(path[i])),
                         Qt::NoButton, button, keys);
        QApplication::sendEvent(box(), &move);
        check();
        if (QTest::currentTestFailed())
            return;
    }
    QTest::mouseRelease(box(), button, keys, box()->pointOf(path.last()));
    check();
    if (QTest::currentTestFailed())
        return;
    click("UndoBut");
    check();
}

void TestWizardEdit::penNeedsASprite()
{
    QTest::mouseClick(box(), Qt::LeftButton, {}, box()->rect().center());
    QVERIFY(wizard_->enemy().sprites[0].isEmpty());
    QCOMPARE(wizard_->history().size(), std::size_t(0));
    // A click on a pixel already set changes nothing, and records nothing.
    wizard_->takeIn(shapeSprite());
    QTest::mouseClick(box(), Qt::LeftButton, {}, box()->pointOf({2, 1}));
    QCOMPARE(wizard_->history().size(), std::size_t(1));
}

void TestWizardEdit::operations_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("sprite");
    QTest::addColumn<QStringList>("marks");  // empty: dropped
    QTest::addColumn<QString>("name");

    QTest::newRow("wider") << "width 10" << QStringList{"..........", "..##......", "..#.......", "..###.....", ".........."}
                           << QStringList{"..........", "....#.....", "...#......", "..........", ".........."}
                           << "Size 10 x 5 for normal";
    QTest::newRow("narrower") << "width 3" << QStringList{"...", "..#", "..#", "..#", "..."}
                              << QStringList{"...", "...", "...", "...", "..."} << "Size 3 x 5 for normal";
    QTest::newRow("lower") << "height 2" << QStringList{"........", "..##...."} << QStringList{"........", "....#..."}
                           << "Size 8 x 2 for normal";
    QTest::newRow("trim") << "TrimBut" << QStringList{"##.", "#..", "###"} << QStringList{"..#", ".#.", "..."}
                          << "Trim normal";
    QTest::newRow("flip left to right") << "FlipHBut"
                                        << QStringList{"........", "....##..", ".....#..", "...###..", "........"}
                                        << QStringList{"........", "...#....", "....#...", "........", "........"}
                                        << "Flip normal left to right";
    QTest::newRow("flip top to bottom") << "FlipVBut"
                                        << QStringList{"........", "..###...", "..#.....", "..##....", "........"}
                                        << QStringList{"........", "........", "...#....", "....#...", "........"}
                                        << "Flip normal top to bottom";
    // Marks flag dark pixels left clear; inverted, they mean nothing.
    QTest::newRow("invert") << "InvertBut" << QStringList{"########", "##..####", "##.#####", "##...###", "########"}
                            << QStringList{} << "Invert normal";
    QTest::newRow("shift left wraps") << "Left" << QStringList{"........", ".##.....", ".#......", ".###....", "........"}
                                      << QStringList{"........", "...#....", "..#.....", "........", "........"}
                                      << "Shift normal left";
    QTest::newRow("shift up wraps") << "Up" << QStringList{"..##....", "..#.....", "..###...", "........", "........"}
                                    << QStringList{"....#...", "...#....", "........", "........", "........"}
                                    << "Shift normal up";
    QTest::newRow("shift right") << "Right" << QStringList{"........", "...##...", "...#....", "...###..", "........"}
                                 << QStringList{"........", ".....#..", "....#...", "........", "........"}
                                 << "Shift normal right";
    QTest::newRow("shift down") << "Down" << QStringList{"........", "........", "..##....", "..#.....", "..###..."}
                                << QStringList{"........", "........", "....#...", "...#....", "........"}
                                << "Shift normal down";
    QTest::newRow("copy from") << "copy" << QStringList{"#.#", ".#."} << QStringList{"...", "..."} << "Copy hurt into normal";
}

void TestWizardEdit::operations()
{
    QFETCH(QString, action);
    QFETCH(QStringList, sprite);
    QFETCH(QStringList, marks);
    QFETCH(QString, name);

    // Step 5 holds a sprite of its own, with a picture, to copy from.
    const auto picture = std::make_shared<const GreyPicture>(
        3, 2, std::vector<std::uint16_t>{GreyPicture::kBlack, GreyPicture::kWhite, GreyPicture::kBlack,
                                         GreyPicture::kWhite, GreyPicture::kBlack, GreyPicture::kWhite});
    for (int step = 1; step < 5; ++step)
        click("NextBut");
    wizard_->takeIn(taken(picture));
    for (int step = 5; step > 1; --step)
        click("BackBut");
    wizard_->takeIn(shapeSprite(), shapeMarks());
    const palvorn::EnemyDocument before = wizard_->document();

    if (action.startsWith(QLatin1String("width")) || action.startsWith(QLatin1String("height"))) {
        auto* side = find<QSpinBox>(action.startsWith(QLatin1String("width")) ? "SpriteWidth" : "SpriteHeight");
        // Typed as a user types it: one change when confirmed, not one per digit.
        side->setFocus();
        side->selectAll();
        typeInto(side, action.section(QLatin1Char(' '), 1));
        QCOMPARE(wizard_->document(), before);
        QTest::keyClick(side, Qt::Key_Return);
    } else if (action.endsWith(QLatin1String("But"))) {
        click(action.toLatin1().constData());
    } else if (action == QLatin1String("copy")) {
        auto* copy = find<QComboBox>("CopyFrom");
        copy->setCurrentIndex(copy->findText(QStringLiteral("hurt")));
        QCOMPARE(copy->currentIndex(), 0);  // a command: it reads "Copy from..." again
    } else {
        QTest::mouseClick(box(), Qt::LeftButton, {}, QPoint(1, 1));  // focus, on the grey around the picture
        QVERIFY(box()->hasFocus());
        QTest::keyClick(box(), action == QLatin1String("Left")    ? Qt::Key_Left
                               : action == QLatin1String("Right") ? Qt::Key_Right
                               : action == QLatin1String("Up")    ? Qt::Key_Up
                                                                  : Qt::Key_Down);
    }

    QCOMPARE(wizard_->enemy().sprites[0], spriteFrom(sprite));
    QCOMPARE(wizard_->document().marked[0], marks.isEmpty() ? Sprite{} : spriteFrom(marks));
    if (action == QLatin1String("copy"))
        QCOMPARE(wizard_->document().sources[0], wizard_->document().sources[4]);  // the whole pose
    QCOMPARE(wizard_->history().size(), std::size_t(3));
    QCOMPARE(undoName(), "Undo: " + name);
    // The size boxes, the size label and the screen follow.
    QCOMPARE(find<QSpinBox>("SpriteWidth")->value(), spriteFrom(sprite).width());
    QCOMPARE(find<QSpinBox>("SpriteHeight")->value(), spriteFrom(sprite).height());
    QCOMPARE(find<QLabel>("SizeLbl")->text(), QStringLiteral("Size: %1").arg(spriteFrom(sprite).packedSize()));
    checkUndoRedo(before, wizard_->document());
}

void TestWizardEdit::sizeMakesASpriteToDrawOn()
{
    auto* width = find<QSpinBox>("SpriteWidth");
    auto* height = find<QSpinBox>("SpriteHeight");
    QCOMPARE(width->text(), QStringLiteral("-"));
    width->setFocus();
    width->selectAll();
    typeInto(width, QStringLiteral("12"));
    QTest::keyClick(width, Qt::Key_Return);
    QCOMPARE(wizard_->enemy().sprites[0], Sprite(12, 12));
    QCOMPARE(height->value(), 12);
    QCOMPARE(find<QLabel>("SizeLbl")->text(), QStringLiteral("Size: 24"));
    QVERIFY(find<QPushButton>("NextBut")->isEnabled());
    height->setValue(101);  // 202 bytes, over the limit: held, and said why
    QCOMPARE(wizard_->enemy().sprites[0], Sprite(12, 101));
    QVERIFY(!find<QPushButton>("NextBut")->isEnabled());
    QVERIFY(find<QLabel>("SpriteNote")->text().startsWith(QStringLiteral("Too large")));
    height->setValue(5);
    QVERIFY(find<QPushButton>("NextBut")->isEnabled());
    QCOMPARE(wizard_->history().size(), std::size_t(3));

    // Drawn from nothing: a line on the blank sprite.
    QTest::mousePress(box(), Qt::LeftButton, {}, box()->pointOf({0, 0}));
    QTest::mouseRelease(box(), Qt::LeftButton, Qt::ShiftModifier, box()->pointOf({11, 4}));
    Sprite line(12, 5);
    palvorn::drawLine(line, 0, 0, 11, 4, true);
    QCOMPARE(wizard_->enemy().sprites[0], line);
    QCOMPARE(find<QComboBox>("ConvertMode")->isEnabled(), false);

    click("UndoBut");
    click("UndoBut");
    click("UndoBut");
    click("UndoBut");
    QCOMPARE(wizard_->document(), palvorn::EnemyDocument{});
    QCOMPARE(width->text(), QStringLiteral("-"));
    QCOMPARE(width->minimum(), 0);
}

void TestWizardEdit::tooLargeSizeChangesNothing()
{
    wizard_->takeIn(Sprite(4096, 8));
    const palvorn::EnemyDocument before = wizard_->document();
    find<QSpinBox>("SpriteHeight")->setValue(4097);
    QCOMPARE(recorder_->warnings.size(), 1);
    QVERIFY2(recorder_->warnings[0].text.contains(QStringLiteral("4096 x 4097")), qPrintable(recorder_->warnings[0].text));
    QCOMPARE(wizard_->document(), before);
    QCOMPARE(find<QSpinBox>("SpriteHeight")->value(), 8);
    QCOMPARE(wizard_->history().size(), std::size_t(1));
}

void TestWizardEdit::savedPoseComesBackTheSame()
{
    QVERIFY(!find<QPushButton>("SavePoseBut")->isEnabled());
    QCOMPARE(find<QPushButton>("SavePoseBut")->text(), QStringLiteral("Save Picture..."));
    click("NextBut");
    // Odd sizes and set pixels at every edge: nothing may be cut or padded.
    const Sprite sprite = spriteFrom({"#.#.#.#.#.#", "...........", ".##...##..#", "#.........."});
    wizard_->takeIn(sprite);
    saveAnswer_ = QDir(folder_.path()).filePath(QStringLiteral("pose.png"));
    click("SavePoseBut");
    QCOMPARE(saveRequests_.size(), 1);
    QVERIFY(saveRequests_[0].suggested.endsWith(QStringLiteral("high-attack.png")));
    QCOMPARE(saveRequests_[0].suffix, QStringLiteral("png"));
    QVERIFY(recorder_->warnings.isEmpty());
    QCOMPARE(takePictureFile(saveAnswer_).sprite, sprite);

    // Taken back in through Browse, it gives the same sprite.
    platform::setOpenFileDialog([this](QWidget*, platform::OpenFileRequest&) { return saveAnswer_; });
    click("NextBut");
    click("Browse");
    platform::setOpenFileDialog({});
    QCOMPARE(wizard_->enemy().sprites[2], sprite);
    QVERIFY(wizard_->document().marked[2].isEmpty() || markedClearCount(sprite, wizard_->document().marked[2]) == 0);
}

void TestWizardEdit::failedSaveNamesTheFile()
{
    wizard_->takeIn(shapeSprite());
    const QString file = QDir(folder_.path()).filePath(QStringLiteral("missing/pose.png"));
    saveAnswer_ = file;
    const palvorn::EnemyDocument before = wizard_->document();
    click("SavePoseBut");
    QCOMPARE(recorder_->warnings.size(), 1);
    QVERIFY2(recorder_->warnings[0].text.startsWith(
                 QStringLiteral("The picture could not be saved to \"%1\": ").arg(QDir::toNativeSeparators(file))),
             qPrintable(recorder_->warnings[0].text));
    QVERIFY(!QFileInfo::exists(file));
    QCOMPARE(wizard_->document(), before);

    // Cancelled: nothing written, nothing said.
    saveAnswer_.clear();
    click("SavePoseBut");
    QCOMPARE(recorder_->warnings.size(), 1);
}

QTEST_MAIN(TestWizardEdit)
#include "tst_wizardedit.moc"
