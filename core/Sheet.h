#pragma once
// Pose sheets: the five poses side by side in one picture, taken in and
// given out. Plain C++.
//
// The sheet rule: a picture is a sheet when its columns that are not fully
// clear form exactly five runs, each separated from the next by at least one
// fully clear column. A pixel is clear when it is transparent or pure white.
// The runs are the poses in file order, left to right, each trimmed of the
// clear rows above and below it; clear columns at either edge are margins.

#include <array>
#include <optional>

#include "Convert.h"
#include "Enemy.h"
#include "SpriteOps.h"

namespace palvorn {

using SheetParts = std::array<PixelRect, kPoses>;

// The five parts of a sheet, left to right; none when the picture is not one.
std::optional<SheetParts> sheetParts(const GreyPicture& picture);

// The same for a picture that was not kept, from what was taken of it: a
// pixel counts as clear when it is neither set nor marked dark, so a light
// grey gap passes here that the kept picture would not. `marked` is empty or
// the sprite's size (std::invalid_argument otherwise).
std::optional<SheetParts> sheetParts(const Sprite& sprite, const Sprite& marked);

// Clear columns between the poses of a sheet given out.
inline constexpr int kSheetGap = 8;

// The five poses as one sheet: file order, left to right, tops aligned,
// kSheetGap clear columns apart. Taken back in by the rule above, it gives
// the same five sprites when each has a set pixel on every edge and no
// clear column inside. Throws std::invalid_argument, naming the pose, when
// a pose is empty.
Sprite sheetOf(const std::array<Sprite, kPoses>& poses);

}  // namespace palvorn
