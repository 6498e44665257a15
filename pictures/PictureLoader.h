#pragma once
// Old entry, kept only until the windows take pictures through
// TakePicture.h; it will be removed.

#include <QImage>
#include <QString>

#include "TakePicture.h"

// The picture in the file as a black-and-white image of its sprite (set
// pixels black, all others white), or a null image for anything
// takePictureFile refuses.
QImage loadPicture(const QString& fileName);
