#pragma once
// The enemy being made: one value that the windows show and edit, that Open
// and the command line fill, and that Create turns into NAME.asm. Plain C++.

#include <array>
#include <string>
#include <string_view>

#include "Sprite.h"

namespace palvorn {

// Sprite indices 0..4 stand for the poses in file order.
inline constexpr int kPoses = 5;
enum class Pose { Normal = 0, HighAttack, LowAttack, SpecialAttack, Hurt };

// "normal", "high attack", "low attack", "special attack", "hurt"; index 0..4.
// Throws std::out_of_range outside 0..4.
std::string_view poseWord(int index);

// The item list in file order; the file holds the position plus 1, 0 for none.
inline constexpr std::array<std::string_view, 6> kItems = {"Potion",    "Heal Leaf", "Full Heal",
                                                           "STR Apple", "DEF Apple", "BLK Apple"};
// The item box's text before anything is chosen; Create refuses it as it stands.
inline constexpr std::string_view kNoItemChosen = "Select Item";

// A fighting value and the range its slider holds.
struct SliderRange {
    int minimum;
    int maximum;
};
inline constexpr SliderRange kSliderRange{1, 9};
inline constexpr SliderRange kBlockChanceRange{2, 9};
inline constexpr int kSliderStart = 5;

// The fighting values, as the sliders set them and the file holds them. What
// each is called, where the file holds it and its range: kValueFields of
// ValueLine.h.
struct FightingValues {
    int highDefense = kSliderStart;
    int lowDefense = kSliderStart;
    int highAttack = kSliderStart;
    int lowAttack = kSliderStart;
    int specialAttack = kSliderStart;
    int blockChance = kSliderStart;
    int attacks = kSliderStart;

    friend bool operator==(const FightingValues&, const FightingValues&) = default;
};

// Everything the settings window holds. The texts are those the fields show;
// the field rules keep them to digits (name: see nameCharAllowed), and an
// empty number field counts as 0.
struct EnemySettings : FightingValues {
    std::string name = "Robot";
    std::string itemText = std::string(kNoItemChosen);  // what the item box shows
    int item = -1;        // chosen entry 0..5; -1 when the text names none (typed text)
    std::string minHP;    // up to 3 digits
    std::string maxHP;    // up to 3 digits; only feeds the increment and the HP check
    std::string money;    // up to 2 digits

    friend bool operator==(const EnemySettings&, const EnemySettings&) = default;
};

struct Enemy {
    std::array<Sprite, kPoses> sprites;  // by Pose; an empty sprite: none taken in yet
    EnemySettings settings;

    friend bool operator==(const Enemy&, const Enemy&) = default;
};

// Names every empty sprite in pose order, as Finish tells it: "The hurt sprite
// is missing.", "The high attack and hurt sprites are missing.", "The high
// attack, low attack and hurt sprites are missing."; empty when none is.
std::string missingSpritesText(const std::array<Sprite, kPoses>& sprites);

}  // namespace palvorn
