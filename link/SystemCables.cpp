// The system's cables: what libusb lists of TI's USB devices (a calculator's
// own USB port, or a SilverLink), matched against the user's choices.

#include "CableFactory.h"
#include "TiLink.h"

#include <vector>

namespace calclink {

namespace {

const std::string kNoCalculator =
    "No calculator found. Connect the cable, turn the calculator on at the home screen, and try again.";

// One listed device: the cable library's port number is its place in the list.
struct Listed {
    CableDeviceInfo info;
    int port = 0;
};

std::vector<Listed> listDevices()
{
    CableDeviceInfo* array = nullptr;
    int count = 0;
    std::vector<Listed> devices;
    if (ticables_get_usb_device_info(&array, &count) == 0 && array) {
        for (int i = 0; i < count; ++i)
            devices.push_back({array[i], i + 1});
    }
    if (array)
        ticables_free_usb_device_info(array);
    return devices;
}

std::string calculatorName(CalcModel model)
{
    switch (model) {
    case CALC_TI83P:
        return "TI-83 Plus";
    case CALC_TI84P:
    case CALC_TI84P_USB:
        return "TI-84 Plus";
    case CALC_TI84PCE_USB:
        return "TI-84 Plus CE";
    default:
        return ticalcs_model_to_string(model);
    }
}

Found cableFor(CableModel cableModel, int port, CalcModel calc, std::string name)
{
    CableHandle* handle = ticables_handle_new(cableModel, static_cast<CablePort>(port));
    if (!handle)
        return {std::nullopt, Failure::LinkError, "The cable could not be set up."};
    return {Cable{handle, calc, std::move(name), true}, Failure::None, {}};
}

}  // namespace

Found systemCable(const Options& options)
{
    const std::vector<Listed> devices = listDevices();
    std::string otherCalculator;  // a calculator listed that does not take enemies or was not asked for
    // A calculator's own USB port first: it says which calculator it is.
    if (options.cable != CableChoice::SilverLink) {
        for (const Listed& d : devices) {
            if (d.info.family != CABLE_FAMILY_USB_TI8X)
                continue;
            const CalcModel model = ticalcs_device_info_to_model(&d.info);
            const bool wanted = (model == CALC_TI84P_USB && options.calc != CalcChoice::TI84PlusCE &&
                                 options.calc != CalcChoice::TI83Plus) ||
                                (model == CALC_TI84PCE_USB &&
                                 (options.calc == CalcChoice::Auto || options.calc == CalcChoice::TI84PlusCE));
            if (wanted)
                return cableFor(CABLE_USB, d.port, model, calculatorName(model));
            otherCalculator = calculatorName(model);
        }
    }
    // A SilverLink speaks the TI-83 Plus / TI-84 Plus link protocol, which
    // cannot tell the two apart.
    if (options.cable != CableChoice::Usb && options.calc != CalcChoice::TI84PlusCE) {
        for (const Listed& d : devices) {
            if (d.info.family != CABLE_FAMILY_DBUS)
                continue;
            const CalcModel model = options.calc == CalcChoice::TI83Plus ? CALC_TI83P : CALC_TI84P;
            const std::string name = options.calc == CalcChoice::Auto ? std::string("TI-83 Plus / TI-84 Plus")
                                                                      : calculatorName(model);
            return cableFor(CABLE_SLV, d.port, model, name);
        }
    }
    if (!otherCalculator.empty())
        return {std::nullopt, Failure::Unsupported,
                "A " + otherCalculator + " is connected, but enemies are sent only to the calculator asked for "
                                         "(a TI-83 Plus, TI-84 Plus or TI-84 Plus CE)."};
    return {std::nullopt, Failure::NoCalculator, kNoCalculator};
}

}  // namespace calclink
