#include "Sprite.h"

#include <stdexcept>

namespace palvorn {

Sprite::Sprite(int width, int height)
{
    if (width < 0 || width > kMaxSide || height < 0 || height > kMaxSide)
        throw std::invalid_argument("sprite size " + std::to_string(width) + " x " + std::to_string(height) +
                                    " is outside 0.." + std::to_string(kMaxSide));
    width_ = width;
    height_ = height;
    bytes_.assign(static_cast<std::size_t>(bytesPerRow()) * static_cast<std::size_t>(height), 0);
}

bool Sprite::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return false;
    return (row(y)[x / 8] >> (7 - x % 8)) & 1;
}

void Sprite::setPixel(int x, int y, bool set)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is outside the sprite");
    std::uint8_t& byte = bytes_[static_cast<std::size_t>(y) * bytesPerRow() + x / 8];
    const auto bit = static_cast<std::uint8_t>(0x80u >> (x % 8));
    byte = set ? (byte | bit) : (byte & ~bit);
}

const std::uint8_t* Sprite::row(int y) const
{
    return bytes_.data() + static_cast<std::size_t>(y) * bytesPerRow();
}

std::uint8_t GetByte(const Sprite& sprite, int x, int y)
{
    // Pixels are stored packed, so an aligned byte is read as is; other
    // positions are assembled pixel by pixel.
    if (x >= 0 && x % 8 == 0 && y >= 0 && y < sprite.height() && x < sprite.width())
        return sprite.row(y)[x / 8];
    std::uint8_t value = 0;
    for (int k = 0; k < 8; ++k)
        if (sprite.pixel(x + k, y))
            value |= static_cast<std::uint8_t>(0x80u >> k);
    return value;
}

void WriteImage(std::string& out, const Sprite& sprite)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const int perRow = sprite.bytesPerRow();
    out.reserve(out.size() + 16 + static_cast<std::size_t>(sprite.height()) * (7 + 4 * perRow));
    out += " .db ";
    out += std::to_string(sprite.packedSize());
    out += "\r\n";
    for (int y = 0; y < sprite.height(); ++y) {
        out += " .db ";
        const std::uint8_t* bytes = sprite.row(y);
        for (int i = 0; i < perRow; ++i) {
            if (i > 0)
                out += ',';
            out += '$';
            out += kHex[bytes[i] >> 4];
            out += kHex[bytes[i] & 0xF];
        }
        out += "\r\n";
    }
}

}  // namespace palvorn
