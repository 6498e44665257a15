#pragma once
// Monochrome sprite pictures and their packed byte form. Plain C++, no Qt.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace palvorn {

// The packed form of a picture row, coded here and nowhere else: pixel x is
// the bit pixelBit(x) of byte byteOf(x), the leftmost pixel in the highest bit;
// a row has bytesPerRow(width) bytes, the last padded with clear bits.
constexpr int bytesPerRow(int width) { return (width + 7) / 8; }
constexpr int packedSize(int width, int height) { return bytesPerRow(width) * height; }
constexpr int byteOf(int x) { return x >> 3; }
constexpr std::uint8_t pixelBit(int x) { return static_cast<std::uint8_t>(0x80u >> (x & 7)); }
constexpr bool rowPixel(const std::uint8_t* row, int x) { return (row[byteOf(x)] & pixelBit(x)) != 0; }
// The bits of pixel x and those right of it within its byte.
constexpr std::uint8_t pixelsFrom(int x) { return static_cast<std::uint8_t>(0xFFu >> (x & 7)); }
// The bits of the pixels left of x within the byte of pixel x - 1 (all
// eight when x is a multiple of 8): a row's last byte without its padding.
constexpr std::uint8_t pixelsBefore(int x)
{
    return static_cast<std::uint8_t>(0xFFu << ((8 - (x & 7)) & 7));
}
// The packed byte of the eight pixels flagged by bit `plane` of
// flags[0..7], flags[0] the leftmost. One multiplication moves each flag to
// its place, so a whole row packs without a branch.
inline std::uint8_t packedByte(const std::uint8_t* flags, unsigned plane)
{
    std::uint64_t v = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&v, flags, 8);
    } else {
        for (int k = 7; k >= 0; --k)
            v = v << 8 | flags[k];
    }
    // Byte k's flag goes to bit 63 - k: the top byte then holds the eight,
    // flags[0] highest.
    return static_cast<std::uint8_t>(((v >> plane & 0x0101010101010101ull) * 0x8040201008040201ull) >> 56);
}

// Memory for packed rows. A large picture's rows go where the system may
// back them with huge pages: taking a 4096 × 4096 picture then costs a few
// page faults instead of a thousand, which cost more than reading the file.
// Small sprites use the ordinary heap.
void* allocateRows(std::size_t bytes);
void freeRows(void* p, std::size_t bytes) noexcept;

// The allocator of packed rows, through allocateRows.
template <class T>
struct RowAllocator {
    using value_type = T;
    RowAllocator() = default;
    template <class U>
    constexpr RowAllocator(const RowAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(allocateRows(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { freeRows(p, n * sizeof(T)); }
    friend bool operator==(const RowAllocator&, const RowAllocator&) { return true; }
};

// Packed rows, top to bottom, as a sprite keeps them.
using PackedRows = std::vector<std::uint8_t, RowAllocator<std::uint8_t>>;

// A picture width × height pixels, (0, 0) top left, each pixel set (black)
// or clear. Width and height are 0 to 32767: coordinates are 16-bit signed
// in the file format's origin, and the constructor enforces that range.
class Sprite {
public:
    static constexpr int kMaxSide = 32767;

    Sprite() = default;  // the empty picture, 0 × 0
    Sprite(int width, int height);  // all clear; throws std::invalid_argument outside 0..kMaxSide
    // From rows already packed, top to bottom, bytesPerRow(width) bytes each;
    // padding bits are cleared. Throws std::invalid_argument for a side
    // outside 0..kMaxSide or rows not packedSize(width, height) bytes long.
    Sprite(int width, int height, PackedRows rows);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ == 0 || height_ == 0; }

    // Points outside the picture are clear.
    bool pixel(int x, int y) const;
    // Throws std::out_of_range outside the picture.
    void setPixel(int x, int y, bool set);

    // ceil(width / 8): the last byte of a row is padded with clear bits.
    int bytesPerRow() const { return palvorn::bytesPerRow(width_); }
    int packedSize() const { return palvorn::packedSize(width_, height_); }

    // Row y's packed bytes, leftmost pixel in the highest bit (0 <= y < height).
    const std::uint8_t* row(int y) const;

    friend bool operator==(const Sprite&, const Sprite&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    PackedRows bytes_;  // bytesPerRow() each
};

// Appends the sprite block: " .db SIZE", then one " .db $HH,$HH,..." line per
// row, top to bottom, each line ended by CR LF.
void WriteImage(std::string& out, const Sprite& sprite);
// The number of characters WriteImage appends for this sprite.
std::size_t WriteImageSize(const Sprite& sprite);

}  // namespace palvorn
