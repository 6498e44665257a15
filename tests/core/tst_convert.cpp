// How a kept picture becomes a sprite: the threshold rule pixel by pixel,
// the shares of a flat grey each dither sets, a pinned pattern per dither,
// the marks under every mode, and the command line's mode words.
#include <QFile>
#include <QtTest>

#include <cmath>
#include <string>

#include "Convert.h"

using palvorn::Conversion;
using palvorn::ConvertMode;
using palvorn::GreyPicture;

Q_DECLARE_METATYPE(ConvertMode)
Q_DECLARE_METATYPE(std::optional<ConvertMode>)

namespace {

constexpr auto kWhite = GreyPicture::kWhite;
constexpr ConvertMode kDithers[] = {ConvertMode::FloydSteinberg, ConvertMode::Atkinson, ConvertMode::Ordered};

GreyPicture flat(int width, int height, std::uint16_t level)
{
    return GreyPicture(width, height, std::vector<std::uint16_t>(std::size_t(width) * std::size_t(height), level));
}

int setCount(const palvorn::Sprite& sprite)
{
    int count = 0;
    for (int y = 0; y < sprite.height(); ++y)
        for (int x = 0; x < sprite.width(); ++x)
            count += sprite.pixel(x, y);
    return count;
}

// The sprite as rows of 'X' (set) and '.' (clear), one line each.
std::string rowsOf(const palvorn::Sprite& sprite)
{
    std::string text;
    for (int y = 0; y < sprite.height(); ++y) {
        for (int x = 0; x < sprite.width(); ++x)
            text += sprite.pixel(x, y) ? 'X' : '.';
        text += '\n';
    }
    return text;
}

// A small picture with a bit of everything: a gradient from black to white
// along each row, each row a little lighter, and a column of faint and
// transparent pixels that must stay clear and stop the error.
GreyPicture goldenPicture()
{
    constexpr int width = 24, height = 8;
    std::vector<std::uint16_t> levels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (x == 16)
                levels.push_back(y % 2 ? GreyPicture::kTransparent : GreyPicture::kFaintDark);
            else
                levels.push_back(std::uint16_t(std::min<int>(kWhite, x * kWhite / (width - 1) + y * 300)));
        }
    return GreyPicture(width, height, std::move(levels));
}

}  // namespace

class TestConvert : public QObject {
    Q_OBJECT

private slots:
    void thresholdRule_data();
    void thresholdRule();
    void blackAndWhiteStay_data();
    void blackAndWhiteStay();
    void flatGreyShare_data();
    void flatGreyShare();
    void sameInputSameOutput();
    void goldenPatterns();
    void marksUnderEveryMode();
    void refusedThreshold();
    void modeWords_data();
    void modeWords();
    void modeNames();
    void pictureLevels();
};

