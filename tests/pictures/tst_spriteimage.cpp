// The pixel rule on every way a decoded picture can store its pixels.
#include <QtTest>

#include "SpriteOf.h"

namespace {

// A 1 × 1 picture of that colour in that format.
QImage onePixel(QRgb argb, QImage::Format format)
{
    QImage image(1, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, argb);
    return image.convertToFormat(format, Qt::ThresholdDither | Qt::AvoidDither);
}

// A 1 × 1 palette picture whose one entry is that colour.
QImage paletteOf(QRgb entry)
{
    QImage image(1, 1, QImage::Format_Indexed8);
    image.setColorTable({entry});
    image.setPixel(0, 0, 0);
    return image;
}

}  // namespace

class TestSpriteImage : public QObject {
    Q_OBJECT

private slots:
    void pixelRule_data();
    void pixelRule();
    void pixelsKeepTheirPlace();
    void nullPictureIsEmptySprite();
};

void TestSpriteImage::pixelRule_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<bool>("set");

    const QRgb black = qRgba(0, 0, 0, 255);
    QTest::newRow("rgb32 black") << onePixel(black, QImage::Format_RGB32) << true;
    QTest::newRow("rgb32 white") << onePixel(qRgb(255, 255, 255), QImage::Format_RGB32) << false;
    QTest::newRow("rgb32 nearly black red") << onePixel(qRgb(1, 0, 0), QImage::Format_RGB32) << false;
    QTest::newRow("rgb32 nearly black blue") << onePixel(qRgb(0, 0, 1), QImage::Format_RGB32) << false;
    QTest::newRow("rgb888 black") << onePixel(black, QImage::Format_RGB888) << true;
    QTest::newRow("rgb888 nearly black green") << onePixel(qRgb(0, 1, 0), QImage::Format_RGB888) << false;
    QTest::newRow("rgb16 black") << onePixel(black, QImage::Format_RGB16) << true;
    QTest::newRow("rgb16 dark grey") << onePixel(qRgb(8, 4, 8), QImage::Format_RGB16) << false;
    QTest::newRow("rgb555 black") << onePixel(black, QImage::Format_RGB555) << true;
    QTest::newRow("mono black") << onePixel(black, QImage::Format_Mono) << true;
    QTest::newRow("mono white") << onePixel(qRgb(255, 255, 255), QImage::Format_Mono) << false;
    QTest::newRow("grayscale8 black") << onePixel(black, QImage::Format_Grayscale8) << true;
    QTest::newRow("grayscale8 level 1") << onePixel(qRgb(1, 1, 1), QImage::Format_Grayscale8) << false;
    QTest::newRow("grayscale16 black") << onePixel(black, QImage::Format_Grayscale16) << true;
    QTest::newRow("rgba64 black opaque") << onePixel(black, QImage::Format_RGBA64) << true;
    QTest::newRow("argb32 black opaque") << onePixel(black, QImage::Format_ARGB32) << true;
    QTest::newRow("argb32 black alpha 254") << onePixel(qRgba(0, 0, 0, 254), QImage::Format_ARGB32) << false;
    QTest::newRow("argb32 transparent stored black") << onePixel(qRgba(0, 0, 0, 0), QImage::Format_ARGB32) << false;
    QTest::newRow("argb32 transparent stored white") << onePixel(qRgba(255, 255, 255, 0), QImage::Format_ARGB32)
                                                     << false;
    QTest::newRow("premultiplied black opaque") << onePixel(black, QImage::Format_ARGB32_Premultiplied) << true;
    QTest::newRow("premultiplied black half alpha")
        << onePixel(qRgba(0, 0, 0, 128), QImage::Format_ARGB32_Premultiplied) << false;
    QTest::newRow("premultiplied transparent") << onePixel(qRgba(0, 0, 0, 0), QImage::Format_ARGB32_Premultiplied)
                                               << false;
    QTest::newRow("premultiplied rgba64 transparent")
        << onePixel(qRgba(0, 0, 0, 0), QImage::Format_RGBA64_Premultiplied) << false;
    QTest::newRow("argb8565 premultiplied black") << onePixel(black, QImage::Format_ARGB8565_Premultiplied) << true;
    QTest::newRow("palette black") << paletteOf(black) << true;
    QTest::newRow("palette black fully transparent") << paletteOf(qRgba(0, 0, 0, 0)) << false;
    QTest::newRow("palette dark grey") << paletteOf(qRgb(1, 1, 1)) << false;
}

void TestSpriteImage::pixelRule()
{
    QFETCH(QImage, picture);
    QFETCH(bool, set);
    QVERIFY(!picture.isNull());
    // The pixel rule is Exact black's, whatever conversion the picture starts with.
    const palvorn::Sprite sprite = palvorn::convert(*takeImage(picture).picture, {}).sprite;
    QCOMPARE(sprite.width(), 1);
    QCOMPARE(sprite.height(), 1);
    QCOMPARE(sprite.pixel(0, 0), set);
}

void TestSpriteImage::pixelsKeepTheirPlace()
{
    // Black on a diagonal and in the far corner of a picture that is not a
    // whole number of bytes wide: rows and columns must not be swapped or shifted.
    QImage image(11, 3, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QList<QPoint> black = {{0, 0}, {1, 1}, {2, 2}, {10, 0}, {9, 2}};
    for (const QPoint& p : black)
        image.setPixel(p, qRgb(0, 0, 0));
    const palvorn::Sprite sprite = spriteOf(image);
    QCOMPARE(sprite.width(), 11);
    QCOMPARE(sprite.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 11; ++x)
            QVERIFY2(sprite.pixel(x, y) == black.contains(QPoint(x, y)), qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
}

void TestSpriteImage::nullPictureIsEmptySprite()
{
    try {
        takeImage(QImage());
        QFAIL("a null picture was taken");
    } catch (const PictureError& e) {
        QCOMPARE(e.kind(), PictureError::Kind::NotAPicture);
    }
}

QTEST_MAIN(TestSpriteImage)
#include "tst_spriteimage.moc"
