#include "PictureLoader.h"

// Placeholder until the intake is built.
QImage loadPicture(const QString& fileName) { return QImage(fileName); }
