// The steps after a picture is taken, with the marks of dark pixels left
// clear following the pixels, in the one order whatever order is asked.
#include <QtTest>

#include "PictureSteps.h"
#include "SpriteRows.h"

using palvorn::MarkedSprite;
using palvorn::Sprite;

namespace {

Sprite rows(const QStringList& text)
{
    std::vector<std::string> lines;
    for (const QString& line : text)
        lines.push_back(line.toStdString());
    return text.isEmpty() ? Sprite{} : sprite(static_cast<int>(text.first().size()), lines);
}

QStringList rowsOf(const Sprite& s)
{
    QStringList text;
    for (int y = 0; y < s.height(); ++y) {
        QString line;
        for (int x = 0; x < s.width(); ++x)
            line += s.pixel(x, y) ? 'X' : '.';
        text << line;
    }
    return text;
}

// Black, a dark grey, a light grey and white, left to right.
palvorn::GreyPicture fourGreys()
{
    return palvorn::GreyPicture(4, 1, {palvorn::GreyPicture::kBlack, 5000, 20000, palvorn::GreyPicture::kWhite});
}

}  // namespace

class TestPictureSteps : public QObject {
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
    void convertingNeedsThePicture();
    void trimChanges_data();
    void trimChanges();
};

void TestPictureSteps::steps_data()
{
    QTest::addColumn<QStringList>("sprite");
    QTest::addColumn<QStringList>("marked");  // empty: no marks
    QTest::addColumn<QString>("asked");       // the steps, in the order asked
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("expectedMarked");

    QTest::newRow("invert drops the marks") << QStringList{"X..", "..."} << QStringList{".X.", "..."} << "invert"
                                            << QStringList{".XX", "XXX"} << QStringList{};
    QTest::newRow("flip left to right, marks along") << QStringList{"X..", ".X."} << QStringList{"..X", "..."}
                                                     << "flipLeftRight" << QStringList{"..X", ".X."}
                                                     << QStringList{"X..", "..."};
    QTest::newRow("flip top to bottom, marks along") << QStringList{"X..", ".X."} << QStringList{"..X", "..."}
                                                     << "flipTopBottom" << QStringList{".X.", "X.."}
                                                     << QStringList{"...", "..X"};
    QTest::newRow("trim cuts the marks alike") << QStringList{"....", ".X..", "..X.", "...."}
                                               << QStringList{"X...", "..X.", "....", "...."} << "trim"
                                               << QStringList{"X.", ".X"} << QStringList{".X", ".."};
    QTest::newRow("trim keeps a blank sprite whole") << QStringList{"...", "..."} << QStringList{"X..", "..."}
                                                     << "trim" << QStringList{"...", "..."}
                                                     << QStringList{"X..", "..."};
    // Trimmed first, the dot would be all that is left, then inverted away.
    QTest::newRow("invert before trim, whatever the order asked")
        << QStringList{"...", ".X.", "..."} << QStringList{} << "trim invert" << QStringList{"XXX", "X.X", "XXX"}
        << QStringList{};
    QTest::newRow("no marks stay none") << QStringList{"X..", "..."} << QStringList{} << "flipLeftRight trim"
                                        << QStringList{"X"} << QStringList{};
    // The conversion starts from the picture, not from the taken sprite.
    QTest::newRow("threshold replaces the taken sprite, then the flip")
        << QStringList{"X...", "...."} << QStringList{"....", "...."} << "threshold flipLeftRight"
        << QStringList{"..XX"} << QStringList{"...."};
    QTest::newRow("every step on nothing") << QStringList{} << QStringList{}
                                           << "invert flipLeftRight flipTopBottom trim" << QStringList{}
                                           << QStringList{};
}

void TestPictureSteps::steps()
{
    QFETCH(QStringList, sprite);
    QFETCH(QStringList, marked);
    QFETCH(QString, asked);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, expectedMarked);

    palvorn::PictureSteps steps;
    const QStringList words = asked.split(QLatin1Char(' '));
    steps.invert = words.contains(QLatin1String("invert"));
    steps.flipLeftRight = words.contains(QLatin1String("flipLeftRight"));
    steps.flipTopBottom = words.contains(QLatin1String("flipTopBottom"));
    steps.trim = words.contains(QLatin1String("trim"));
    if (words.contains(QLatin1String("threshold")))
        steps.conversion.mode = palvorn::ConvertMode::Threshold;
    const palvorn::GreyPicture picture = fourGreys();
    const MarkedSprite taken{rows(sprite), rows(marked)};
    const MarkedSprite done = palvorn::applyPictureSteps(taken, &picture, steps);
    QCOMPARE(rowsOf(done.sprite), expected);
    QCOMPARE(rowsOf(done.marked), expectedMarked);
}

// A picture too large to keep has only its exact-black sprite: another
// conversion is refused, never done on nothing.
void TestPictureSteps::convertingNeedsThePicture()
{
    palvorn::PictureSteps steps;
    steps.conversion.mode = palvorn::ConvertMode::Atkinson;
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             palvorn::applyPictureSteps({rows({"X."}), {}}, nullptr, steps));
    steps.conversion.mode = palvorn::ConvertMode::ExactBlack;
    QCOMPARE(rowsOf(palvorn::applyPictureSteps({rows({"X."}), {}}, nullptr, steps).sprite), QStringList{"X."});
}

void TestPictureSteps::trimChanges_data()
{
    QTest::addColumn<QStringList>("sprite");
    QTest::addColumn<bool>("changes");
    QTest::newRow("no pixels") << QStringList{} << false;
    QTest::newRow("blank") << QStringList{"...", "..."} << false;
    QTest::newRow("set on every edge") << QStringList{"X..", "..X"} << false;
    QTest::newRow("one pixel") << QStringList{"X"} << false;
    QTest::newRow("clear right column") << QStringList{"X..", ".X."} << true;
    QTest::newRow("clear bottom row") << QStringList{"X.X", "..."} << true;
}

// What Trim's availability follows: exactly when trimStep would change the sprite.
void TestPictureSteps::trimChanges()
{
    QFETCH(QStringList, sprite);
    QFETCH(bool, changes);
    const Sprite s = rows(sprite);
    QCOMPARE(palvorn::trimChanges(s), changes);
    QCOMPARE(palvorn::trimStep({s, {}}).sprite != s, changes);
}

QTEST_GUILESS_MAIN(TestPictureSteps)
#include "tst_picturesteps.moc"
