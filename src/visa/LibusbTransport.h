#pragma once

#include "visa/UsbTmcTransport.h"

#include <libusb.h>

#include <memory>
#include <mutex>
#include <string>

namespace voltora::visa {

// The process's libusb context, made on first use; null when libusb cannot
// work on this machine (for example without a USB file system).
libusb_context* LibusbContext();

// The endpoints of one USB-TMC interface.
struct UsbTmcInterface {
    std::uint8_t number = 0;
    std::uint8_t alternateSetting = 0;
    std::uint8_t bulkIn = 0;
    std::uint8_t bulkOut = 0;
    std::uint16_t maxPacketSize = 64;
};

// USB transfers on a claimed USB-TMC interface through libusb. The kernel's
// usbtmc driver, when it holds the interface, is detached for the length of
// the session and attached again when the transport is destroyed.
// Transfers are asynchronous inside, so that Cancel() can end one that
// another thread waits on.
class LibusbTransport : public IUsbTmcTransport {
public:
    ~LibusbTransport() override;

    // Claims `interface` on an opened device. Takes over `handle` whatever
    // the outcome: on failure it is closed here.
    // VI_SUCCESS, VI_ERROR_RSRC_BUSY (another program has it) or VI_ERROR_IO.
    static int Claim(libusb_device_handle* handle, const UsbTmcInterface& interface,
                     std::string productName, std::unique_ptr<LibusbTransport>& transport);

    UsbResult BulkOut(const std::uint8_t* data, std::size_t size, std::size_t& sent,
                      std::chrono::milliseconds timeout) override;
    UsbResult BulkIn(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                     std::chrono::milliseconds timeout) override;
    UsbResult ControlIn(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                        std::uint16_t index, std::uint8_t* data, std::uint16_t length,
                        std::size_t& received, std::chrono::milliseconds timeout) override;
    UsbResult ClearHalt(std::uint8_t endpoint) override;

    std::uint8_t BulkInEndpoint() const override { return interface_.bulkIn; }
    std::uint8_t BulkOutEndpoint() const override { return interface_.bulkOut; }
    std::uint16_t MaxPacketSize() const override { return interface_.maxPacketSize; }
    std::uint8_t InterfaceNumber() const override { return interface_.number; }
    std::string ProductName() const override { return productName_; }
    void Cancel() override;

private:
    LibusbTransport() = default;

    // Submits `transfer` and waits for it; the transfer's buffer and length
    // are set by the caller.
    UsbResult Run(libusb_transfer* transfer, std::chrono::milliseconds timeout);

    libusb_device_handle* handle_ = nullptr;
    UsbTmcInterface interface_;
    std::string productName_;
    bool reattachDriver_ = false;
    bool claimed_ = false;

    std::mutex mutex_;
    bool cancelled_ = false;
    libusb_transfer* running_ = nullptr;
};

}  // namespace voltora::visa
