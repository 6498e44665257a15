#pragma once
// What the wizard and the command line do to a sprite: size, trim, flips,
// invert, shift and pen strokes. Each gives a new sprite and leaves its
// argument alone, except the pen, which draws into a sprite. Plain C++.

#include "Sprite.h"

namespace palvorn {

// A rectangle of pixels, (left, top) its top left.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool isEmpty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The sprite at width × height: its pixels kept from the top left, clear
// pixels added at the right or bottom, or those past the new size dropped.
// Throws std::invalid_argument for a side outside 0..Sprite::kMaxSide.
Sprite resized(const Sprite& sprite, int width, int height);

// The part `rect` of the sprite; throws std::out_of_range unless it lies
// inside the sprite.
Sprite cropped(const Sprite& sprite, const PixelRect& rect);

// The smallest rectangle that holds every set pixel; empty when none is set.
PixelRect setBounds(const Sprite& sprite);

Sprite flippedLeftRight(const Sprite& sprite);
Sprite flippedTopBottom(const Sprite& sprite);
// Set pixels clear and clear ones set; the padding stays clear.
Sprite inverted(const Sprite& sprite);
// Every pixel moved by (dx, dy), what leaves one edge coming in at the other.
Sprite shifted(const Sprite& sprite, int dx, int dy);

// Sets (or clears) the pixels of the line from (x0, y0) to (x1, y1), both
// ends included, eight-connected; the parts off the sprite are skipped.
void drawLine(Sprite& sprite, int x0, int y0, int x1, int y1, bool set);

}  // namespace palvorn
