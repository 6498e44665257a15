// Pose sheets: which pictures are five poses side by side and where each
// pose lies, and the sheet given out, which the rule takes back.
#include <QtTest>

#include <string>
#include <vector>

#include "Sheet.h"
#include "SpriteRows.h"

using palvorn::GreyPicture;
using palvorn::PixelRect;
using palvorn::Sprite;
using Rows = QStringList;
using Rects = QList<QList<int>>;  // left, top, width, height each; empty: not a sheet

namespace {

// A picture written as text: '#' black, '.' pure white, ' ' transparent,
// 'g' a light grey, 'f' faint (alpha under 128), 'w' white at alpha 200.
GreyPicture picture(const Rows& rows)
{
    const int width = rows.isEmpty() ? 0 : int(rows[0].size());
    std::vector<std::uint16_t> levels;
    for (const QString& row : rows)
        for (const QChar c : row)
            levels.push_back(c == '#'   ? GreyPicture::kBlack
                             : c == '.' ? GreyPicture::kWhite
                             : c == ' ' ? GreyPicture::kTransparent
                             : c == 'g' ? palvorn::greyLevel8(250, 250, 250, 255)
                             : c == 'f' ? GreyPicture::kFaint
                             : c == 'w' ? palvorn::greyLevel8(255, 255, 255, 200)
                                        : GreyPicture::kWhite);
    return GreyPicture(width, int(rows.size()), std::move(levels));
}

Rects rectsOf(const std::optional<palvorn::SheetParts>& parts)
{
    Rects rects;
    if (parts)
        for (const PixelRect& r : *parts)
            rects.append({r.left, r.top, r.width, r.height});
    return rects;
}

}  // namespace

class TestSheet : public QObject {
    Q_OBJECT

private slots:
    void rule_data();
    void rule();
    void ruleWithoutTheKeptPicture();
    void sheetOut();
    void sheetOutNamesAMissingPose();
    void sheetOutTakenBackGivesTheSamePoses();
};

void TestSheet::rule_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<Rects>("expected");

    QTest::newRow("five parts") << Rows{"#.#.#.#.#"}
                                << Rects{{0, 0, 1, 1}, {2, 0, 1, 1}, {4, 0, 1, 1}, {6, 0, 1, 1}, {8, 0, 1, 1}};
    QTest::newRow("four parts") << Rows{"#.#.#.#"} << Rects{};
    QTest::newRow("six parts") << Rows{"#.#.#.#.#.#"} << Rects{};
    QTest::newRow("five shapes, two touching, are four") << Rows{"#.##.#.#", "#.#..#.#"} << Rects{};
    QTest::newRow("six shapes, two touching, are five")
        << Rows{"#.#.#.#.##", "#.#.#.#.#."}
        << Rects{{0, 0, 1, 2}, {2, 0, 1, 2}, {4, 0, 1, 2}, {6, 0, 1, 2}, {8, 0, 2, 2}};
    QTest::newRow("transparent gaps")
        << Rows{"## # # # #", "#  # # # #"}
        << Rects{{0, 0, 2, 2}, {3, 0, 1, 2}, {5, 0, 1, 2}, {7, 0, 1, 2}, {9, 0, 1, 2}};
    QTest::newRow("gaps of white and transparent mixed")
        << Rows{"#.#.#.#.#", "# # #.# #"}
        << Rects{{0, 0, 1, 2}, {2, 0, 1, 2}, {4, 0, 1, 2}, {6, 0, 1, 2}, {8, 0, 1, 2}};
    QTest::newRow("white at part alpha is clear")
        << Rows{"#w#w#w#w#"} << Rects{{0, 0, 1, 1}, {2, 0, 1, 1}, {4, 0, 1, 1}, {6, 0, 1, 1}, {8, 0, 1, 1}};
    QTest::newRow("a light grey gap is no gap") << Rows{"#g#.#.#.#"} << Rects{};
    QTest::newRow("a faint gap is no gap") << Rows{"#.#f#.#.#"} << Rects{};
    QTest::newRow("grey counts as part of a pose")
        << Rows{"g.#.#.#.#"} << Rects{{0, 0, 1, 1}, {2, 0, 1, 1}, {4, 0, 1, 1}, {6, 0, 1, 1}, {8, 0, 1, 1}};
    QTest::newRow("margins, and each part trimmed of its own clear rows")
        << Rows{".................",
                "...#.............",
                "...#..##...   ...",
                "......##.#.....#.",
                "...........#.....",
                "............#....",
                "................."}
        << Rects{{3, 1, 1, 2}, {6, 2, 2, 2}, {9, 3, 1, 1}, {11, 4, 2, 2}, {15, 3, 1, 1}};
    QTest::newRow("a part wider than tall, with a hole")
        << Rows{"###.#.#.#.#", "#.#........", "###........"}
        << Rects{{0, 0, 3, 3}, {4, 0, 1, 1}, {6, 0, 1, 1}, {8, 0, 1, 1}, {10, 0, 1, 1}};
    QTest::newRow("all clear") << Rows{"....", "    "} << Rects{};
    QTest::newRow("one column") << Rows{"#", ".", "#", ".", "#", ".", "#", ".", "#"} << Rects{};
}

