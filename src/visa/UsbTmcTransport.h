#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace voltora::visa {

// Outcome of one USB transfer.
enum class UsbResult {
    Ok,
    Timeout,
    Stall,
    Disconnected,
    Cancelled,  // the transport was closed (see Cancel)
    Error,
};

// The USB transfers a USB-TMC session needs, on one claimed interface. The
// real one goes through libusb; tests put a simulated device here.
class IUsbTmcTransport {
public:
    virtual ~IUsbTmcTransport() = default;

    // One Bulk-OUT transfer of all `size` bytes.
    virtual UsbResult BulkOut(const std::uint8_t* data, std::size_t size, std::size_t& sent,
                              std::chrono::milliseconds timeout) = 0;
    // One Bulk-IN transfer: ends when `capacity` bytes arrived or the device
    // sent a short packet.
    virtual UsbResult BulkIn(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                             std::chrono::milliseconds timeout) = 0;
    // A device-to-host class request on the control endpoint.
    virtual UsbResult ControlIn(std::uint8_t requestType, std::uint8_t request,
                                std::uint16_t value, std::uint16_t index, std::uint8_t* data,
                                std::uint16_t length, std::size_t& received,
                                std::chrono::milliseconds timeout) = 0;
    // CLEAR_FEATURE(ENDPOINT_HALT) on one endpoint.
    virtual UsbResult ClearHalt(std::uint8_t endpoint) = 0;

    virtual std::uint8_t BulkInEndpoint() const = 0;
    virtual std::uint8_t BulkOutEndpoint() const = 0;
    virtual std::uint16_t MaxPacketSize() const = 0;
    // bInterfaceNumber, the index of the interface's class requests.
    virtual std::uint8_t InterfaceNumber() const { return 0; }
    // The product string of the device (VI_ATTR_MODEL_NAME).
    virtual std::string ProductName() const = 0;

    // Makes a transfer blocked in another thread return at once (Cancelled),
    // and every later one too.
    virtual void Cancel() = 0;
};

}  // namespace voltora::visa
