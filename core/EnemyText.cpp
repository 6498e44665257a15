#include "EnemyText.h"

#include "Create.h"
#include "Rules.h"
#include "ValueLine.h"

namespace palvorn {

std::string describeEnemy(const Enemy& enemy)
{
    const EnemyValues v = fileValues(enemy);
    std::string out = "Name: " + v.name + "\n";
    for (const ValueField& row : kValueFields) {
        const int number = fileNumber(v, row);
        out += std::string(row.name) + ": " + std::to_string(number);
        if (row.field == Field::Item) {
            if (number == 0)
                out += " (none)";
            else if (number >= 1 && number <= static_cast<int>(kItems.size()))
                out += " (" + std::string(kItems[static_cast<std::size_t>(number - 1)]) + ")";
            else
                out += " (no such item)";
        }
        out += '\n';
        // Not in the file; what Open fills in from Min HP and the increment.
        if (row.field == Field::MinHP)
            out += "Max HP: " + std::to_string(fieldValue(enemy.settings.maxHP)) + "\n";
    }
    for (int pose = 0; pose < kPoses; ++pose) {
        const Sprite& s = v.sprites[static_cast<std::size_t>(pose)];
        const int base = kSettingFields + 2 * pose;
        out += valueName(base) + ": " + std::to_string(s.height()) + '\n';
        out += valueName(base + 1) + ": " + std::to_string(s.bytesPerRow()) + '\n';
    }

    for (int pose = 0; pose < kPoses; ++pose) {
        const Sprite& s = v.sprites[static_cast<std::size_t>(pose)];
        out += '\n';
        out += std::string(poseWord(pose)) + " sprite (" + std::to_string(s.width()) + " x " +
               std::to_string(s.height()) + ", " + byteCount(s.packedSize()) + "):\n";
        for (int y = 0; y < s.height(); ++y) {
            for (int x = 0; x < s.width(); ++x)
                out += s.pixel(x, y) ? 'X' : '.';
            out += '\n';
        }
    }
    return out;
}

}  // namespace palvorn
