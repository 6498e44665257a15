// A build without the calculator link library (PALVORN_LINK off, as on
// Windows, where Debian's libticalcs2 does not exist): everything refuses.

#include "CableFactory.h"

namespace calclink {

namespace {

Outcome unavailable()
{
    return {Failure::Unavailable, unavailableReason(), {}};
}

}  // namespace

bool available()
{
    return false;
}

std::string unavailableReason()
{
    return "Sending to a calculator is not available in this build: it was made without the calculator link "
           "library (libticalcs2). Send NAME.8XP with a separate link program.";
}

Found systemCable(const Options&)
{
    return {std::nullopt, Failure::Unavailable, unavailableReason()};
}

Outcome failureFor(int, const std::string&, const std::string&, std::uint32_t, bool)
{
    return unavailable();
}

Outcome sendProgram(const std::filesystem::path&, const Options&, const ProgressFn&, const CableFactory&)
{
    return unavailable();
}

Outcome sendProgram(const std::filesystem::path&, const Options&, const ProgressFn&)
{
    return unavailable();
}

}  // namespace calclink
