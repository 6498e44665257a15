#include "Enemy.h"

#include <stdexcept>

namespace palvorn {

std::string_view poseWord(int index)
{
    static constexpr std::array<std::string_view, kPoses> kWords = {"normal", "high attack", "low attack",
                                                                    "special attack", "hurt"};
    if (index < 0 || index >= kPoses)
        throw std::out_of_range("pose index " + std::to_string(index) + " is outside 0..4");
    return kWords[static_cast<std::size_t>(index)];
}

}  // namespace palvorn
