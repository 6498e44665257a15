// Scaling a pose's kept picture in the wizard: the scale box, Fit, giving
// one conversion to every pose, the note on a picture without pure black,
// and the size boxes and Trim at their edges; each through the real
// controls, each one undo step.
#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include "Rules.h"
#include "Scale.h"
#include "SettingsFixture.h"
#include "WizardHarness.h"

using palvorn::Conversion;
using palvorn::ConvertMode;
using palvorn::GreyPicture;
using palvorn::Sprite;

Q_DECLARE_METATYPE(ConvertMode)

namespace {

// A w × h anti-aliased disc on white, with no pure black pixel: grey from
// 30 at its middle to white outside.
std::shared_ptr<const GreyPicture> discPicture(int w, int h)
{
    std::vector<std::uint16_t> levels;
    levels.reserve(std::size_t(w) * std::size_t(h));
    const double r = std::min(w, h) * 0.4;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double d = std::hypot(x - w / 2.0, y - h / 2.0) / r;
            const unsigned grey = d >= 1 ? 255 : unsigned(30 + 225 * d * d);
            levels.push_back(palvorn::greyLevel8(grey, grey, grey, 255));
        }
    return std::make_shared<const GreyPicture>(w, h, std::move(levels));
}

// A picture taken in at conversion, as the intake gives it.
TakenPicture taken(std::shared_ptr<const GreyPicture> picture, Conversion conversion = {})
{
    palvorn::Converted converted = palvorn::convert(*picture, conversion);
    return {converted.sprite, converted.marked, std::move(picture), conversion};
}

}  // namespace

class TestWizardScale : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void scaleReconverts_data();
    void scaleReconverts();
    void heldKeyIsOneStep();
    void wheelTurnIsOneStep();
    void scaleNeedsAPicture();
    void fit_data();
    void fit();
    void useForAllPoses();
    void noPureBlackNote();
    void sizeBoxesShowOne();
    void trimToOnePixel();

private:
    template <class T>
    T* find(const char* name) const
    {
        return control<T>(wizard_.get(), name);
    }
    QSpinBox* scaleBox() const { return find<QSpinBox>("ScaleBox"); }
    void click(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    QString undoName() const { return find<QPushButton>("UndoBut")->toolTip(); }
    const palvorn::Sprite& sprite(int pose) const { return wizard_->enemy().sprites[std::size_t(pose)]; }

    std::unique_ptr<WizardWindow> wizard_;
    std::optional<WarningRecorder> recorder_;
};

void TestWizardScale::init()
{
    recorder_.emplace();
    wizard_ = harness::showWizard();
    QVERIFY(wizard_);
}

void TestWizardScale::cleanup()
{
    wizard_.reset();
    QVERIFY(harness::otherWindowsGone());
    recorder_.reset();
}

void TestWizardScale::scaleReconverts_data()
{
    QTest::addColumn<ConvertMode>("mode");
    QTest::addColumn<QList<int>>("scales");  // set one after another, each from the picture
    QTest::newRow("threshold halved") << ConvertMode::Threshold << QList<int>{50};
    QTest::newRow("down and back up loses nothing") << ConvertMode::Threshold << QList<int>{10, 100};
    QTest::newRow("dither, smallest") << ConvertMode::FloydSteinberg << QList<int>{1};
    QTest::newRow("exact black, no black left") << ConvertMode::ExactBlack << QList<int>{37};
}

void TestWizardScale::scaleReconverts()
{
    QFETCH(ConvertMode, mode);
    QFETCH(QList<int>, scales);
    const auto picture = discPicture(90, 60);
    // The intake keeps the pose's threshold (50) and the picture's mode.
    wizard_->takeIn(taken(picture, {mode}));
    for (int scale : scales) {
        const palvorn::EnemyDocument before = wizard_->document();
        const std::size_t steps = wizard_->history().size();
        scaleBox()->setValue(scale);
        QCOMPARE(wizard_->history().size(), steps + 1);
        QCOMPARE(undoName(), QStringLiteral("Undo: Scale %1 % for normal").arg(scale));
        const Conversion conversion{mode, palvorn::kDefaultThreshold, scale};
        QCOMPARE(wizard_->document().sources[0].conversion, conversion);
        QCOMPARE(sprite(0), palvorn::convert(*picture, conversion).sprite);
        const palvorn::PictureSize size = palvorn::scaledSize(90, 60, scale);
        QCOMPARE(sprite(0).width(), size.width);
        QCOMPARE(scaleBox()->text(), QStringLiteral("Scale: %1 %").arg(scale));
        const palvorn::EnemyDocument after = wizard_->document();
        click("UndoBut");
        QCOMPARE(wizard_->document(), before);
        QCOMPARE(scaleBox()->value(), before.sources[0].conversion.scale);
        click("RedoBut");
        QCOMPARE(wizard_->document(), after);
    }
}

