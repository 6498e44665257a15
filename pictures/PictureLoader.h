#pragma once
// Reading a picture from a bitmap file, with the memory a decode may take
// bounded before it starts.

#include <QByteArray>
#include <QImage>
#include <QString>

class QIODevice;

// Pictures up to this many pixels load (4096 × 4096); larger ones are refused
// before their pixels are decoded.
inline constexpr qint64 kMaxPicturePixels = qint64(4096) * 4096;

// The decoded bitmap, or a null QImage when the file is not a bitmap (BMP),
// cannot be read as one, is incomplete, claims more than kMaxPicturePixels
// or has a side longer than a sprite's (palvorn::Sprite::kMaxSide). The
// content decides, never the name: a bitmap under another suffix loads, and
// a picture in another format is refused, since its decoder's memory could
// not be bounded from its header (a PNG may claim a 2 GB chunk).
QImage loadPicture(const QString& fileName);

// The same for a random-access device open for reading (a file, a buffer),
// from its current position. A sequential device is refused: the picture is
// decoded twice.
QImage loadPicture(QIODevice* device);

// The same for a picture held in memory.
QImage loadPictureData(const QByteArray& data);