void TestConvert::thresholdRule_data()
{
    // A pixel's channels (8 or 16 bits), the threshold, and whether the rule
    // 299 R + 587 G + 114 B < T × 2550 (on 8-bit channels), alpha ≥ 128, sets it.
    QTest::addColumn<bool>("deep");
    QTest::addColumn<QList<uint>>("rgba");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<bool>("set");
    const auto row = [](const char* name, std::initializer_list<uint> rgba, int t, bool set, bool deep = false) {
        QTest::newRow(name) << deep << QList<uint>(rgba) << t << set;
    };
    row("grey 127 at 50", {127, 127, 127, 255}, 50, true);
    row("grey 128 at 50", {128, 128, 128, 255}, 50, false);
    row("grey 126 at 50", {126, 126, 126, 255}, 50, true);
    row("alpha 128", {127, 127, 127, 128}, 50, true);
    row("alpha 127", {127, 127, 127, 127}, 50, false);
    row("black, alpha 127", {0, 0, 0, 127}, 99, false);
    row("black, alpha 0", {0, 0, 0, 0}, 99, false);
    row("exact black at 1", {0, 0, 0, 255}, 1, true);
    row("grey 2 at 1", {2, 2, 2, 255}, 1, true);
    row("grey 3 at 1", {3, 3, 3, 255}, 1, false);
    row("grey 252 at 99", {252, 252, 252, 255}, 99, true);
    row("grey 253 at 99", {253, 253, 253, 255}, 99, false);
    row("white at 99", {255, 255, 255, 255}, 99, false);
    row("red at 30", {255, 0, 0, 255}, 30, true);  // 76245 < 76500
    row("red at 29", {255, 0, 0, 255}, 29, false);
    row("green at 59", {0, 255, 0, 255}, 59, true);  // 149685 < 150450
    row("green at 58", {0, 255, 0, 255}, 58, false);
    row("blue at 12", {0, 0, 255, 255}, 12, true);  // 29070 < 30600
    row("blue at 11", {0, 0, 255, 255}, 11, false);
    row("orange at 50", {255, 128, 0, 255}, 50, false);  // 151381 of 127500
    row("dark teal at 50", {0, 100, 100, 255}, 50, true);  // 70100
    // 16-bit channels count as scaled to 8 bits: 32767 is 127.5, 32896 is 128.
    row("16-bit grey 32767 at 50", {32767, 32767, 32767, 65535}, 50, true, true);
    row("16-bit grey 32896 at 50", {32896, 32896, 32896, 65535}, 50, false, true);
    row("16-bit alpha 32895", {0, 0, 0, 32895}, 50, false, true);
    row("16-bit alpha 32896", {0, 0, 0, 32896}, 50, true, true);
}

void TestConvert::thresholdRule()
{
    QFETCH(bool, deep);
    QFETCH(QList<uint>, rgba);
    QFETCH(int, threshold);
    QFETCH(bool, set);
    const std::uint16_t level = deep ? palvorn::greyLevel16(rgba[0], rgba[1], rgba[2], rgba[3])
                                     : palvorn::greyLevel8(rgba[0], rgba[1], rgba[2], rgba[3]);
    const auto converted = palvorn::convert(GreyPicture(1, 1, {level}), {ConvertMode::Threshold, threshold});
    QCOMPARE(converted.sprite.pixel(0, 0), set);
}

void TestConvert::blackAndWhiteStay_data()
{
    QTest::addColumn<ConvertMode>("mode");
    QTest::addColumn<int>("threshold");
    for (ConvertMode mode : kDithers)
        for (int t : {palvorn::kMinThreshold, 50, palvorn::kMaxThreshold})
            QTest::addRow("%s at %d", palvorn::convertModeWord(mode).data(), t) << mode << t;
}

void TestConvert::blackAndWhiteStay()
{
    QFETCH(ConvertMode, mode);
    QFETCH(int, threshold);
    for (std::uint16_t black : {GreyPicture::kBlack, std::uint16_t(0)})
        QCOMPARE(setCount(palvorn::convert(flat(40, 40, black), {mode, threshold}).sprite), 1600);
    QCOMPARE(setCount(palvorn::convert(flat(40, 40, kWhite), {mode, threshold}).sprite), 0);
}

