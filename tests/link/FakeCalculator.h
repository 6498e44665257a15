#pragma once
// A scripted calculator at the other end of the cable library's dummy cable
// (CABLE_NUL): an event hook sees every byte the real send code writes,
// answers as a TI-83 Plus / TI-84 Plus (link protocol) or a TI-84 Plus /
// TI-84 Plus CE (USB protocol) would, and keeps what it received. It runs
// inside the sender's calls: no thread, no socket, no timing.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "CableFactory.h"

struct FakeCalculator {
    enum class Protocol { Link, Usb };
    enum class Behaviour {
        Accepts,
        Silent,        // never answers
        OutOfMemory,   // refuses the program for want of RAM
        Busy,          // not at the home screen
        OpenFails,     // the USB layer cannot open the device (no permission)
    };

    Protocol protocol = Protocol::Link;
    Behaviour behaviour = Behaviour::Accepts;
    std::uint32_t usbPacketSize = 250;  // what the calculator allocates; the CE 1018

    // What arrived: the request to send, then the variable's data.
    std::string name;
    int type = -1;
    std::uint32_t announcedSize = 0;
    std::vector<std::uint8_t> data;
    int dataPackets = 0;  // how many raw packets carried data
    bool ended = false;   // the end of the transmission came
    std::string fault;    // what the fake found wrong in what it was sent

    // A factory handing out a dummy cable wired to this fake, to speak to
    // calcModel named `calculator`; listed as the system would list it.
    calclink::CableFactory factory(int calcModel, const std::string& calculator);

    // The hook's work, public for the hook function.
    int onEvent(int type, int retval, std::uint8_t* bytes, std::uint32_t len);

private:
    std::vector<std::uint8_t> fromPc_;
    std::deque<std::uint8_t> toPc_;
    std::vector<std::uint8_t> virtualPacket_;  // USB: the virtual packet being assembled
    int rawPackets_ = 0;                       // and how many raw packets it took so far

    void takeLink();
    void takeUsb();
    void answerLink(std::uint8_t command, const std::vector<std::uint8_t>& data = {});
    void answerUsbRaw(std::uint8_t type, const std::vector<std::uint8_t>& data);
    void answerUsbVirtual(std::uint16_t type, const std::vector<std::uint8_t>& data = {});
    void onUsbVirtual(std::uint16_t type, const std::vector<std::uint8_t>& data);
};
