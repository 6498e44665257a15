#pragma once
// The value line of NAME.asm, field by field (its fixed lines are in
// FileLines.h). The writer, the reader, Create's checks, "show", the command
// line and the settings window all take these facts from here. Plain C++.

#include <array>
#include <string>
#include <string_view>

#include "Enemy.h"
#include "FileLines.h"
#include "EnemySource.h"
#include "Rules.h"

namespace palvorn {

// Digits the Min HP and Max HP fields take, and the money field.
inline constexpr int kHPDigits = 3;
inline constexpr int kMoneyDigits = 2;

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

inline constexpr SliderRange kByteRange{kByteMin, kByteMax};

// One field of the value line. A derived field (worked out from other
// values, not entered) keeps the defaults from caption on.
struct ValueField {
    Field field;                                 // its place on the value line
    std::string_view name;                       // as "show" and the reader's messages name it
    int EnemyValues::*value;                     // where the file's values hold it
    SliderRange range = kByteRange;              // the values the tool writes
    std::string_view caption{};                  // as the settings window and Create's refusals name it
    std::string_view title{};                    // the title of Create's refusals about it
    std::string_view option{};                   // the command line's option
    int digits = 0;                              // digits its number is typed with; 0: not typed as a number
    int offset = 0;                              // written as the value plus this
    int FightingValues::*slider = nullptr;       // a fighting value's member
    std::string EnemySettings::*text = nullptr;  // a number field's text
};

// A fighting value's row: set by a slider, one digit on the command line.
constexpr ValueField fightingValue(Field field, std::string_view name, std::string_view caption,
                                   std::string_view option, int FightingValues::*member,
                                   SliderRange range = kSliderRange)
{
    return {.field = field, .name = name, .value = member, .range = range, .caption = caption,
            .title = "Fighting Values", .option = option, .digits = 1, .slider = member};
}

inline constexpr std::array<ValueField, kSettingFields> kValueFields = {{
    {.field = Field::MinHP, .name = "Min HP", .value = &EnemyValues::minHP, .range = {0, kByteMax},
     .caption = "Min HP", .title = "Figuring HP", .option = "--min-hp", .digits = kHPDigits,
     .text = &EnemySettings::minHP},
    {.field = Field::Increment, .name = "HP increment", .value = &EnemyValues::increment},
    fightingValue(Field::HighDefense, "High defense", "High Defense", "--high-defense", &FightingValues::highDefense),
    fightingValue(Field::LowDefense, "Low defense", "Low Defense", "--low-defense", &FightingValues::lowDefense),
    fightingValue(Field::HighAttack, "High attack", "High Attack", "--high-attack", &FightingValues::highAttack),
    fightingValue(Field::LowAttack, "Low attack", "Low Attack", "--low-attack", &FightingValues::lowAttack),
    fightingValue(Field::SpecialAttack, "Special attack", "Special Attack", "--special-attack",
                  &FightingValues::specialAttack),
    fightingValue(Field::BlockChance, "Block chance", "Block Chance", "--block-chance", &FightingValues::blockChance,
                  kBlockChanceRange),
    fightingValue(Field::Attacks, "Attacks", "Attacks", "--attacks", &FightingValues::attacks),
    // The file holds the list position plus 1, and 0 for no item.
    {.field = Field::Item, .name = "Item", .value = &EnemyValues::itemPosition,
     .range = {0, static_cast<int>(kItems.size())}, .caption = "Item", .title = "Select Item", .option = "--item",
     .offset = 1},
    {.field = Field::Money, .name = "Money", .value = &EnemyValues::money, .range = {0, largestOf(kMoneyDigits)},
     .caption = "Base Money", .title = "Base Money", .option = "--money", .digits = kMoneyDigits,
     .text = &EnemySettings::money},
    {.field = Field::RobotY, .name = "RobotY", .value = &EnemyValues::robotY},
    {.field = Field::RobotX, .name = "RobotX", .value = &EnemyValues::robotX},
    {.field = Field::RobotTo, .name = "RobotTo", .value = &EnemyValues::robotTo},
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
