#pragma once
// An enemy as plain text for a person to read, for the command line's
// "show". Plain C++.

#include <string>

#include "Enemy.h"

namespace palvorn {

// The enemy as its file would hold it, one fact a line, each line ended by LF:
//   "Name: Slime"
//   one "MEANING: VALUE" line for each value of the value line, in file
//   order (the item also with its list text, e.g. "Item: 2 (Heal Leaf)"),
//   and after Min HP "Max HP: N", the settings' Max HP (as Open fills it in);
// then for each pose, after an empty line, a heading such as
//   "normal sprite (8 x 3, 3 bytes):"
// (width x height in pixels, packed bytes, "1 byte" for one) and one line per
// pixel row of width characters, "X" for a set pixel and "." for a clear
// one. Never throws for lack of checks:
// an enemy Create would refuse is described as it stands.
std::string describeEnemy(const Enemy& enemy);

}  // namespace palvorn
