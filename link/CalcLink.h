#pragma once
// Sending one calculator program file (NAME.8XP) to one calculator over a
// link cable, without Qt. The calculator libraries keep global state, so a
// process sends one program at a time; a second transfer started meanwhile
// is refused with Failure::Busy.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace calclink {

// Which cable to use: the first calculator found (USB first), a calculator's
// own USB port (TI-84 Plus, TI-84 Plus CE), or a SilverLink (TI-Graph Link USB).
enum class CableChoice { Auto, Usb, SilverLink };
// Which calculator is at the other end; Auto takes what the USB port reports,
// or the TI-83 Plus / TI-84 Plus protocol on a SilverLink.
enum class CalcChoice { Auto, TI83Plus, TI84Plus, TI84PlusCE };

// How far a transfer is, in the units the library counts (about bytes);
// total 0 while the library has not said (a program small enough goes in
// one piece and is reported only at the end).
struct Progress {
    std::uint32_t done = 0;
    std::uint32_t total = 0;
};
// Called on the sending thread while the transfer runs; returning false asks
// to cancel it, which ends it at the library's next step.
using ProgressFn = std::function<bool(const Progress&)>;

enum class Failure {
    None,
    Refused,       // the file is not a program file this tool sends (the input's fault)
    Unavailable,   // this build has no link library
    Busy,          // another transfer of this process is under way
    NoCalculator,  // no cable or calculator listed
    NoPermission,  // a calculator listed but this account may not open it
    InUse,         // a calculator listed but another program holds it
    Unsupported,   // a calculator listed that takes no enemies
    NoAnswer,      // the calculator did not answer in time
    NotReady,      // the calculator is busy (a menu or program open)
    OutOfMemory,   // the calculator refused for want of RAM
    Rejected,      // the calculator refused the program otherwise
    Cancelled,
    LinkError,     // the transfer broke off (checksum, packet, cable error)
};

struct Outcome {
    Failure failure = Failure::None;
    // For the user: "Sent NAME.8XP to the TI-84 Plus" on success, else what
    // went wrong and what to do, in our own words.
    std::string message;
    std::string calculator;  // the calculator's name once known, "TI-84 Plus"
};

struct Options {
    CableChoice cable = CableChoice::Auto;
    CalcChoice calc = CalcChoice::Auto;
};

// Whether this build can send at all; when not, unavailableReason() says why.
bool available();
std::string unavailableReason();

// The words the command line takes for the choices, and back; nullopt for a
// word it does not know.
std::optional<CableChoice> cableFromWord(const std::string& word);
std::optional<CalcChoice> calcFromWord(const std::string& word);

// Why the two choices cannot go together (a TI-83 Plus has no USB port, a
// TI-84 Plus CE no link port for a SilverLink), or nullopt when they can.
std::optional<std::string> choiceConflict(const Options& options);

// The program file to send for `file`: NAME.8XP itself, or the NAME.8XP
// beside NAME.asm (the extension in either case). Nothing is checked.
std::filesystem::path programFileFor(const std::filesystem::path& file);

// Sends the one program in the .8XP `file` over the cable the system offers
// for `options`. Blocks until done, failed or cancelled; `progress` may be
// empty. The file is only read.
Outcome sendProgram(const std::filesystem::path& file, const Options& options, const ProgressFn& progress);

}  // namespace calclink
