#include "Enemy.h"

#include <stdexcept>
#include <vector>

namespace palvorn {

std::string_view poseWord(int index)
{
    static constexpr std::array<std::string_view, kPoses> kWords = {"normal", "high attack", "low attack",
                                                                    "special attack", "hurt"};
    if (index < 0 || index >= kPoses)
        throw std::out_of_range("pose index " + std::to_string(index) + " is outside 0..4");
    return kWords[static_cast<std::size_t>(index)];
}

std::string missingSpritesText(const std::array<Sprite, kPoses>& sprites)
{
    std::vector<std::string_view> missing;
    for (int i = 0; i < kPoses; ++i)
        if (sprites[static_cast<std::size_t>(i)].isEmpty())
            missing.push_back(poseWord(i));
    if (missing.empty())
        return {};
    std::string names(missing.front());
    for (std::size_t i = 1; i < missing.size(); ++i)
        (names += i + 1 == missing.size() ? " and " : ", ") += missing[i];
    return "The " + names + (missing.size() == 1 ? " sprite is missing." : " sprites are missing.");
}

}  // namespace palvorn