void TestSheet::rule()
{
    QFETCH(Rows, rows);
    QFETCH(Rects, expected);
    QCOMPARE(rectsOf(palvorn::sheetParts(picture(rows))), expected);
}

void TestSheet::ruleWithoutTheKeptPicture()
{
    // Set and marked pixels hold a part; a marked column joins two.
    const Sprite set = sprite(9, {"X.X.X.X.X", ".........", "X.X.X.X.X"});
    QCOMPARE(rectsOf(palvorn::sheetParts(set, {})),
             (Rects{{0, 0, 1, 3}, {2, 0, 1, 3}, {4, 0, 1, 3}, {6, 0, 1, 3}, {8, 0, 1, 3}}));
    const Sprite marks = sprite(9, {".........", ".X.......", "........."});
    QCOMPARE(rectsOf(palvorn::sheetParts(set, marks)), Rects{});
    const Sprite lowMark = sprite(9, {".........", ".........", "........X"});
    const Sprite topOnly = sprite(9, {"X.X.X.X.X", ".........", "........."});
    QCOMPARE(rectsOf(palvorn::sheetParts(topOnly, lowMark)),
             (Rects{{0, 0, 1, 1}, {2, 0, 1, 1}, {4, 0, 1, 1}, {6, 0, 1, 1}, {8, 0, 1, 3}}));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, palvorn::sheetParts(set, Sprite(8, 3)));
}

void TestSheet::sheetOut()
{
    std::array<Sprite, palvorn::kPoses> poses{
        sprite(2, {"XX", "X."}), sprite(1, {"X", "X", "X"}), sprite(3, {"X.X"}), sprite(1, {"X"}),
        sprite(2, {".X", "XX"})};
    const std::string gap(palvorn::kSheetGap, '.');
    QCOMPARE(palvorn::sheetOf(poses), sprite(2 + 1 + 3 + 1 + 2 + 4 * palvorn::kSheetGap,
                                             {"XX" + gap + "X" + gap + "X.X" + gap + "X" + gap + ".X",
                                              "X." + gap + "X" + gap + "..." + gap + "." + gap + "XX",
                                              ".." + gap + "X" + gap + "..." + gap + "." + gap + ".."}));
}

void TestSheet::sheetOutNamesAMissingPose()
{
    std::array<Sprite, palvorn::kPoses> poses{sprite(1, {"X"}), sprite(1, {"X"}), {}, sprite(1, {"X"}),
                                              sprite(1, {"X"})};
    try {
        palvorn::sheetOf(poses);
        QFAIL("a sheet without the low attack pose was given out");
    } catch (const std::invalid_argument& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("The low attack sprite is missing; a pose sheet holds all five."));
    }
}

void TestSheet::sheetOutTakenBackGivesTheSamePoses()
{
    std::array<Sprite, palvorn::kPoses> poses{
        sprite(5, {"..X..", ".XXX.", "XX.XX", "X...X"}), sprite(3, {"XXX", "X.X", "XXX", "..X", "X.X"}),
        sprite(2, {"X.", ".X"}), sprite(7, {"X.....X", ".XXXXX."}), sprite(1, {"X"})};
    const Sprite sheet = palvorn::sheetOf(poses);
    const auto parts = palvorn::sheetParts(sheet, {});
    QVERIFY(parts);
    for (int i = 0; i < palvorn::kPoses; ++i)
        QCOMPARE(palvorn::cropped(sheet, (*parts)[i]), poses[i]);
}

QTEST_APPLESS_MAIN(TestSheet)
#include "tst_sheet.moc"
