#include "PictureSteps.h"

#include <stdexcept>

#include "SpriteOps.h"

namespace palvorn {

namespace {

// op on the sprite and on its marks, when there are any.
template <class Op>
MarkedSprite both(const MarkedSprite& from, Op op)
{
    if (from.sprite.isEmpty())
        return from;
    return {op(from.sprite), from.marked.isEmpty() ? Sprite{} : op(from.marked)};
}

}  // namespace

MarkedSprite invertStep(const MarkedSprite& from)
{
    if (from.sprite.isEmpty())
        return from;
    return {inverted(from.sprite), {}};
}

MarkedSprite flipLeftRightStep(const MarkedSprite& from)
{
    return both(from, flippedLeftRight);
}

MarkedSprite flipTopBottomStep(const MarkedSprite& from)
{
    return both(from, flippedTopBottom);
}

MarkedSprite trimStep(const MarkedSprite& from)
{
    const PixelRect bounds = setBounds(from.sprite);
    if (bounds.isEmpty())
        return from;
    return both(from, [&bounds](const Sprite& s) { return cropped(s, bounds); });
}

bool trimChanges(const Sprite& sprite)
{
    const PixelRect bounds = setBounds(sprite);
    return !bounds.isEmpty() && (bounds.width != sprite.width() || bounds.height != sprite.height());
}

namespace {

// The steps after the conversion, in their fixed order.
MarkedSprite stepsAfterConversion(MarkedSprite taken, const PictureSteps& steps)
{
    if (steps.invert)
        taken = invertStep(taken);
    if (steps.flipLeftRight)
        taken = flipLeftRightStep(taken);
    if (steps.flipTopBottom)
        taken = flipTopBottomStep(taken);
    if (steps.trim)
        taken = trimStep(taken);
    return taken;
}

}  // namespace

MarkedSprite applyPictureSteps(const GreyPicture& picture, const PictureSteps& steps)
{
    Converted converted = convert(picture, steps.conversion);
    return stepsAfterConversion({std::move(converted.sprite), std::move(converted.marked)}, steps);
}

MarkedSprite applyPictureSteps(MarkedSprite taken, const GreyPicture* picture, const PictureSteps& steps)
{
    if (steps.conversion.mode != ConvertMode::ExactBlack || steps.conversion.scale != kMaxScale) {
        if (!picture)
            throw std::invalid_argument("no picture to convert: only the exact black conversion takes this sprite");
        return applyPictureSteps(*picture, steps);
    }
    return stepsAfterConversion(std::move(taken), steps);
}

}  // namespace palvorn
