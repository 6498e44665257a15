#pragma once
// Taking the five poses from one picture: a pose sheet (the rule of
// Sheet.h), or an animated GIF with exactly five frames, a frame per pose.

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "Enemy.h"
#include "TakePicture.h"

using PosePictures = std::array<TakenPicture, palvorn::kPoses>;

// The five poses of a taken picture that is a sheet, in file order: each
// part's sprite and marks, its kept picture when the whole was kept, and the
// whole's conversion and note.
// The rule runs on the kept picture; without one, on the sprite and marks
// (see palvorn::sheetParts). None when the picture is not a sheet.
std::optional<PosePictures> sheetPoses(const TakenPicture& picture);

// Every frame of a GIF, up to maxFrames, each as the screen shows it once
// that frame is drawn (the frames before it left, cleared or restored as
// each asks; the screen clear to begin with). The screen is bounded as a
// picture is, and the frames' pixels together by kMaxPicturePixels, checked
// before each frame's memory is taken. Throws PictureError as
// takePictureData does, naming the bytes as nameForMessages; a GIF with
// more than maxFrames frames gives maxFrames + 1, the last of them empty.
std::vector<TakenPicture> takeGifFrames(const QByteArray& bytes, const QString& nameForMessages, int maxFrames);

// The five frames of a GIF that has exactly five; none for anything else
// (another count, not a GIF, a GIF that cannot be read).
std::optional<PosePictures> gifFramePoses(const QByteArray& bytes);
// The same for the file at path; none when it cannot be read.
std::optional<PosePictures> gifFramePosesFile(const QString& path);
