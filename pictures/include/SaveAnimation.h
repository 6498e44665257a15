#pragma once
// Frames given out as an animated GIF, for a browser or a paint program.

#include <QByteArray>
#include <QtGui/qrgb.h>
#include <vector>

#include "Sprite.h"

// The largest enlargement an animation takes.
inline constexpr int kMaxAnimationScale = 4;

// The frames, all of one size, as a GIF that loops for ever: each pixel
// scale × scale screen pixels (1..kMaxAnimationScale), set pixels in `ink`
// and clear ones in `paper`, each frame standing delayCs hundredths of a
// second. After the first, a frame holds only the rectangle that changed,
// left on top of the one before. Throws std::invalid_argument for no
// frames, frames of different or no size, a scale or delay out of range,
// and std::runtime_error when the GIF writer fails.
QByteArray animatedGif(const std::vector<palvorn::Sprite>& frames, int scale, int delayCs, QRgb paper, QRgb ink);
