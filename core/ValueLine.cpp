#include "ValueLine.h"

#include <stdexcept>

namespace palvorn {

namespace {

void checkField(int field)
{
    if (field < 0 || field >= kValueLineFields)
        throw std::out_of_range("value field " + std::to_string(field) + " is outside 0.." +
                                std::to_string(kValueLineFields - 1));
}

std::string capitalised(std::string_view word)
{
    std::string out(word);
    if (!out.empty() && out[0] >= 'a' && out[0] <= 'z')
        out[0] = static_cast<char>(out[0] - 'a' + 'A');
    return out;
}

}  // namespace

std::string valueName(int field)
{
    checkField(field);
    if (field < kSettingFields)
        return std::string(kValueFields[static_cast<std::size_t>(field)].name);
    const int spriteField = field - kSettingFields;
    return capitalised(poseWord(spriteField / 2)) + (spriteField % 2 == 0 ? " sprite height" : " sprite bytes per row");
}

SliderRange valueRange(int field)
{
    checkField(field);
    if (field < kSettingFields)
        return kValueFields[static_cast<std::size_t>(field)].range;
    return {1, kSizeLimit};  // a sprite of no rows or bytes is missing
}

}  // namespace palvorn
