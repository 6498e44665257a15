#pragma once
// Monochrome sprite pictures and their packed byte form. Plain C++, no Qt.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace palvorn {

// A picture width × height pixels, (0, 0) top left, each pixel set (black)
// or clear. Width and height are 0 to 32767: coordinates are 16-bit signed
// in the file format's origin, and the constructor enforces that range.
class Sprite {
public:
    static constexpr int kMaxSide = 32767;

    Sprite() = default;  // the empty picture, 0 × 0
    Sprite(int width, int height);  // all clear; throws std::invalid_argument outside 0..kMaxSide

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ == 0 || height_ == 0; }

    // Points outside the picture are clear.
    bool pixel(int x, int y) const;
    // Throws std::out_of_range outside the picture.
    void setPixel(int x, int y, bool set);

    // ceil(width / 8): the last byte of a row is padded with clear bits.
    int bytesPerRow() const { return (width_ + 7) / 8; }
    int packedSize() const { return bytesPerRow() * height_; }

    // Row y's packed bytes, leftmost pixel in the highest bit (0 <= y < height).
    const std::uint8_t* row(int y) const;

    friend bool operator==(const Sprite&, const Sprite&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> bytes_;  // packed rows, bytesPerRow() each
};

// Bytes per row and packed size for a picture of that size, as the wizard
// measures it before any pixel is read.
constexpr int bytesPerRow(int width) { return (width + 7) / 8; }
constexpr int packedSize(int width, int height) { return bytesPerRow(width) * height; }

// The eight pixels (x .. x+7, y) as one byte; pixel x+k carries 2^(7-k).
// Pixels past the right edge are clear.
std::uint8_t GetByte(const Sprite& sprite, int x, int y);

// Appends the sprite block: " .db SIZE", then one " .db $HH,$HH,..." line per
// row, top to bottom, each line ended by CR LF.
void WriteImage(std::string& out, const Sprite& sprite);
// The number of characters WriteImage appends for this sprite.
std::size_t WriteImageSize(const Sprite& sprite);

}  // namespace palvorn
