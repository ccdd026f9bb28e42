#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace voltora::visa {

// A USB-TMC resource string taken apart:
//   USB[board]::manufacturer::model::serial[::interface]::INSTR
// with the manufacturer and model ids in hexadecimal ("0x1AB1") or decimal.
// A device without a serial number is named by kNoSerial.
struct UsbResource {
    static constexpr const char* kNoSerial = "NOSERIAL";

    unsigned board = 0;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serial;
    std::optional<std::uint8_t> interfaceNumber;  // first USB-TMC interface when absent
};

std::optional<UsbResource> ParseUsbResource(std::string_view resource);

// The resource string VISA lists for a device, for example
// "USB0::0x1AB1::0x0588::DM3R123::INSTR"; the interface number is written
// only when it is not 0.
std::string FormatUsbResource(std::uint16_t vendorId, std::uint16_t productId,
                              const std::string& serial, std::uint8_t interfaceNumber);

}  // namespace voltora::visa
