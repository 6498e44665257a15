// The system's cables: what libusb lists of TI's USB devices (a calculator's
// own USB port, or a SilverLink), matched against the user's choices.

#include "CableFactory.h"
#include "ChooseDevice.h"

namespace calclink {

namespace {

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
    case CALC_TI84PC_USB:
        return "TI-84 Plus C Silver Edition";
    case CALC_TI83PCE_USB:
        return "TI-83 Premium CE";
    case CALC_TI82A_USB:
        return "TI-82 Advanced";
    case CALC_TI84PT_USB:
        return "TI-84 Plus T";
    default:
        return ticalcs_model_to_string(model);
    }
}

}  // namespace

Choice chooseDevice(const std::vector<Listed>& devices, const Options& options)
{
    std::string otherCalculator;  // a calculator listed that was not asked for or takes no enemies
    if (options.cable != CableChoice::SilverLink) {
        for (const Listed& d : devices) {
            if (d.info.family != CABLE_FAMILY_USB_TI8X)
                continue;
            const CalcModel model = ticalcs_device_info_to_model(&d.info);
            const bool wanted =
                (model == CALC_TI84P_USB &&
                 (options.calc == CalcChoice::Auto || options.calc == CalcChoice::TI84Plus)) ||
                (model == CALC_TI84PCE_USB &&
                 (options.calc == CalcChoice::Auto || options.calc == CalcChoice::TI84PlusCE));
            if (wanted)
                return {Chosen{CABLE_USB, d.port, model, calculatorName(model)}, Failure::None, {}};
            otherCalculator = calculatorName(model);
        }
    }
    if (options.cable != CableChoice::Usb && options.calc != CalcChoice::TI84PlusCE) {
        for (const Listed& d : devices) {
            if (d.info.family != CABLE_FAMILY_DBUS)
                continue;
            const CalcModel model = options.calc == CalcChoice::TI83Plus ? CALC_TI83P : CALC_TI84P;
            const std::string name = options.calc == CalcChoice::Auto ? std::string("TI-83 Plus / TI-84 Plus")
                                                                      : calculatorName(model);
            return {Chosen{CABLE_SLV, d.port, model, name}, Failure::None, {}};
        }
    }
    if (!otherCalculator.empty())
        return {std::nullopt, Failure::Unsupported,
                "A " + otherCalculator + " is connected, but it is not the calculator to send to: enemies go to " +
                    (options.calc == CalcChoice::Auto ? "a TI-83 Plus, TI-84 Plus or TI-84 Plus CE."
                                                      : "the calculator --calc names.")};
    return {std::nullopt, Failure::NoCalculator,
            "No calculator found. Connect the cable, turn the calculator on at the home screen, and try again."};
}

Found systemCable(const Options& options)
{
    const Choice choice = chooseDevice(listDevices(), options);
    if (!choice.chosen)
        return {std::nullopt, choice.failure, choice.message};
    const Chosen& c = *choice.chosen;
    CableHandle* handle = ticables_handle_new(c.cable, static_cast<CablePort>(c.port));
    if (!handle)
        return {std::nullopt, Failure::LinkError, "The cable could not be set up."};
    return {Cable{handle, c.calc, c.calculator, true}, Failure::None, {}};
}

}  // namespace calclink
