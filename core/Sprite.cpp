#include "Sprite.h"

#include <cstring>
#include <stdexcept>
#include <string_view>

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

std::size_t WriteImageSize(const Sprite& sprite)
{
    const auto perRow = static_cast<std::size_t>(sprite.bytesPerRow());
    const std::size_t rowLine = 5 + (perRow == 0 ? 0 : 4 * perRow - 1) + 2;  // " .db " $HH,... CR LF
    return 5 + std::to_string(sprite.packedSize()).size() + 2 + rowLine * static_cast<std::size_t>(sprite.height());
}

void WriteImage(std::string& out, const Sprite& sprite)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::size_t start = out.size();
    out.resize(start + WriteImageSize(sprite));
    // Filled through a pointer into the sized buffer: one growth per sprite,
    // none per byte, whatever the sprite's size.
    char* p = out.data() + start;
    const auto put = [&p](std::string_view text) {
        std::memcpy(p, text.data(), text.size());
        p += text.size();
    };
    put(" .db ");
    put(std::to_string(sprite.packedSize()));
    put("\r\n");
    const int perRow = sprite.bytesPerRow();
    for (int y = 0; y < sprite.height(); ++y) {
        put(" .db ");
        const std::uint8_t* bytes = sprite.row(y);
        for (int i = 0; i < perRow; ++i) {
            if (i > 0)
                *p++ = ',';
            *p++ = '$';
            *p++ = kHex[bytes[i] >> 4];
            *p++ = kHex[bytes[i] & 0xF];
        }
        put("\r\n");
    }
}

}  // namespace palvorn