void TestConvert::flatGreyShare_data()
{
    // The share of a flat grey's pixels set, in percent, and how it is known:
    // - Floyd-Steinberg passes every error on, so the mean is kept:
    //   1 - level / white, whatever the threshold.
    // - Ordered sets the Bayer entries b with 16 level < (2 b + 1) T × 255
    //   up to the threshold, and with 16 (white - level) >= (31 - 2 b)
    //   (white - T × 255) above it: exact, as 40 is whole tiles of 4.
    // - Atkinson passes on three quarters of the error, so its share is
    //   known at the ends and at the middle: a flat grey stays clear once its
    //   lone steady value, 4 level - 3 white, reaches the decision level
    //   T × 255 (all set: once 4 level is under it), and mid grey at T 50
    //   is half by the symmetry of set and clear.
    QTest::addColumn<ConvertMode>("mode");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("share");
    const auto row = [](ConvertMode mode, int t, int level, double share) {
        QTest::addRow("%s at %d, level %d", palvorn::convertModeWord(mode).data(), t, level)
            << mode << t << level << share;
    };
    for (int t : {25, 50, 75})
        for (int level : {3188, 6375, 12750, 19125, 22313})
            row(ConvertMode::FloydSteinberg, t, level, 100.0 * (1 - double(level) / kWhite));
    row(ConvertMode::Ordered, 50, 12750, 50);
    row(ConvertMode::Ordered, 50, 6375, 75);     // b >= 4: 12 of 16
    row(ConvertMode::Ordered, 50, 22313, 12.5);  // b >= 14: 2 of 16
    row(ConvertMode::Ordered, 25, 6375, 50);     // at the threshold: half
    row(ConvertMode::Ordered, 75, 12750, 68.75); // b >= 5: 11 of 16
    row(ConvertMode::Ordered, 25, 12750, 31.25); // above the threshold, clear for 31 - 2 b > 10.67: b >= 11 set
    row(ConvertMode::Ordered, 75, 22313, 25);    // clear for 31 - 2 b > 7.99: b >= 12 set
    row(ConvertMode::Atkinson, 50, 12750, 50);
    row(ConvertMode::Atkinson, 50, 23000, 0);   // 4 × 23000 - 3 × 25500 = 15500 >= 12750
    row(ConvertMode::Atkinson, 50, 2500, 100);  // 4 × 2500 = 10000 < 12750
    row(ConvertMode::Atkinson, 75, 24000, 0);   // 19500 >= 19125
    row(ConvertMode::Atkinson, 75, 4000, 100);  // 16000 < 19125
    row(ConvertMode::Atkinson, 25, 1000, 100);  // 4000 < 6375
}

void TestConvert::flatGreyShare()
{
    QFETCH(ConvertMode, mode);
    QFETCH(int, threshold);
    QFETCH(int, level);
    QFETCH(double, share);
    const auto converted = palvorn::convert(flat(40, 40, std::uint16_t(level)), {mode, threshold});
    const double got = 100.0 * setCount(converted.sprite) / 1600;
    QVERIFY2(std::abs(got - share) <= 2.0, qPrintable(QStringLiteral("%1% set, %2% expected").arg(got).arg(share)));
}

void TestConvert::sameInputSameOutput()
{
    // A noisy picture: any state carried between calls would show.
    std::vector<std::uint16_t> levels;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 37 * 23; ++i) {
        seed = seed * 1103515245u + 12345u;
        levels.push_back(std::uint16_t((seed >> 8) % (kWhite + 1)));
    }
    const GreyPicture noise(37, 23, levels);
    for (ConvertMode mode : kDithers) {
        const auto first = palvorn::convert(noise, {mode, 40});
        palvorn::convert(flat(37, 23, 9000), {mode, 60});
        const auto again = palvorn::convert(noise, {mode, 40});
        QVERIFY(first.sprite == again.sprite);
        QVERIFY(first.marked == again.marked);
    }
}

void TestConvert::goldenPatterns()
{
    std::string text;
    for (ConvertMode mode : kDithers) {
        text += std::string(palvorn::convertModeName(mode)) + " at 50\n";
        text += rowsOf(palvorn::convert(goldenPicture(), {mode, 50}).sprite);
    }
    QFile golden(QStringLiteral(PALVORN_TEST_DATA "/dither-golden.txt"));
    QVERIFY(golden.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromStdString(text), QString::fromUtf8(golden.readAll()));
}