void TestWizardScale::heldKeyIsOneStep()
{
    const auto picture = discPicture(80, 80);
    wizard_->takeIn(taken(picture, {ConvertMode::Threshold}));
    const palvorn::EnemyDocument before = wizard_->document();
    const std::size_t steps = wizard_->history().size();
    QSpinBox* box = scaleBox();
    box->setFocus();
    // Down held: the first press, then the key repeating; the sprite follows.
    int last = box->value();
    for (int i = 0; i < 5; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), i > 0);
        QApplication::sendEvent(box, &press);
        QVERIFY(box->value() < last);  // a repeat may step more than one
        last = box->value();
        QCOMPARE(sprite(0), palvorn::convert(*picture, {ConvertMode::Threshold, 50, last}).sprite);
        QCOMPARE(wizard_->history().size(), steps);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(box, &release);
    QCOMPARE(wizard_->history().size(), steps + 1);
    QCOMPARE(undoName(), QStringLiteral("Undo: Scale %1 % for normal").arg(last));
    click("UndoBut");
    QCOMPARE(wizard_->document(), before);
    QCOMPARE(box->value(), 100);
}

void TestWizardScale::wheelTurnIsOneStep()
{
    const auto picture = discPicture(80, 80);
    wizard_->takeIn(taken(picture, {ConvertMode::Threshold}));
    const std::size_t steps = wizard_->history().size();
    QSpinBox* box = scaleBox();
    box->setFocus();
    const QPoint at = box->rect().center();
    for (int notch = 0; notch < 3; ++notch) {
        QWheelEvent wheel(at, box->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(box, &wheel);
    }
    QCOMPARE(box->value(), 97);
    QCOMPARE(sprite(0), palvorn::convert(*picture, {ConvertMode::Threshold, 50, 97}).sprite);
    QCOMPARE(wizard_->history().size(), steps);
    // The turn ends when the wheel rests.
    QTRY_COMPARE(wizard_->history().size(), steps + 1);
    QCOMPARE(undoName(), QStringLiteral("Undo: Scale 97 % for normal"));
}

void TestWizardScale::scaleNeedsAPicture()
{
    // Nothing yet, then a sprite without a picture (as Open gives): nothing to scale.
    for (int round = 0; round < 2; ++round) {
        for (const char* name : {"FitBut", "ApplyAllBut"})
            QVERIFY2(!find<QPushButton>(name)->isEnabled(), name);
        QVERIFY(!scaleBox()->isEnabled());
        QVERIFY2(scaleBox()->toolTip().startsWith(QStringLiteral("No picture")), qPrintable(scaleBox()->toolTip()));
        wizard_->takeIn(Sprite(8, 8));
    }
}

void TestWizardScale::fit_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("fit");  // the scale Fit gives; 0: none, said in a message
    QTest::newRow("fits whole") << 40 << 30 << 0 + 100;
    QTest::newRow("face 300 x 300") << 300 << 300 << palvorn::fitScale(300, 300).value();
    QTest::newRow("wide photo 2000 x 1000") << 2000 << 1000 << palvorn::fitScale(2000, 1000).value();
    QTest::newRow("tall 7 x 900") << 7 << 900 << palvorn::fitScale(7, 900).value();
    QTest::newRow("too large even at 1 %") << 4096 << 4096 << 0;
}

void TestWizardScale::fit()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, fit);
    const auto picture = discPicture(width, height);
    wizard_->takeIn(taken(picture, {ConvertMode::Threshold}));
    auto* fitBut = find<QPushButton>("FitBut");
    const std::size_t steps = wizard_->history().size();
    if (fit == 100) {
        QVERIFY(!fitBut->isEnabled());
        QVERIFY2(fitBut->toolTip().contains(QStringLiteral("at its fit")), qPrintable(fitBut->toolTip()));
        return;
    }
    QVERIFY(fitBut->isEnabled());
    click("FitBut");
    if (fit == 0) {
        QCOMPARE(wizard_->history().size(), steps);
        QCOMPARE(recorder_->warnings.size(), 1);
        QVERIFY(recorder_->warnings[0].text.contains(QStringLiteral("too large to fit")));
        return;
    }
    QCOMPARE(wizard_->history().size(), steps + 1);
    QCOMPARE(scaleBox()->value(), fit);
    // The largest that fits: within the limit, and the next scale up is over it.
    QVERIFY(sprite(0).packedSize() <= palvorn::kSizeLimit);
    QCOMPARE(sprite(0), palvorn::convert(*picture, {ConvertMode::Threshold, 50, fit}).sprite);
    const palvorn::PictureSize larger = palvorn::scaledSize(width, height, fit + 1);
    QVERIFY(palvorn::packedSize(larger.width, larger.height) > palvorn::kSizeLimit);
    // Proportions kept, to the rounding of a pixel.
    QVERIFY(std::abs(double(sprite(0).width()) / sprite(0).height() - double(width) / height) <
            double(width) / height / std::min(sprite(0).width(), sprite(0).height()) + 0.01);
    QVERIFY(!fitBut->isEnabled());
    click("UndoBut");
    QCOMPARE(scaleBox()->value(), 100);
}

