#pragma once
// The rules an enemy must keep, derived values and limits, as plain functions
// shared by the windows, Open, the command line and the build wrapper.

#include <optional>
#include <string>
#include <string_view>

#include "Sprite.h"

namespace palvorn {

// The calculator screen the battle takes place on.
inline constexpr int kScreenWidth = 96;
inline constexpr int kScreenHeight = 64;
// RobotTo lies this many pixels left of RobotX.
inline constexpr int kRobotToOffset = 16;
// Packed bytes one sprite may hold.
inline constexpr int kSizeLimit = 200;
// A count of bytes as a person reads it: "1 byte", "200 bytes".
std::string byteCount(int bytes);
// Every number of the value line is assembled into one byte.
inline constexpr int kByteMin = -128;
inline constexpr int kByteMax = 255;
// The longest name the name field takes.
inline constexpr int kNameLength = 8;

// Where the normal sprite stands: its top left (robotX, robotY) puts its
// bottom right corner on the screen's; robotTo is robotX - kRobotToOffset.
struct Placement {
    int robotY = 0;
    int robotX = 0;
    int robotTo = 0;
    friend bool operator==(const Placement&, const Placement&) = default;
};
Placement placementOf(const Sprite& normal);
// Where a shown pose stands on the screen: at the normal sprite's places, or,
// while the normal sprite is empty, as if the shown one were the normal one.
Placement placementFor(const Sprite& shown, const Sprite& normal);
// Whether all three values fit a byte: the normal sprite at most 208 pixels
// wide and 192 high.
bool placementFits(const Placement& placement);
inline constexpr int kMaxNormalWidth = kScreenWidth - kRobotToOffset - kByteMin;  // 208
inline constexpr int kMaxNormalHeight = kScreenHeight - kByteMin;                 // 192

// A number field's value: empty is 0, decimal digits their value (at most
// 32767); any other text is 0, as the fields only take digits.
int fieldValue(std::string_view text);

// The hit-point increment: (max - min) / 9 rounded to the nearest whole
// number when both are at least 1, otherwise 0.
int hpIncrement(int maxHP, int minHP);

// The name of the calculator program the build makes from an enemy name:
// letters upper-cased, letters and digits kept, everything else dropped, the
// first 8 that remain. Empty when nothing remains or it starts with a digit,
// since the calculator cannot name a program so.
std::optional<std::string> calculatorName(std::string_view name);

// Whether c may stand in an enemy name: printable ASCII without "/", "\"
// (path separators) or the double quote that would end the name's field in
// the file. windowsFileNames also refuses ": * ? < > | %", which Windows
// file names or cmd.exe do not take.
bool nameCharAllowed(char c, bool windowsFileNames);
// Every character allowed and no space at either end, which the file's
// padding and the build script's argument would lose or keep unseen; the
// empty name too (Create refuses it by itself).
bool nameAllowed(std::string_view name, bool windowsFileNames);

// The list entry 0..5 that text names: an entry's text, ignoring case and
// spaces around it; -1 for any other text.
int itemFromText(std::string_view text);

}  // namespace palvorn
