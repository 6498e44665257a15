#pragma once
// The five pictures of the Slime enemy (tests/core/data/Slime.asm),
// as the windows hold them: white pictures with black pixels.

#include <QColor>
#include <QImage>
#include <QStringList>
#include <array>

// One row of text per pixel row: 'X' black, anything else white; the first
// row sets the width and shorter rows end in white.
inline QImage pictureFromRows(const QStringList& rows, QImage::Format format = QImage::Format_RGB32)
{
    const int width = rows.isEmpty() ? 0 : int(rows.first().size());
    QImage image(width, int(rows.size()), QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < width; ++x)
            if (x < rows[y].size() && rows[y][x] == QLatin1Char('X'))
                image.setPixel(x, y, qRgb(0, 0, 0));
    return format == QImage::Format_RGB32 ? image : image.convertToFormat(format);
}

inline std::array<QImage, 5> slimePictures()
{
    return {pictureFromRows({"..XXXX..", "XXXXXXXX", "X......X"}), pictureFromRows({"XXXX....", "....XXXX"}),
            pictureFromRows({"......XX", "XX......"}), pictureFromRows({"XXXXXXXX", "........"}),
            pictureFromRows({".X.X.X.X", "X.X.X.X."})};
}

inline QString slimeGoldenPath()
{
    return QStringLiteral(PALVORN_SOURCE_DIR "/tests/core/data/Slime.asm");
}
