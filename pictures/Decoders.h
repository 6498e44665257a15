#pragma once
// Inside the picture taking: one decoder per format, each reading its bytes
// once, checking the size its header claims before taking memory for it, and
// throwing Failure for what it refuses.

#include <QImage>

#include "ByteSource.h"
#include "Canvas.h"

namespace pictures {

TakenPicture decodeBmp(ByteSource& source);
TakenPicture decodePng(ByteSource& source);
TakenPicture decodeGif(ByteSource& source);
TakenPicture decodeJpeg(ByteSource& source);
TakenPicture decodeWebp(ByteSource& source);
TakenPicture decodeImage(const QImage& image);

// Whether a decoded picture's pixels are judged on 16-bit channels (more
// than 8 bits a channel) rather than on 8-bit ones.
inline bool judgedAt16Bits(const QImage& image)
{
    return image.depth() > 32 || image.format() == QImage::Format_Grayscale16;
}

// Gives taken the conversion it starts with (see startConversion in
// TakePicture.h), converting its picture again when that is not Exact black.
// lossyFormat names a JPEG or WebP ("JPEG", "WebP"); null for others.
void startConversion(TakenPicture& taken, const char* lossyFormat);

}  // namespace pictures
