#pragma once
// Scaling a picture down before it is converted, and the scale that fits a
// sprite into the size limit. Plain C++, safe on any thread.

#include <optional>

#include "Convert.h"

namespace palvorn {

// The size of a width × height picture at `scale` percent (kMinScale..
// kMaxScale): each side rounded to the nearest pixel, at least 1; an empty
// picture stays empty. Throws std::invalid_argument for a scale out of range.
struct PictureSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};
PictureSize scaledSize(int width, int height, int scale);

// The picture shrunk to width × height (each at most the picture's, at
// least 1) by area averaging: each new pixel is the mean of the area of the
// picture it covers, partial pixels counted by the share covered. The codes
// that are not a luminance follow one rule:
//  - at least half the area opaque (levels and kBlack): the mean luminance
//    of the opaque part (kBlack as 0), or kBlack when every opaque part of
//    the area is kBlack, so pure black stays pure black for Exact black;
//  - otherwise, at least half the area not transparent: kFaintDark when at
//    least half of that part looks dark (kFaintDark, kBlack or a level under
//    kDarkBelow), else kFaint;
//  - otherwise kTransparent.
// The same picture and size always give the same levels. Throws
// std::invalid_argument for a size outside 1..the picture's own.
GreyPicture areaScaled(const GreyPicture& picture, int width, int height);

// The picture at `scale` percent (scaledSize): the picture itself at 100.
GreyPicture scaledPicture(const GreyPicture& picture, int scale);

// The largest scale (kMinScale..kMaxScale) at which a width × height
// picture's sprite packs into kSizeLimit bytes, the picture's proportions
// kept. The packed size depends on the sprite's size alone, so this holds
// under every conversion. None when even kMinScale is over the limit or the
// picture is empty.
std::optional<int> fitScale(int width, int height);

}  // namespace palvorn
