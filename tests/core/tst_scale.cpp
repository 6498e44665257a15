// Scaling a kept picture down before converting it: the sizes each scale
// gives, the scale Fit picks, area averaging with partial pixels and the
// codes that are no luminance, against ImageMagick's box filter on a small
// picture, and the scale as part of a conversion.
#include <QFile>
#include <QtTest>

#include <cmath>
#include <optional>

#include "Convert.h"
#include "Rules.h"
#include "Scale.h"

using palvorn::GreyPicture;

Q_DECLARE_METATYPE(std::optional<int>)
Q_DECLARE_METATYPE(std::vector<std::uint16_t>)

namespace {

constexpr auto kBlack = GreyPicture::kBlack;
constexpr auto kClear = GreyPicture::kTransparent;
constexpr auto kFaint = GreyPicture::kFaint;
constexpr auto kFaintDark = GreyPicture::kFaintDark;
constexpr auto kWhite = GreyPicture::kWhite;

// A binary PGM's size and grey bytes; width 0 when it cannot be read.
struct Pgm {
    int width = 0;
    int height = 0;
    QByteArray grey;
};

Pgm readPgm(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> head = file.read(15).split('\n');  // "P5\nW H\n255\n" is short
    if (head.size() < 3 || head[0] != "P5")
        return {};
    const QList<QByteArray> size = head[1].split(' ');
    Pgm pgm{size.value(0).toInt(), size.value(1).toInt(), {}};
    file.seek(head[0].size() + head[1].size() + head[2].size() + 3);
    pgm.grey = file.readAll();
    return pgm;
}

}  // namespace

