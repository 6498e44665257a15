#pragma once
// Inside the picture taking: one decoder per format, each reading its bytes
// once, checking the size its header claims before taking memory for it, and
// throwing Failure for what it refuses.

#include <QIODevice>
#include <QImage>

#include "ByteSource.h"
#include "Canvas.h"

namespace pictures {

TakenPicture decodeBmp(ByteSource& source);
TakenPicture decodePng(ByteSource& source);
TakenPicture decodeGif(ByteSource& source);
TakenPicture decodeImage(const QImage& image);

// Whether a decoded picture's pixels are judged on 16-bit channels (more
// than 8 bits a channel) rather than on 8-bit ones.
inline bool judgedAt16Bits(const QImage& image)
{
    return image.depth() > 32 || image.format() == QImage::Format_Grayscale16;
}

// Fills taken.picture from `image`, the picture taken.sprite was decoded
// from, when it is within kMaxKeptPixels and its Exact black conversion
// gives exactly taken's sprite and marks; otherwise leaves it null.
void keepImage(TakenPicture& taken, const QImage& image);
// The same for the picture in `device` (read again from its start by Qt's
// reader for `format`, "bmp", "png" or "gif"); null when Qt cannot read it
// or reads it otherwise.
void keepRead(TakenPicture& taken, QIODevice& device, const char* format);

}  // namespace pictures
