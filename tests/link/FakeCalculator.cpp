#include "FakeCalculator.h"

#include "TiLink.h"

namespace {

// The link protocol's machine id of a TI-83 Plus / TI-84 Plus talking to a
// computer, and the commands this exchange uses.
constexpr std::uint8_t kCalcToPc = 0x73;
enum : std::uint8_t {
    kVarHeader = 0x06,
    kContinue = 0x09,
    kData = 0x15,
    kSkip = 0x36,
    kAck = 0x56,
    kReady = 0x68,
    kEnd = 0x92,
    kRequestToSend = 0xC9,
};
constexpr std::uint8_t kSkipMemory = 3;

// The USB protocol's raw packet types and virtual packet types.
enum : std::uint8_t { kBufSizeRequest = 1, kBufSizeAlloc = 2, kVirtualData = 3, kVirtualLast = 4, kVirtualAck = 5 };
enum : std::uint16_t {
    kPing = 0x0001,
    kUsbRequestToSend = 0x000B,
    kVarContents = 0x000D,
    kModeSet = 0x0012,
    kDataAck = 0xAA00,
    kUsbEnd = 0xDD00,
    kUsbError = 0xEE00,
};
constexpr std::uint16_t kUsbOutOfMemory = 0x000C;
constexpr std::uint16_t kUsbNotHome = 0x0034;
constexpr std::uint16_t kVarTypeAttribute = 0x0002;

constexpr int kLibusbOpenFailed = 37;  // the cable library's code for libusb_open failing

std::uint16_t le16(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::uint16_t be16(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}
std::uint32_t be32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 | b[at + 3];
}
void putBe32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(static_cast<std::uint8_t>(v >> shift));
}

int hook(CableHandle*, uint32_t, const CableEventData* event, void* user)
{
    auto* fake = static_cast<FakeCalculator*>(user);
    return fake->onEvent(event->type, event->retval, event->data.data.data, event->data.data.len);
}

}  // namespace

calclink::CableFactory FakeCalculator::factory(int calcModel, const std::string& calculator)
{
    return [this, calcModel, calculator](const calclink::Options&) {
        CableHandle* handle = ticables_handle_new(CABLE_NUL, PORT_0);
        ticables_cable_set_event_hook(handle, hook);
        ticables_cable_set_event_user_pointer(handle, this);
        return calclink::Found{calclink::Cable{handle, calcModel, calculator, true}, calclink::Failure::None, {}};
    };
}

int FakeCalculator::onEvent(int type, int retval, std::uint8_t* bytes, std::uint32_t len)
{
    switch (type) {
    case CABLE_EVENT_TYPE_BEFORE_OPEN:
        return behaviour == Behaviour::OpenFails ? kLibusbOpenFailed : retval;
    case CABLE_EVENT_TYPE_AFTER_SEND:
        if (retval == 0 && len > 0) {
            fromPc_.insert(fromPc_.end(), bytes, bytes + len);
            if (behaviour != Behaviour::Silent)
                protocol == Protocol::Link ? takeLink() : takeUsb();
        }
        return retval;
    case CABLE_EVENT_TYPE_AFTER_RECV:
        if (retval != 0)
            return retval;
        if (toPc_.size() < len)
            return ERROR_READ_TIMEOUT;
        for (std::uint32_t i = 0; i < len; ++i) {
            bytes[i] = toPc_.front();
            toPc_.pop_front();
        }
        return 0;
    default:
        return retval;
    }
}

void FakeCalculator::answerLink(std::uint8_t command, const std::vector<std::uint8_t>& data)
{
    const auto size = static_cast<std::uint16_t>(data.size());
    toPc_.insert(toPc_.end(), {kCalcToPc, command, std::uint8_t(size & 0xFF), std::uint8_t(size >> 8)});
    if (data.empty())
        return;
    std::uint16_t sum = 0;
    for (const std::uint8_t b : data)
        sum = static_cast<std::uint16_t>(sum + b);
    toPc_.insert(toPc_.end(), data.begin(), data.end());
    toPc_.insert(toPc_.end(), {std::uint8_t(sum & 0xFF), std::uint8_t(sum >> 8)});
}

// Packets from the computer: machine id, command, 16-bit length, and for
// those with data the data and its 16-bit sum.
void FakeCalculator::takeLink()
{
    while (fromPc_.size() >= 4) {
        const std::uint8_t command = fromPc_[1];
        const std::uint16_t length = le16(fromPc_, 2);
        const bool hasData = command == kRequestToSend || command == kData || command == kVarHeader;
        const std::size_t whole = hasData ? 4u + length + 2u : 4u;
        if (fromPc_.size() < whole)
            return;
        const std::vector<std::uint8_t> data(fromPc_.begin() + 4, fromPc_.begin() + 4 + (hasData ? length : 0));
        if (hasData) {
            std::uint16_t sum = 0;
            for (const std::uint8_t b : data)
                sum = static_cast<std::uint16_t>(sum + b);
            if (sum != le16(fromPc_, 4 + length))
                fault = "bad checksum";
        }
        fromPc_.erase(fromPc_.begin(), fromPc_.begin() + static_cast<std::ptrdiff_t>(whole));

        switch (command) {
        case kReady:
            // The acknowledgement's length word carries the status; bit 8 is "busy".
            if (behaviour == Behaviour::Busy)
                toPc_.insert(toPc_.end(), {kCalcToPc, kAck, 0x00, 0x01});
            else
                answerLink(kAck);
            break;
        case kRequestToSend:
            // Size, type, name (8, zero padded), version, flag.
            announcedSize = le16(data, 0);
            type = data[2];
            name.assign(reinterpret_cast<const char*>(&data[3]), 8);
            name.erase(name.find_last_not_of('\0') + 1);
            answerLink(kAck);
            if (behaviour == Behaviour::OutOfMemory)
                answerLink(kSkip, {kSkipMemory});
            else
                answerLink(kContinue);
            break;
        case kData:
            this->data.insert(this->data.end(), data.begin(), data.end());
            ++dataPackets;
            answerLink(kAck);
            break;
        case kAck:
            break;
        case kEnd:
            ended = true;
            break;
        default:
            fault = "unexpected command " + std::to_string(command);
        }
    }
}