void TestConvert::marksUnderEveryMode()
{
    // Exact black, near black, faint dark, faint light, white, dark grey,
    // transparent: those that look dark are marked exactly when clear.
    const GreyPicture picture(7, 1, {GreyPicture::kBlack, 100, GreyPicture::kFaintDark, GreyPicture::kFaint, kWhite,
                                     6000, GreyPicture::kTransparent});
    const std::vector<bool> looksDark{true, true, true, false, false, true, false};
    for (int m = 0; m < palvorn::kConvertModes; ++m)
        for (int t : {1, 50, 99}) {
            const auto converted = palvorn::convert(picture, {ConvertMode(m), t});
            for (int x = 0; x < picture.width(); ++x) {
                const bool set = converted.sprite.pixel(x, 0);
                QCOMPARE(converted.marked.pixel(x, 0), looksDark[std::size_t(x)] && !set);
            }
            QVERIFY(!converted.sprite.pixel(2, 0) && !converted.sprite.pixel(3, 0) && !converted.sprite.pixel(6, 0));
        }
    // Exact black sets only the one; the threshold at 50 the dark greys too.
    const auto exact = palvorn::convert(picture, {});
    QCOMPARE(setCount(exact.sprite), 1);
    QCOMPARE(setCount(exact.marked), 3);
    const auto threshold = palvorn::convert(picture, {ConvertMode::Threshold, 50});
    QCOMPARE(setCount(threshold.sprite), 3);
    QCOMPARE(setCount(threshold.marked), 1);
}

void TestConvert::refusedThreshold()
{
    for (int t : {0, 100, -1})
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, palvorn::convert(flat(2, 2, 0), {ConvertMode::Threshold, t}));
}

void TestConvert::modeWords_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<std::optional<ConvertMode>>("mode");
    QTest::newRow("exact") << "exact" << std::optional(ConvertMode::ExactBlack);
    QTest::newRow("threshold") << "threshold" << std::optional(ConvertMode::Threshold);
    QTest::newRow("floyd-steinberg") << "floyd-steinberg" << std::optional(ConvertMode::FloydSteinberg);
    QTest::newRow("atkinson") << "atkinson" << std::optional(ConvertMode::Atkinson);
    QTest::newRow("ordered") << "ordered" << std::optional(ConvertMode::Ordered);
    QTest::newRow("capitalised") << "Threshold" << std::optional<ConvertMode>();
    QTest::newRow("a name, not a word") << "Exact black" << std::optional<ConvertMode>();
    QTest::newRow("a part") << "floyd" << std::optional<ConvertMode>();
    QTest::newRow("empty") << "" << std::optional<ConvertMode>();
}

void TestConvert::modeWords()
{
    QFETCH(QString, word);
    QFETCH(std::optional<ConvertMode>, mode);
    QCOMPARE(palvorn::convertModeFromWord(word.toStdString()), mode);
    if (mode)
        QCOMPARE(std::string(palvorn::convertModeWord(*mode)), word.toStdString());
}

void TestConvert::modeNames()
{
    QStringList names;
    for (int m = 0; m < palvorn::kConvertModes; ++m)
        names << QString::fromUtf8(palvorn::convertModeName(ConvertMode(m)));
    QCOMPARE(names, QStringList({"Exact black", "Threshold", "Floyd-Steinberg dither", "Atkinson dither",
                                 "Ordered dither"}));
}

void TestConvert::pictureLevels()
{
    // Levels that are none of the codes, and sizes that do not match, are refused.
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, GreyPicture(1, 1, {std::uint16_t(kWhite + 1)}));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, GreyPicture(2, 2, {0, 0, 0}));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, GreyPicture(-1, 0, {}));
    const GreyPicture picture(3, 2, {1, 2, 3, 4, 5, 6});
    QVERIFY(picture.cropped(1, 0, 2, 2) == GreyPicture(2, 2, {2, 3, 5, 6}));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, picture.cropped(2, 0, 2, 1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, picture.level(3, 0));
}

QTEST_APPLESS_MAIN(TestConvert)
#include "tst_convert.moc"
