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
TakenPicture decodeImage(const QImage& image);

}  // namespace pictures
