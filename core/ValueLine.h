#pragma once
// The layout of NAME.asm: its fixed lines, and the value line field by field.
// The writer, the reader, Create's checks, "show", the command line and the
// settings window all take these facts from here. Plain C++.

#include <array>
#include <string>
#include <string_view>

#include "Enemy.h"
#include "EnemySource.h"
#include "Rules.h"

namespace palvorn {

// Every line of the file ends so; the reader takes a plain LF as well.
inline constexpr std::string_view kEol = "\r\n";
// The fixed lines, in file order; line 2 (kNotice) may be any comment when read.
inline constexpr std::string_view kHeader = ";Created with the Palvorn - External Enemy Maker";
inline constexpr std::string_view kNotice =
    ";Enemy data and sprites for the Palvorn battle engine; build with asm NAME";
inline constexpr std::string_view kMagic = " .db \"PalvTRbt\"";
// The name line is kNameStart, the name padded to kNameLength, kNameEnd.
inline constexpr std::string_view kNameStart = " .db \"";
inline constexpr std::string_view kNameEnd = "\",0";
// Starts the value line, the sprites' size lines and their rows.
inline constexpr std::string_view kDb = " .db ";
inline constexpr std::string_view kEndDirective = ".end";
inline constexpr std::string_view kEndLine = "END";

// Digits the Min HP and Max HP fields take.
inline constexpr int kHPDigits = 3;

// The largest number of the given digits: 9, 99, 999 ...
constexpr int largestOf(int digits)
{
    int largest = 0;
    for (int i = 0; i < digits; ++i)
        largest = largest * 10 + 9;
    return largest;
}

// The value line's fields before the sprites' sizes, in file order.
enum class Field {
    MinHP,
    Increment,
    HighDefense,
    LowDefense,
    HighAttack,
    LowAttack,
    SpecialAttack,
    BlockChance,
    Attacks,
    Item,
    Money,
    RobotY,
    RobotX,
    RobotTo,
};
inline constexpr int kSettingFields = static_cast<int>(Field::RobotTo) + 1;
// After them, each sprite's height and bytes per row, in pose order.
inline constexpr int kValueLineFields = kSettingFields + 2 * kPoses;

// One field of the value line.
struct ValueField {
    Field field;                // its place on the value line
    std::string_view name;      // as "show" and the reader's messages name it
    std::string_view caption;   // as the settings window and Create's refusals name it; empty: derived
    std::string_view title;     // the title of Create's refusals about it; empty: derived
    std::string_view option;    // the command line's option; empty: derived
    SliderRange range;          // the values the tool writes
    int digits;                 // digits it is typed with; 0: derived
    int EnemyValues::*value;    // where the file's values hold it
    int offset;                 // written as the value plus this (the item's position plus 1)
    int EnemySettings::*slider;            // a fighting value's slider; nullptr for others
    std::string EnemySettings::*text;      // a number field's text; nullptr for others
};

inline constexpr SliderRange kByteRange{kByteMin, kByteMax};

inline constexpr std::array<ValueField, kSettingFields> kValueFields = {{
    {Field::MinHP, "Min HP", "Min HP", "Figuring HP", "--min-hp", {0, kByteMax}, kHPDigits, &EnemyValues::minHP, 0,
     nullptr, &EnemySettings::minHP},
    {Field::Increment, "HP increment", "", "", "", kByteRange, 0, &EnemyValues::increment, 0, nullptr, nullptr},
    {Field::HighDefense, "High defense", "High Defense", "Fighting Values", "--high-defense", kSliderRange, 1,
     &EnemyValues::highDefense, 0, &EnemySettings::highDefense, nullptr},
    {Field::LowDefense, "Low defense", "Low Defense", "Fighting Values", "--low-defense", kSliderRange, 1,
     &EnemyValues::lowDefense, 0, &EnemySettings::lowDefense, nullptr},
    {Field::HighAttack, "High attack", "High Attack", "Fighting Values", "--high-attack", kSliderRange, 1,
     &EnemyValues::highAttack, 0, &EnemySettings::highAttack, nullptr},
    {Field::LowAttack, "Low attack", "Low Attack", "Fighting Values", "--low-attack", kSliderRange, 1,
     &EnemyValues::lowAttack, 0, &EnemySettings::lowAttack, nullptr},
    {Field::SpecialAttack, "Special attack", "Special Attack", "Fighting Values", "--special-attack", kSliderRange,
     1, &EnemyValues::specialAttack, 0, &EnemySettings::specialAttack, nullptr},
    {Field::BlockChance, "Block chance", "Block Chance", "Fighting Values", "--block-chance", kBlockChanceRange, 1,
     &EnemyValues::blockChance, 0, &EnemySettings::blockChance, nullptr},
    {Field::Attacks, "Attacks", "Attacks", "Fighting Values", "--attacks", kSliderRange, 1, &EnemyValues::attacks, 0,
     &EnemySettings::attacks, nullptr},
    {Field::Item, "Item", "Item", "Select Item", "--item", {0, static_cast<int>(kItems.size())}, 1,
     &EnemyValues::itemPosition, 1, nullptr, nullptr},
    {Field::Money, "Money", "Base Money", "Base Money", "--money", {0, largestOf(2)}, 2, &EnemyValues::money, 0,
     nullptr, &EnemySettings::money},
    {Field::RobotY, "RobotY", "", "", "", kByteRange, 0, &EnemyValues::robotY, 0, nullptr, nullptr},
    {Field::RobotX, "RobotX", "", "", "", kByteRange, 0, &EnemyValues::robotX, 0, nullptr, nullptr},
    {Field::RobotTo, "RobotTo", "", "", "", kByteRange, 0, &EnemyValues::robotTo, 0, nullptr, nullptr},
}};

// Every row stands at its own field's place, so a field indexes the table.
constexpr bool rowsInFieldOrder()
{
    for (int i = 0; i < kSettingFields; ++i)
        if (static_cast<int>(kValueFields[static_cast<std::size_t>(i)].field) != i)
            return false;
    return true;
}
static_assert(rowsInFieldOrder(), "kValueFields must list the fields in file order");

// The row of a field.
constexpr const ValueField& valueField(Field field)
{
    return kValueFields[static_cast<std::size_t>(field)];
}

// The number the file holds for a field: its value plus the row's offset.
constexpr int fileNumber(const EnemyValues& values, const ValueField& row)
{
    return values.*row.value + row.offset;
}

// What value field 0..kValueLineFields-1 means, e.g. "Min HP", "RobotTo",
// "High attack sprite bytes per row". Throws std::out_of_range outside.
std::string valueName(int field);

// The range the tool writes for value field 0..kValueLineFields-1; a sprite's
// height and bytes per row are 1..kSizeLimit. Throws std::out_of_range outside.
SliderRange valueRange(int field);

}  // namespace palvorn
