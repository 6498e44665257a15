#pragma once
// Reading a picture from a bitmap file, with the memory a decode may take
// bounded before it starts.

#include <QImage>
#include <QString>

// Pictures up to this many pixels load (4096 × 4096); larger ones are refused
// before their pixels are decoded.
inline constexpr qint64 kMaxPicturePixels = qint64(4096) * 4096;

// The decoded picture, or a null QImage when the file cannot be read as a
// bitmap or claims more than kMaxPicturePixels.
QImage loadPicture(const QString& fileName);
