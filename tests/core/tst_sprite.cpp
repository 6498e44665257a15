// Packing sprite pixels into bytes and the text of a sprite block.

#include <QtTest>

#include <stdexcept>
#include <string>
#include <vector>

#include "Sprite.h"
#include "SpriteRows.h"

using palvorn::Sprite;

namespace {

std::string block(const Sprite& s)
{
    std::string out;
    palvorn::WriteImage(out, s);
    return out;
}

}  // namespace

class TestSprite : public QObject {
    Q_OBJECT

private slots:
    void workedExample();
    void sizes_data();
    void sizes();
    void rowBytes_data();
    void rowBytes();
    void packedRows_data();
    void packedRows();
    void packedRowsOfTheWrongLength();
    void appendsToWhatIsThere();
    void pixelsOutsideCannotBeSet();
    void sideLimits_data();
    void sideLimits();
};

void TestSprite::workedExample()
{
    const Sprite s = sprite(12, {"XXXXXXXXXXXX", "X..........."});
    QCOMPARE(s.bytesPerRow(), 2);
    QCOMPARE(s.packedSize(), 4);
    QCOMPARE(block(s), std::string(" .db 4\r\n .db $FF,$F0\r\n .db $80,$00\r\n"));
}

void TestSprite::sizes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("perRow");
    QTest::addColumn<int>("packed");

    QTest::newRow("1 x 1") << 1 << 1 << 1 << 1;
    QTest::newRow("7 x 3") << 7 << 3 << 1 << 3;
    QTest::newRow("8 x 2") << 8 << 2 << 1 << 2;
    QTest::newRow("9 x 2") << 9 << 2 << 2 << 4;
    QTest::newRow("12 x 2") << 12 << 2 << 2 << 4;
    QTest::newRow("16 x 3") << 16 << 3 << 2 << 6;
    QTest::newRow("17 x 5") << 17 << 5 << 3 << 15;
    QTest::newRow("40 x 40, the size limit") << 40 << 40 << 5 << 200;
    QTest::newRow("41 x 40") << 41 << 40 << 6 << 240;
    QTest::newRow("empty") << 0 << 0 << 0 << 0;
}

// The size line carries the packed size; then one row line per pixel row,
// each with exactly bytes-per-row bytes.
void TestSprite::sizes()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, perRow);
    QFETCH(int, packed);

    const Sprite s(width, height);
    QCOMPARE(s.bytesPerRow(), perRow);
    QCOMPARE(s.packedSize(), packed);
    QCOMPARE(palvorn::bytesPerRow(width), perRow);
    QCOMPARE(palvorn::packedSize(width, height), packed);

    std::string row = " .db ";
    for (int i = 0; i < perRow; ++i)
        row += i == 0 ? "$00" : ",$00";
    row += "\r\n";
    std::string expected = " .db " + std::to_string(packed) + "\r\n";
    for (int y = 0; y < height; ++y)
        expected += row;
    const std::string text = block(s);
    QCOMPARE(text, expected);
    QCOMPARE(palvorn::WriteImageSize(s), text.size());
}

void TestSprite::rowBytes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("pixels");
    QTest::addColumn<QString>("bytes");

    QTest::newRow("only the eighth pixel") << 8 << ".......X" << "$01";
    QTest::newRow("only the first pixel") << 8 << "X......." << "$80";
    QTest::newRow("below 16 keeps its zero") << 8 << "....XXXX" << "$0F";
    QTest::newRow("white") << 8 << "........" << "$00";
    QTest::newRow("letters in upper case") << 8 << "X.X.X.XX" << "$AB";
    QTest::newRow("1 wide, black") << 1 << "X" << "$80";
    QTest::newRow("1 wide, white") << 1 << "." << "$00";
    QTest::newRow("7 wide, padding bit 0") << 7 << "XXXXXXX" << "$FE";
    QTest::newRow("9 wide, padding bits 0") << 9 << "XXXXXXXXX" << "$FF,$80";
    QTest::newRow("12 wide, padding bits 0") << 12 << "XXXXXXXXXXXX" << "$FF,$F0";
    QTest::newRow("16 wide, bytes left to right") << 16 << "..........X.X.XX" << "$00,$2B";
    QTest::newRow("17 wide, one byte per 8 pixels") << 17 << "X.......X.......X" << "$80,$80,$80";
}

