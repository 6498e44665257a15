#pragma once
// Inside the picture decoders: how a decoder stops, turned into the
// PictureError the user sees by the one place that knows the file's name.

#include <QString>
#include <QtGlobal>

#include "TakePicture.h"

namespace pictures {

// Why a decoder stopped; turned into a PictureError naming the file by the
// caller. width and height only for TooLarge.
struct Failure {
    PictureError::Kind kind;
    qint64 width = 0;
    qint64 height = 0;
    QString detail;  // Unreadable: the system's reason; Unsupported: what kind
};

[[noreturn]] inline void fail(PictureError::Kind kind, const QString& detail = {})
{
    throw Failure{kind, 0, 0, detail};
}
[[noreturn]] inline void damaged() { fail(PictureError::Kind::Damaged); }

}  // namespace pictures
