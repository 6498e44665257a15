#pragma once
// The steps done to a pose's sprite once its picture is taken: invert, the
// flips and trim, each carrying the marks (the dark pixels the picture left
// clear) along with the pixels, and the conversion before them. The wizard's
// buttons and the command line's create both do them through these
// functions, so that the two give the same sprite and the same notes.
// Plain C++.

#include "Convert.h"
#include "Sprite.h"

namespace palvorn {

// A sprite and its marks; marked is empty, or the sprite's size.
struct MarkedSprite {
    Sprite sprite;
    Sprite marked;
    friend bool operator==(const MarkedSprite&, const MarkedSprite&) = default;
};

// Each step gives a new sprite and leaves its argument alone. An empty
// sprite (no pixels) comes back as it is, and empty marks stay empty.

// Set and clear swapped. The marks are dropped: inverted, the dark pixels
// left clear are set, and the clear ones were never dark.
MarkedSprite invertStep(const MarkedSprite& from);
MarkedSprite flipLeftRightStep(const MarkedSprite& from);
MarkedSprite flipTopBottomStep(const MarkedSprite& from);
// Cut to the smallest rectangle that holds every set pixel, the marks with
// it. A sprite with no set pixel comes back whole: there is nothing to trim
// to, and trimming would leave nothing to draw on.
MarkedSprite trimStep(const MarkedSprite& from);
// Whether trimStep changes the sprite: a pixel is set and an edge row or
// column is clear.
bool trimChanges(const Sprite& sprite);

// The steps create does to each picture, all optional.
struct PictureSteps {
    Conversion conversion;
    bool invert = false;
    bool flipLeftRight = false;
    bool flipTopBottom = false;
    bool trim = false;
};

// The steps in their fixed order, whatever order they were asked in:
// scale and convert (the conversion carries the scale), invert, flip left
// to right, flip top to bottom, trim. The picture is always converted under
// steps.conversion, so the sprite never depends on how it was taken.
// Throws std::invalid_argument for a threshold or scale outside its range.
MarkedSprite applyPictureSteps(const GreyPicture& picture, const PictureSteps& steps);

// The same steps on a sprite already taken: taken is the picture's sprite
// and marks as taken (its ExactBlack conversion at full size); picture is
// that picture as the conversions see it, used for any other conversion or
// scale. Throws std::invalid_argument when another conversion or scale is
// asked and picture is null, or for a threshold outside its range.
MarkedSprite applyPictureSteps(MarkedSprite taken, const GreyPicture* picture, const PictureSteps& steps);

}  // namespace palvorn