class TestScale : public QObject {
    Q_OBJECT

private slots:
    void sizes_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("scaledWidth");
        QTest::addColumn<int>("scaledHeight");
        QTest::newRow("whole") << 37 << 20 << 100 << 37 << 20;
        QTest::newRow("half rounds to nearest") << 37 << 21 << 50 << 19 << 11;
        QTest::newRow("never under one pixel") << 2000 << 3 << 1 << 20 << 1;
        QTest::newRow("empty stays empty") << 0 << 0 << 40 << 0 << 0;
    }
    void sizes()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, scale);
        QFETCH(int, scaledWidth);
        QFETCH(int, scaledHeight);
        QCOMPARE(palvorn::scaledSize(width, height, scale), (palvorn::PictureSize{scaledWidth, scaledHeight}));
    }

    void scaleOutOfRange()
    {
        const GreyPicture picture(4, 4, std::vector<std::uint16_t>(16, 0));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, palvorn::scaledSize(4, 4, 0));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 palvorn::convert(picture, {palvorn::ConvertMode::Threshold, 50, 101}));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, palvorn::areaScaled(picture, 5, 4));
    }

    // Fit: the largest scale whose sprite packs into the limit.
    void fit_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<std::optional<int>>("scale");
        QTest::newRow("fits already") << 40 << 40 << std::optional<int>(100);
        QTest::newRow("one pixel over") << 41 << 41 << std::optional<int>(98);
        QTest::newRow("a 2000 x 2000 photo") << 2000 << 2000 << std::optional<int>(2);
        QTest::newRow("a wide strip keeps its proportions") << 1000 << 10 << std::optional<int>(40);
        QTest::newRow("too large even at 1 %") << 4096 << 4096 << std::optional<int>();
        QTest::newRow("empty") << 0 << 0 << std::optional<int>();
    }
    void fit()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(std::optional<int>, scale);
        QCOMPARE(palvorn::fitScale(width, height), scale);
        if (!scale)
            return;
        const palvorn::PictureSize at = palvorn::scaledSize(width, height, *scale);
        QVERIFY(palvorn::packedSize(at.width, at.height) <= palvorn::kSizeLimit);
        if (*scale < palvorn::kMaxScale) {
            const palvorn::PictureSize over = palvorn::scaledSize(width, height, *scale + 1);
            QVERIFY(palvorn::packedSize(over.width, over.height) > palvorn::kSizeLimit);
        }
    }

    // Two by two pixels into one, or three into two across (half pixels).
    void averaging_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<std::vector<std::uint16_t>>("levels");
        QTest::addColumn<std::vector<std::uint16_t>>("expected");
        using L = std::vector<std::uint16_t>;
        QTest::newRow("partial pixels by their share") << 3 << L{0, 300, 600, 0, 300, 600} << L{100, 500};
        QTest::newRow("greys") << 2 << L{1000, 2000, 3000, 4001} << L{2500};
        QTest::newRow("all pure black stays pure black") << 2 << L{kBlack, kBlack, kBlack, kBlack} << L{kBlack};
        QTest::newRow("black and white is grey") << 2 << L{kBlack, kWhite, kBlack, kBlack} << L{kWhite / 4};
        QTest::newRow("black over a mostly opaque area") << 2 << L{kBlack, kClear, kBlack, kBlack} << L{kBlack};
        QTest::newRow("opaque half: mean of the opaque part") << 2 << L{1000, kClear, 3000, kFaint} << L{2000};
        QTest::newRow("mostly transparent") << 2 << L{kBlack, kClear, kClear, kClear} << L{kClear};
        QTest::newRow("mostly faint and dark") << 2 << L{kFaintDark, kClear, kFaintDark, kWhite} << L{kFaintDark};
        QTest::newRow("mostly faint and light") << 2 << L{kFaint, kClear, kFaint, kBlack} << L{kFaint};
    }
    void averaging()
    {
        QFETCH(int, width);
        QFETCH(std::vector<std::uint16_t>, levels);
        QFETCH(std::vector<std::uint16_t>, expected);
        const GreyPicture picture(width, 2, levels);
        const int newWidth = int(expected.size());
        const GreyPicture scaled = palvorn::areaScaled(picture, newWidth, 1);
        QCOMPARE(scaled, GreyPicture(newWidth, 1, expected));
    }

    // The same small picture through ImageMagick's `-filter box -resize`
    // once (the golden file): at most 2 levels apart on average.
    void matchesBoxFilter()
    {
        const Pgm source = readPgm(QStringLiteral(PALVORN_TEST_DATA "/box-source.pgm"));
        const Pgm golden = readPgm(QStringLiteral(PALVORN_TEST_DATA "/box-golden-23x17.pgm"));
        QCOMPARE(source.grey.size(), qsizetype(source.width) * source.height);
        QCOMPARE(golden.grey.size(), qsizetype(golden.width) * golden.height);
        std::vector<std::uint16_t> levels;
        for (const char g : source.grey)
            levels.push_back(palvorn::greyLevel8(quint8(g), quint8(g), quint8(g), 255));
        const GreyPicture scaled =
            palvorn::areaScaled(GreyPicture(source.width, source.height, levels), golden.width, golden.height);
        double difference = 0;
        for (int y = 0; y < golden.height; ++y)
            for (int x = 0; x < golden.width; ++x) {
                const int level = scaled.level(x, y) == kBlack ? 0 : scaled.level(x, y);
                difference += std::abs(level / 100.0 - quint8(golden.grey[y * golden.width + x]));
            }
        difference /= golden.width * golden.height;
        QVERIFY2(difference <= 2, qPrintable(QStringLiteral("%1 levels apart on average").arg(difference)));
    }

    // The scale is part of the conversion: the sprite comes at the scaled
    // size, converted from the picture each time, so going back to 100 %
    // gives the whole picture's sprite again.
    void conversionScales()
    {
        std::vector<std::uint16_t> levels(40 * 20, kWhite);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                levels[std::size_t(y * 40 + x)] = 1000;  // the left half dark
        const GreyPicture picture(40, 20, levels);
        const palvorn::Converted half = palvorn::convert(picture, {palvorn::ConvertMode::Threshold, 50, 50});
        QCOMPARE(half.sprite.width(), 20);
        QCOMPARE(half.sprite.height(), 10);
        QCOMPARE(half.marked.width(), 20);
        QVERIFY(half.sprite.pixel(9, 5));
        QVERIFY(!half.sprite.pixel(10, 5));
        QCOMPARE(palvorn::convert(picture, {palvorn::ConvertMode::Threshold, 50, 100}).sprite,
                 palvorn::convert(picture, {palvorn::ConvertMode::Threshold, 50}).sprite);
    }
};

QTEST_APPLESS_MAIN(TestScale)
#include "tst_scale.moc"
