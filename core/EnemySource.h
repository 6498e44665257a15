#pragma once
// The enemy source file NAME.asm: its text, and writing it safely. Plain C++.

#include <array>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "Enemy.h"
#include "Sprite.h"

namespace palvorn {

// Everything the file is made of, as the value line holds it: the name, the
// fighting values, then the numbers below. Every number must fit the byte the
// assembler stores it in (kByteMin..kByteMax of Rules.h); the writer refuses
// one that does not.
struct EnemyValues : FightingValues {
    std::string name;  // at most 8 characters expected; never shortened
    int minHP = 0;
    int increment = 0;
    int itemPosition = -1;  // 0 "Potion" .. 5 "BLK Apple", -1 none; written plus 1
    int money = 0;
    int robotY = 0;
    int robotX = 0;
    int robotTo = 0;
    std::array<Sprite, 5> sprites;  // normal, high attack, low attack, special attack, hurt
};

// A value of the value line that does not fit its byte; what() names it.
class ValueOutOfRange : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// A name the writer will not use, with the reason in what().
class InvalidName : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Creating or writing the file failed; nothing of an older file was lost.
class WriteError : public std::runtime_error {
public:
    WriteError(std::filesystem::path path, std::string reason);
    const std::filesystem::path& path() const { return path_; }
    const std::string& reason() const { return reason_; }

private:
    std::filesystem::path path_;
    std::string reason_;
};

// Throws InvalidName for a name that would leave the folder ("/", "\", "." or
// ".."), that would end its field in the file ("), or that holds a character
// with no single-byte form (any byte >= 0x80 of UTF-8) or a control character.
void checkName(const std::string& name);

// The whole file, CR LF after every line, no byte-order mark.
// Throws InvalidName as checkName does, ValueOutOfRange for a number or a
// sprite's height or bytes per row outside a byte.
std::string EnemySourceText(const EnemyValues& values);

// EnemySourceText for values whose name has passed checkName already: Create
// checks the name once, with the rest of the enemy, and makes the text once.
// Throws ValueOutOfRange as EnemySourceText does.
std::string sourceTextOfCheckedName(const EnemyValues& values);

// folder / (name + ".asm"), after checkName.
std::filesystem::path EnemySourcePath(const std::filesystem::path& folder, const std::string& name);

// Writes the file atomically and durably: a temporary file in the same
// folder, flushed to the disk, renamed over the target only when complete,
// and the folder flushed after the rename, so that neither a failure nor a
// power cut leaves an empty or partial NAME.asm. Returns the path written.
// Throws InvalidName before touching the disk, WriteError on any failure,
// leaving an older file as it was and no temporary file behind.
std::filesystem::path WriteEnemySource(const std::filesystem::path& folder, const EnemyValues& values);

// Writes text to target whole, as WriteEnemySource does: atomically and
// durably, an older file kept on any failure. Throws WriteError.
void writeWhole(const std::filesystem::path& target, std::string_view text);

}  // namespace palvorn
