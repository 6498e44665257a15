#pragma once
// Reading an enemy source file NAME.asm back into the enemy model, for Open
// and the command line. Strict: it takes exactly the files this tool writes,
// so that everything read can be written back identically. Plain C++.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "Enemy.h"

namespace palvorn {

// The item box text of an enemy read from a file that names no item. Not an
// entry of the list and not "Select Item", so Create takes it and writes 0.
inline constexpr std::string_view kNoItemText = "(none)";

// The largest file readEnemyFile reads. The largest file the tool writes is
// about 10 KiB; the rest is room for a long notice on line 2.
inline constexpr std::size_t kMaxEnemyFileSize = 1024 * 1024;

// The text is not an enemy file as the tool writes it. line() is the 1-based
// line at fault; what() is "Line N: " and what was expected there.
class ReadError : public std::runtime_error {
public:
    ReadError(int line, const std::string& message);
    int line() const { return line_; }

private:
    int line_;
};

// The file's bytes could not be had: it cannot be opened or read, or it is
// larger than kMaxEnemyFileSize. reason() says which.
class EnemyFileError : public std::runtime_error {
public:
    EnemyFileError(std::filesystem::path path, std::string reason);
    const std::filesystem::path& path() const { return path_; }
    const std::string& reason() const { return reason_; }

private:
    std::filesystem::path path_;
    std::string reason_;
};

// The enemy the text of an enemy source file describes.
//
// Accepted: exactly what EnemySourceText writes for an enemy that passes
// checkEnemy (on any system), except that lines may end in LF instead of CR
// LF, the last line end may be missing, and line 2 may be any text that
// starts with ";", and spaces and tabs may follow "END", and blank lines
// after it. Everything else is refused with ReadError naming the
// first line at fault: other text on a fixed line, a number not written as
// the writer writes it (no sign "+", no leading zeros), a value outside what
// the settings window can give, a placement that disagrees with the normal
// sprite, a sprite size line that is not bytes per row x height, a row with
// other than bytes-per-row bytes "$HH" (upper-case hex), set pixels right of
// the normal sprite's width, a sprite missing or a row too many, anything
// but blank lines after "END".
//
// The enemy read:
//  - name: the name field without its padding spaces;
//  - Min HP, money: the file's numbers in decimal;
//  - Max HP: the value nearest Min HP + 9 x increment that gives the same
//    increment and lies above Min HP and within 3 digits (for increment 0:
//    Min HP + 1). A file whose increment no Max HP gives is refused (Min HP
//    0 with an increment, or an increment reaching past 999);
//  - item: number 0 gives item -1 with the text kNoItemText, 1..6 the list
//    entry 0..5 with its text; the seven fighting values as they stand;
//  - the normal sprite 96 - RobotX wide and 64 - RobotY high; every other
//    sprite bytes per row x 8 wide.
// So checkEnemy(enemy, false) passes, and EnemySourceText(fileValues(enemy))
// is the text with CR LF line ends and the tool's own line 2.
// Memory use is bounded by the sprites' 200-byte limit, whatever the text.
Enemy readEnemySource(std::string_view text);

// The Max HP an enemy file with this Min HP and increment reopens with: the
// value nearest Min HP + 9 x increment that hpIncrement turns back into the
// increment and that Create takes (above Min HP, at most 999); none when
// there is no such value.
std::optional<int> maxHPFor(int minHP, int increment);

// readEnemySource on the file's bytes. Reads at most kMaxEnemyFileSize bytes
// (plus one to notice a longer file); throws EnemyFileError when the file
// cannot be opened or read or is longer, ReadError as readEnemySource.
Enemy readEnemyFile(const std::filesystem::path& path);

}  // namespace palvorn
