#pragma once
// The enemy source file NAME.asm: its text, and writing it safely. Plain C++.

#include <array>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "Sprite.h"

namespace palvorn {

// Everything the file is made of. Texts are copied into the file unchanged,
// one byte per character; an empty text leaves an empty field.
struct EnemyValues {
    std::string name;       // at most 8 characters expected; never shortened
    std::string minHP;
    std::string increment;
    int highDefense = 0;
    int lowDefense = 0;
    int highAttack = 0;
    int lowAttack = 0;
    int specialAttack = 0;
    int blockChance = 0;
    int attacks = 0;
    int itemPosition = -1;  // 0 "Potion" .. 5 "BLK Apple", -1 none; written plus 1
    std::string money;
    std::string robotY;
    std::string robotX;
    std::string robotTo;
    std::array<Sprite, 5> sprites;  // normal, high attack, low attack, special attack, hurt
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
// ".."), or that holds a character with no single-byte form (any byte >= 0x80
// of UTF-8) or a control character.
void checkName(const std::string& name);

// The whole file, CR LF after every line, no byte-order mark.
// Throws InvalidName as checkName does; other texts must not hold CR or LF.
std::string EnemySourceText(const EnemyValues& values);

// folder / (name + ".asm"), after checkName.
std::filesystem::path EnemySourcePath(const std::filesystem::path& folder, const std::string& name);

// Writes the file atomically: a temporary file in the same folder, renamed
// over the target only when complete. Returns the path written.
// Throws InvalidName before touching the disk, WriteError on any failure,
// leaving an older file as it was and no temporary file behind.
std::filesystem::path WriteEnemySource(const std::filesystem::path& folder, const EnemyValues& values);

}  // namespace palvorn