void TestWizardScale::useForAllPoses()
{
    // Poses 1 and 4 with pictures at other conversions, 2 a sprite without
    // a picture, 3 empty; pose 0 gets the conversion to give.
    // Each small enough to go on from at full scale.
    const auto face = discPicture(40, 40);
    const auto wide = discPicture(48, 20);
    const Sprite drawn = Sprite(5, 5);
    wizard_->takeIn(taken(face));
    click("NextBut");
    wizard_->takeIn(taken(wide, {ConvertMode::Ordered, 20}));
    click("NextBut");
    wizard_->takeIn(drawn);
    click("NextBut");
    click("NextBut");
    wizard_->takeIn(taken(face, {ConvertMode::Threshold}));
    for (int i = 0; i < 4; ++i)
        click("BackBut");
    QCOMPARE(wizard_->curStep(), 1);
    find<QComboBox>("ConvertMode")->setCurrentIndex(int(ConvertMode::Atkinson));
    find<QSlider>("ThresholdSlider")->setValue(60);
    scaleBox()->setValue(40);
    const Conversion conversion{ConvertMode::Atkinson, 60, 40};
    const palvorn::EnemyDocument before = wizard_->document();
    const std::size_t steps = wizard_->history().size();
    QVERIFY(find<QPushButton>("ApplyAllBut")->isEnabled());

    click("ApplyAllBut");
    QCOMPARE(wizard_->history().size(), steps + 1);
    QCOMPARE(undoName(), QStringLiteral("Undo: Atkinson dither for all poses"));
    for (int pose : {0, 1, 4}) {
        QCOMPARE(wizard_->document().sources[std::size_t(pose)].conversion, conversion);
        QCOMPARE(sprite(pose), palvorn::convert(pose == 1 ? *wide : *face, conversion).sprite);
    }
    QCOMPARE(sprite(2), drawn);
    QVERIFY(sprite(3).isEmpty());
    QVERIFY(!find<QPushButton>("ApplyAllBut")->isEnabled());
    QVERIFY(find<QPushButton>("ApplyAllBut")->toolTip().contains(QStringLiteral("already")));
    click("UndoBut");
    QCOMPARE(wizard_->document(), before);
    QVERIFY(find<QPushButton>("ApplyAllBut")->isEnabled());
}

void TestWizardScale::noPureBlackNote()
{
    const QString note = QStringLiteral("No pure black: Threshold 50 %");
    auto* spriteNote = find<QLabel>("SpriteNote");
    wizard_->takeIn(taken(discPicture(40, 40), {ConvertMode::Threshold}));
    QVERIFY2(spriteNote->text().contains(note), qPrintable(spriteNote->text()));
    // Still said on coming back to the step.
    click("NextBut");
    QVERIFY(!spriteNote->text().contains(note));
    click("BackBut");
    QVERIFY(spriteNote->text().contains(note));
    // Exact black is one choice and one step away.
    const std::size_t steps = wizard_->history().size();
    find<QComboBox>("ConvertMode")->setCurrentIndex(int(ConvertMode::ExactBlack));
    QCOMPARE(wizard_->history().size(), steps + 1);
    QVERIFY(!spriteNote->text().contains(QStringLiteral("No pure black:")));
    // A picture with pure black at Threshold has no such note.
    std::vector<std::uint16_t> levels(16, GreyPicture::kBlack);
    wizard_->takeIn(taken(std::make_shared<const GreyPicture>(4, 4, levels), {ConvertMode::Threshold}));
    QVERIFY(!spriteNote->text().contains(QStringLiteral("No pure black:")));
}

void TestWizardScale::sizeBoxesShowOne()
{
    auto* width = find<QSpinBox>("SpriteWidth");
    auto* height = find<QSpinBox>("SpriteHeight");
    QCOMPARE(width->text(), QStringLiteral("-"));  // no sprite yet
    Sprite line(3, 1);
    line.setPixel(1, 0, true);
    wizard_->takeIn(line);
    QCOMPARE(width->text(), QStringLiteral("3"));
    QCOMPARE(height->text(), QStringLiteral("1"));
    wizard_->takeIn(Sprite(1, 1));
    QCOMPARE(width->text(), QStringLiteral("1"));
}

void TestWizardScale::trimToOnePixel()
{
    Sprite big(4096, 4096);
    big.setPixel(2000, 3000, true);
    wizard_->takeIn(big);
    auto* trim = find<QPushButton>("TrimBut");
    QVERIFY(trim->isEnabled());
    click("TrimBut");
    QCOMPARE(sprite(0).width(), 1);
    QCOMPARE(sprite(0).height(), 1);
    QCOMPARE(find<QSpinBox>("SpriteWidth")->text(), QStringLiteral("1"));
    QCOMPARE(find<QSpinBox>("SpriteHeight")->text(), QStringLiteral("1"));
    QVERIFY(!trim->isEnabled());  // nothing left to trim
    click("UndoBut");
    QVERIFY(trim->isEnabled());
}

QTEST_MAIN(TestWizardScale)
#include "tst_wizardscale.moc"
