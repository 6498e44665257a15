#pragma once
// Which listed device a transfer uses for the user's choices: a calculator's
// own USB port first (it says which calculator it is), else a SilverLink,
// which speaks the TI-83 Plus / TI-84 Plus link protocol and cannot tell the
// two apart. Kept apart from the listing so that it can be tested.

#include <optional>
#include <string>
#include <vector>

#include "CalcLink.h"
#include "TiLink.h"

namespace calclink {

// A listed device; the cable library's port number is its place in the list (from 1).
struct Listed {
    CableDeviceInfo info;
    int port = 0;
};

struct Chosen {
    CableModel cable = CABLE_NUL;
    int port = 0;
    CalcModel calc = CALC_NONE;
    std::string calculator;  // its name for the user
};

// The device to use, or the failure and message when there is none.
struct Choice {
    std::optional<Chosen> chosen;
    Failure failure = Failure::None;
    std::string message;
};

Choice chooseDevice(const std::vector<Listed>& devices, const Options& options);

}  // namespace calclink
