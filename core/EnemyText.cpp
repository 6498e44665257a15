#include "EnemyText.h"

#include <array>
#include <stdexcept>

#include "Create.h"
#include "Rules.h"

namespace palvorn {

namespace {

constexpr std::array<std::string_view, 14> kSettingNames = {
    "Min HP",         "HP increment", "High defense", "Low defense", "High attack", "Low attack", "Special attack",
    "Block chance",   "Attacks",      "Item",         "Money",       "RobotY",      "RobotX",     "RobotTo"};

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
    if (field < 0 || field >= kValueLineFields)
        throw std::out_of_range("value field " + std::to_string(field) + " is outside 0.." +
                                std::to_string(kValueLineFields - 1));
    if (field < static_cast<int>(kSettingNames.size()))
        return std::string(kSettingNames[static_cast<std::size_t>(field)]);
    const int spriteField = field - static_cast<int>(kSettingNames.size());
    return capitalised(poseWord(spriteField / 2)) + (spriteField % 2 == 0 ? " sprite height" : " sprite bytes per row");
}

std::string describeEnemy(const Enemy& enemy)
{
    const EnemyValues v = fileValues(enemy);
    const int itemNumber = v.itemPosition + 1;
    const int numbers[] = {v.minHP,        v.increment, v.highDefense, v.lowDefense, v.highAttack,
                           v.lowAttack,    v.specialAttack, v.blockChance, v.attacks, itemNumber,
                           v.money,        v.robotY,    v.robotX,      v.robotTo};

    std::string out = "Name: " + v.name + "\n";
    for (int i = 0; i < static_cast<int>(std::size(numbers)); ++i) {
        out += valueName(i) + ": " + std::to_string(numbers[i]);
        if (i == 9) {
            if (itemNumber == 0)
                out += " (none)";
            else if (itemNumber >= 1 && itemNumber <= static_cast<int>(kItems.size()))
                out += " (" + std::string(kItems[static_cast<std::size_t>(itemNumber - 1)]) + ")";
            else
                out += " (no such item)";
        }
        out += '\n';
        // Not in the file; what Open fills in from Min HP and the increment.
        if (i == 0)
            out += "Max HP: " + std::to_string(fieldValue(enemy.settings.maxHP)) + "\n";
    }
    for (int pose = 0; pose < kPoses; ++pose) {
        const Sprite& s = v.sprites[static_cast<std::size_t>(pose)];
        const int base = static_cast<int>(std::size(numbers)) + 2 * pose;
        out += valueName(base) + ": " + std::to_string(s.height()) + '\n';
        out += valueName(base + 1) + ": " + std::to_string(s.bytesPerRow()) + '\n';
    }

    for (int pose = 0; pose < kPoses; ++pose) {
        const Sprite& s = v.sprites[static_cast<std::size_t>(pose)];
        out += '\n';
        out += std::string(poseWord(pose)) + " sprite (" + std::to_string(s.width()) + " x " +
               std::to_string(s.height()) + ", " + std::to_string(s.packedSize()) + " bytes):\n";
        const int columns = 8 * s.bytesPerRow();
        for (int y = 0; y < s.height(); ++y) {
            for (int x = 0; x < columns; ++x)
                out += s.pixel(x, y) ? 'X' : '.';
            out += '\n';
        }
    }
    return out;
}

}  // namespace palvorn
