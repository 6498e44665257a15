#pragma once
// Where a transfer's cable comes from: the system's USB and SilverLink
// cables in use, a scripted fake calculator in tests. The handles are the
// cable library's own (libticables2).

#include <functional>
#include <optional>
#include <string>

#include "CalcLink.h"

struct _CableHandle;

namespace calclink {

// A cable ready to be opened, and the calculator model to speak to over it.
struct Cable {
    _CableHandle* handle = nullptr;  // owned by the transfer from here: it deletes it
    int calcModel = 0;               // the library's CalcModel
    std::string calculator;          // the calculator's name for the user, "TI-84 Plus"
    bool listed = false;             // the system listed the device: an open failure is then about permission
};

// A factory's answer: a cable, or why there is none (failure and message).
struct Found {
    std::optional<Cable> cable;
    Failure failure = Failure::None;
    std::string message;
};

using CableFactory = std::function<Found(const Options&)>;

// The system's cables: lists the USB devices and picks the calculator the
// options ask for (see CableChoice, CalcChoice).
Found systemCable(const Options& options);

// sendProgram with the cable from `factory`.
Outcome sendProgram(const std::filesystem::path& file, const Options& options, const ProgressFn& progress,
                    const CableFactory& factory);

// The message for a library error code during a transfer with `calculator`
// (the variable's name and size for the out-of-memory case); never the
// library's own text.
Outcome failureFor(int code, const std::string& calculator, const std::string& variable, std::uint32_t size,
                   bool listed);

}  // namespace calclink
