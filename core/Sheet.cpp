#include "Sheet.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace palvorn {

namespace {

// The rule over any picture, given whether pixel (x, y) is clear.
template <class Clear>
std::optional<SheetParts> partsOf(int width, int height, Clear clear)
{
    std::vector<bool> clearColumn(static_cast<std::size_t>(width), true);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (clearColumn[static_cast<std::size_t>(x)] && !clear(x, y))
                clearColumn[static_cast<std::size_t>(x)] = false;

    SheetParts parts{};
    int found = 0;
    for (int x = 0; x < width;) {
        if (clearColumn[static_cast<std::size_t>(x)]) {
            ++x;
            continue;
        }
        const int left = x;
        while (x < width && !clearColumn[static_cast<std::size_t>(x)])
            ++x;
        if (found == kPoses)
            return std::nullopt;  // a sixth
        parts[static_cast<std::size_t>(found++)] = PixelRect{left, 0, x - left, height};
    }
    if (found != kPoses)
        return std::nullopt;

    for (PixelRect& part : parts) {
        const auto rowClear = [&](int y) {
            for (int x = part.left; x < part.left + part.width; ++x)
                if (!clear(x, y))
                    return false;
            return true;
        };
        int top = 0;
        while (rowClear(top))
            ++top;  // the run holds a pixel that is not clear, so this stops
        int bottom = height - 1;
        while (rowClear(bottom))
            --bottom;
        part.top = top;
        part.height = bottom - top + 1;
    }
    return parts;
}

}  // namespace

std::optional<SheetParts> sheetParts(const GreyPicture& picture)
{
    return partsOf(picture.width(), picture.height(), [&](int x, int y) {
        const std::uint16_t level = picture.row(y)[x];
        return level == GreyPicture::kWhite || level == GreyPicture::kTransparent;
    });
}

std::optional<SheetParts> sheetParts(const Sprite& sprite, const Sprite& marked)
{
    if (!marked.isEmpty() && (marked.width() != sprite.width() || marked.height() != sprite.height()))
        throw std::invalid_argument("the marks are not the sprite's size");
    return partsOf(sprite.width(), sprite.height(),
                   [&](int x, int y) { return !sprite.pixel(x, y) && !marked.pixel(x, y); });
}

Sprite sheetOf(const std::array<Sprite, kPoses>& poses)
{
    int width = kSheetGap * (kPoses - 1);
    int height = 0;
    for (int i = 0; i < kPoses; ++i) {
        const Sprite& pose = poses[static_cast<std::size_t>(i)];
        if (pose.isEmpty())
            throw std::invalid_argument("The " + std::string(poseWord(i)) +
                                        " sprite is missing; a pose sheet holds all five.");
        width += pose.width();
        height = std::max(height, pose.height());
    }
    if (width > Sprite::kMaxSide)
        throw std::invalid_argument("The five sprites side by side are " + std::to_string(width) +
                                    " pixels wide, more than a picture's " + std::to_string(Sprite::kMaxSide) +
                                    ".");
    Sprite sheet(width, height);
    int left = 0;
    for (const Sprite& pose : poses) {
        for (int y = 0; y < pose.height(); ++y)
            for (int x = 0; x < pose.width(); ++x)
                if (pose.pixel(x, y))
                    sheet.setPixel(left + x, y, true);
        left += pose.width() + kSheetGap;
    }
    return sheet;
}

}  // namespace palvorn
