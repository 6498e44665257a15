#include "Sprite.h"

#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "FileLines.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace palvorn {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kLargeRows = kHugePage / 2;  // from here on, huge pages are worth asking for

}  // namespace

void* allocateRows(std::size_t bytes)
{
    if (bytes < kLargeRows)
        return ::operator new(bytes);
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = ::operator new(rounded, std::align_val_t(kHugePage));
#ifdef __linux__
    ::madvise(p, rounded, MADV_HUGEPAGE);  // a hint: refused, the pages are ordinary ones
#endif
    return p;
}

void freeRows(void* p, std::size_t bytes) noexcept
{
    if (bytes < kLargeRows)
        ::operator delete(p);
    else
        ::operator delete(p, std::align_val_t(kHugePage));
}

namespace {

void checkSides(int width, int height)
{
    if (width < 0 || width > Sprite::kMaxSide || height < 0 || height > Sprite::kMaxSide)
        throw std::invalid_argument("sprite size " + std::to_string(width) + " x " + std::to_string(height) +
                                    " is outside 0.." + std::to_string(Sprite::kMaxSide));
}

}  // namespace

Sprite::Sprite(int width, int height)
{
    checkSides(width, height);
    width_ = width;
    height_ = height;
    bytes_.assign(static_cast<std::size_t>(bytesPerRow()) * static_cast<std::size_t>(height), 0);
}

Sprite::Sprite(int width, int height, PackedRows rows)
{
    checkSides(width, height);
    const auto size = static_cast<std::size_t>(palvorn::packedSize(width, height));
    if (rows.size() != size)
        throw std::invalid_argument("packed rows of " + std::to_string(rows.size()) + " bytes for a sprite " +
                                    std::to_string(width) + " x " + std::to_string(height) + " of " +
                                    std::to_string(size));
    width_ = width;
    height_ = height;
    bytes_ = std::move(rows);
    const auto perRow = static_cast<std::size_t>(bytesPerRow());
    const std::uint8_t keep = pixelsBefore(width);
    if (keep != 0xFF)
        for (std::size_t last = perRow - 1; last < bytes_.size(); last += perRow)
            bytes_[last] &= keep;
}

bool Sprite::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return false;
    return rowPixel(row(y), x);
}

void Sprite::setPixel(int x, int y, bool set)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is outside the sprite");
    std::uint8_t& byte = bytes_[static_cast<std::size_t>(y) * bytesPerRow() + byteOf(x)];
    byte = static_cast<std::uint8_t>(set ? (byte | pixelBit(x)) : (byte & ~pixelBit(x)));
}

const std::uint8_t* Sprite::row(int y) const
{
    return bytes_.data() + static_cast<std::size_t>(y) * bytesPerRow();
}

std::size_t WriteImageSize(const Sprite& sprite)
{
    const auto perRow = static_cast<std::size_t>(sprite.bytesPerRow());
    const std::size_t rowLine = kDb.size() + (perRow == 0 ? 0 : 4 * perRow - 1) + kEol.size();  // $HH,...
    return kDb.size() + std::to_string(sprite.packedSize()).size() + kEol.size() +
           rowLine * static_cast<std::size_t>(sprite.height());
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
    put(kDb);
    put(std::to_string(sprite.packedSize()));
    put(kEol);
    const int perRow = sprite.bytesPerRow();
    for (int y = 0; y < sprite.height(); ++y) {
        put(kDb);
        const std::uint8_t* bytes = sprite.row(y);
        for (int i = 0; i < perRow; ++i) {
            if (i > 0)
                *p++ = ',';
            *p++ = '$';
            *p++ = kHex[bytes[i] >> 4];
            *p++ = kHex[bytes[i] & 0xF];
        }
        put(kEol);
    }
}

}  // namespace palvorn
