#include "SpriteImage.h"

palvorn::Sprite spriteFromImage(const QImage& image)
{
    if (image.isNull())
        return {};
    // One conversion covers every stored format (palette, 16-bit, premultiplied,
    // no alpha); ARGB32 keeps the alpha unpremultiplied, so black stays 0,0,0.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    palvorn::Sprite sprite(argb.width(), argb.height());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (line[x] == 0xFF000000u)  // opaque and pure black
                sprite.setPixel(x, y, true);
    }
    return sprite;
}
