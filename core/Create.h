#pragma once
// "Create": one function from the enemy and a folder to an outcome. It
// checks the enemy, writes NAME.asm and starts the build script. The windows
// and the command line only turn its outcome into messages. Plain C++.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "Enemy.h"
#include "EnemySource.h"
#include "ValueLine.h"

namespace palvorn {

// The build script the program's tools folder holds on this system.
#ifdef _WIN32
inline constexpr bool kWindowsFileNames = true;
inline constexpr const char* kBuildScript = "asm.bat";
#else
inline constexpr bool kWindowsFileNames = false;
inline constexpr const char* kBuildScript = "asm.sh";
#endif


// What a refusal is about, for a caller that names its own input.
struct Subject {
    enum class Kind {
        Name,
        HPOrder,  // Max HP not above Min HP
        MaxHP,
        Field,  // a field of the value line: the item, Min HP, money or a fighting value
        Sprite,
    };
    Kind kind = Kind::Name;
    palvorn::Field field = palvorn::Field::MinHP;  // Kind::Field: which
    int pose = 0;                                  // Kind::Sprite: which, 0..4
    friend bool operator==(const Subject&, const Subject&) = default;
};

// Why an enemy cannot be written, as the user is told: a message box title
// and its text.
struct Refusal {
    std::string title;
    std::string text;
    Subject subject;
    friend bool operator==(const Refusal&, const Refusal&) = default;
};

// The checks of Create, in order; the first that fails is returned:
//  1. the item text still "Select Item";
//  2. Max HP not above Min HP (empty fields count as 0);
//  3. a number field holding more digits than it takes, or Min HP above 255;
//  4. a slider value outside its range;
//  5. no name; a name with a character the name field refuses; a name that
//     gives no calculator program name;
//  6. a sprite missing, or packing into more than 200 bytes (pose order);
//  7. a normal sprite whose placement does not fit a byte.
// windowsFileNames: also refuse the characters Windows file names refuse.
std::optional<Refusal> checkEnemy(const Enemy& enemy, bool windowsFileNames);

// The sprite rule alone (checks 6 and 7), which "Finish" applies too.
std::optional<Refusal> checkSprites(const Enemy& enemy);

// The value line and sprites of an enemy that passed checkEnemy: placement
// from the normal sprite, the increment from the current Min and Max HP,
// empty number fields as 0.
EnemyValues fileValues(const Enemy& enemy);

// Starts the build script for name in folder; returns an empty string when
// it started, otherwise the reason, naming the script.
using ScriptStarter = std::function<std::string(const std::string& name, const std::filesystem::path& folder)>;

// Asked before NAME.asm replaces a file at target that is not the enemy's
// own and holds other bytes; true: replace it.
using ReplaceQuestion = std::function<bool(const std::filesystem::path& target)>;

// How Create treats a NAME.asm already there: its own file (opened from or
// last written) and a file of the same bytes are replaced without a word;
// any other only when mayReplace says so (never when it is empty).
struct Replacing {
    std::filesystem::path ownFile;
    ReplaceQuestion mayReplace;
};

// Makes the folder NAME.asm goes into; returns an empty string when it is
// there, otherwise the reason, naming the folder.
using FolderMaker = std::function<std::string()>;

struct CreateOutcome {
    enum class Status {
        Refused,     // a check failed; nothing was written
        NotReplaced,  // NAME.asm holds another enemy and was kept: nothing written, no script started
        NotWritten,  // NAME.asm could not be written; an older one is untouched; no script started
        NotStarted,  // NAME.asm written, the build script could not be started
        Written,     // NAME.asm written; no build script was asked for
        Started,     // NAME.asm written and the build script started
    };
    Status status = Status::Refused;
    std::string title;  // the message for a status that is not a success
    std::string text;
    Subject subject;               // Refused: Refusal::subject
    std::filesystem::path source;  // NAME.asm, once written (NotReplaced: the file kept)
    std::string programName;       // the calculator program the build makes, e.g. SLIME
};

// Checks the enemy, asks before replacing another enemy's NAME.asm (see
// Replacing), writes folder/NAME.asm and, when start is set, starts the
// build script with it (Started), otherwise stops there (Written). The
// enemy is checked once, its name included, and its file's values and text
// are made once. makeFolder, when set, is called once the enemy passed the
// checks, so that a refused enemy leaves no folder behind; its failure is
// NotWritten. A failed write's text adds that the build script was not
// started only when start is set. Never throws for a refusal or a failed write.
CreateOutcome create(const Enemy& enemy, const std::filesystem::path& folder, const ScriptStarter& start,
                     const Replacing& replacing = {}, bool windowsFileNames = kWindowsFileNames,
                     const FolderMaker& makeFolder = {});

// Whether writing text to target would replace another enemy: a file is
// there, it is not ownFile, and its bytes differ from text.
bool replacesAnother(const std::filesystem::path& target, const std::filesystem::path& ownFile,
                     const std::string& text);

}  // namespace palvorn