void TestSprite::rowBytes()
{
    QFETCH(int, width);
    QFETCH(QString, pixels);
    QFETCH(QString, bytes);

    const Sprite s = sprite(width, {pixels.toStdString()});
    const std::string expected = " .db " + std::to_string(s.bytesPerRow()) + "\r\n .db " + bytes.toStdString() + "\r\n";
    QCOMPARE(block(s), expected);
}

// A sprite made from packed rows reads its pixels from the same layout the
// writer prints, and padding bits given set come out clear.
void TestSprite::packedRows_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QString>("pixels");  // row after row
    QTest::addColumn<QString>("written");

    QTest::newRow("whole bytes") << 8 << QByteArray("\x81\x3C", 2) << "X......X..XXXX.." << " .db $81\r\n .db $3C\r\n";
    QTest::newRow("padding cleared") << 3 << QByteArray("\xFF\x5F", 2) << "XXX.X." << " .db $E0\r\n .db $40\r\n";
    QTest::newRow("two bytes a row") << 9 << QByteArray("\x00\xFF", 2) << "........X" << " .db $00,$80\r\n";
}

void TestSprite::packedRows()
{
    QFETCH(int, width);
    QFETCH(QByteArray, rows);
    QFETCH(QString, pixels);
    QFETCH(QString, written);

    const int height = int(pixels.size()) / width;
    const Sprite s(width, height, palvorn::PackedRows(rows.begin(), rows.end()));
    QString seen;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            seen += s.pixel(x, y) ? QLatin1Char('X') : QLatin1Char('.');
    QCOMPARE(seen, pixels);
    QCOMPARE(block(s), " .db " + std::to_string(s.packedSize()) + "\r\n" + written.toStdString());
    std::vector<std::string> text;
    for (int y = 0; y < height; ++y)
        text.push_back(pixels.mid(y * width, width).toStdString());
    QCOMPARE(s, sprite(width, text));
}

void TestSprite::packedRowsOfTheWrongLength()
{
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Sprite(9, 2, palvorn::PackedRows(3)));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Sprite(8, 2, palvorn::PackedRows(3)));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Sprite(-1, 0, {}));
    QCOMPARE(Sprite(0, 5, {}), Sprite(0, 5));
}

// The writer appends one block after another into the same text.
void TestSprite::appendsToWhatIsThere()
{
    std::string out = "before\r\n";
    palvorn::WriteImage(out, sprite(8, {"XXXX...."}));
    palvorn::WriteImage(out, sprite(16, {"........", "X"}));
    QCOMPARE(out, std::string("before\r\n .db 1\r\n .db $F0\r\n .db 4\r\n .db $00,$00\r\n .db $80,$00\r\n"));
}

// The padding bits of a row cannot be reached, so they stay 0; clearing a
// pixel leaves its neighbours alone.
void TestSprite::pixelsOutsideCannotBeSet()
{
    Sprite s = sprite(9, {"XXXXXXXXX"});
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, s.setPixel(9, 0, true));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, s.setPixel(0, 1, true));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, s.setPixel(-1, 0, true));
    s.setPixel(3, 0, false);
    QCOMPARE(block(s), std::string(" .db 2\r\n .db $EF,$80\r\n"));
    QVERIFY(!s.pixel(3, 0));
    QVERIFY(s.pixel(8, 0));
    QVERIFY(!s.pixel(9, 0));
}

void TestSprite::sideLimits_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("largest width") << Sprite::kMaxSide << 1 << true;
    QTest::newRow("largest height") << 1 << Sprite::kMaxSide << true;
    QTest::newRow("width past 16 bits") << Sprite::kMaxSide + 1 << 1 << false;
    QTest::newRow("height past 16 bits") << 1 << Sprite::kMaxSide + 1 << false;
    QTest::newRow("negative width") << -1 << 1 << false;
    QTest::newRow("negative height") << 1 << -1 << false;
}

void TestSprite::sideLimits()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, accepted);

    if (accepted) {
        const Sprite s(width, height);
        QCOMPARE(s.width(), width);
        QCOMPARE(s.height(), height);
    } else {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Sprite(width, height));
    }
}

QTEST_GUILESS_MAIN(TestSprite)
#include "tst_sprite.moc"