void FakeCalculator::answerUsbRaw(std::uint8_t rawType, const std::vector<std::uint8_t>& payload)
{
    std::vector<std::uint8_t> packet;
    putBe32(packet, static_cast<std::uint32_t>(payload.size()));
    packet.push_back(rawType);
    packet.insert(packet.end(), payload.begin(), payload.end());
    toPc_.insert(toPc_.end(), packet.begin(), packet.end());
}

void FakeCalculator::answerUsbVirtual(std::uint16_t virtualType, const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> payload;
    putBe32(payload, static_cast<std::uint32_t>(data.size()));
    payload.push_back(static_cast<std::uint8_t>(virtualType >> 8));
    payload.push_back(static_cast<std::uint8_t>(virtualType & 0xFF));
    payload.insert(payload.end(), data.begin(), data.end());
    answerUsbRaw(kVirtualLast, payload);
}

// Raw packets: 32-bit size, type, payload. A virtual packet is the payloads
// of its raw packets, the first starting with its size and type; each raw
// data packet is acknowledged.
void FakeCalculator::takeUsb()
{
    while (fromPc_.size() >= 5) {
        const std::uint32_t size = be32(fromPc_, 0);
        const std::uint8_t rawType = fromPc_[4];
        if (fromPc_.size() < 5 + size)
            return;
        const std::vector<std::uint8_t> payload(fromPc_.begin() + 5, fromPc_.begin() + 5 + size);
        fromPc_.erase(fromPc_.begin(), fromPc_.begin() + 5 + size);
        switch (rawType) {
        case kBufSizeRequest: {
            std::vector<std::uint8_t> allocated;
            putBe32(allocated, usbPacketSize);
            answerUsbRaw(kBufSizeAlloc, allocated);
            break;
        }
        case kVirtualData:
        case kVirtualLast: {
            if (size > usbPacketSize)
                fault = "raw packet of " + std::to_string(size) + " bytes, over the " +
                        std::to_string(usbPacketSize) + " allocated";
            virtualPacket_.insert(virtualPacket_.end(), payload.begin(), payload.end());
            ++rawPackets_;
            answerUsbRaw(kVirtualAck, {0xE0, 0x00});
            if (rawType == kVirtualLast) {
                const std::vector<std::uint8_t> whole = std::move(virtualPacket_);
                virtualPacket_.clear();
                const int raws = rawPackets_;
                rawPackets_ = 0;
                if (whole.size() < 6 || be32(whole, 0) != whole.size() - 6) {
                    fault = "virtual packet whose size is not its length";
                    break;
                }
                const std::uint16_t virtualType = be16(whole, 4);
                if (virtualType == kVarContents)
                    dataPackets = raws;
                onUsbVirtual(virtualType, std::vector<std::uint8_t>(whole.begin() + 6, whole.end()));
            }
            break;
        }
        case kVirtualAck:
            break;
        default:
            fault = "unexpected raw packet type " + std::to_string(rawType);
        }
    }
}

void FakeCalculator::onUsbVirtual(std::uint16_t virtualType, const std::vector<std::uint8_t>& data)
{
    const auto error = [this](std::uint16_t code) {
        answerUsbVirtual(kUsbError, {std::uint8_t(code >> 8), std::uint8_t(code & 0xFF)});
    };
    switch (virtualType) {
    case kPing:
        behaviour == Behaviour::Busy ? error(kUsbNotHome) : answerUsbVirtual(kModeSet);
        break;
    case kUsbRequestToSend: {
        // Folder (length, name, zero), name (length, name, zero), size,
        // a flag, then attributes: id, size, data; the type is the last
        // byte of the type attribute.
        std::size_t at = 0;
        const std::uint8_t folderLength = data[at++];
        if (folderLength)
            at += folderLength + 1u;
        const std::uint8_t nameLength = data[at++];
        name.assign(reinterpret_cast<const char*>(&data[at]), nameLength);
        at += nameLength + 1u;
        announcedSize = be32(data, at);
        at += 5;
        const std::uint16_t attributes = be16(data, at);
        at += 2;
        for (std::uint16_t i = 0; i < attributes && at + 4 <= data.size(); ++i) {
            const std::uint16_t id = be16(data, at);
            const std::uint16_t attributeSize = be16(data, at + 2);
            at += 4;
            if (id == kVarTypeAttribute && attributeSize == 4)
                type = data[at + 3];
            at += attributeSize;
        }
        behaviour == Behaviour::OutOfMemory ? error(kUsbOutOfMemory) : answerUsbVirtual(kDataAck);
        break;
    }
    case kVarContents:
        this->data = data;
        answerUsbVirtual(kDataAck);
        break;
    case kUsbEnd:
        ended = true;
        break;
    default:
        fault = "unexpected virtual packet type " + std::to_string(virtualType);
    }
}
