#include "visa/LibusbTransport.h"

#include "visa/visa.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace voltora::visa {
namespace {

UsbResult ResultOf(libusb_transfer_status status)
{
    switch (status) {
    case LIBUSB_TRANSFER_COMPLETED:
        return UsbResult::Ok;
    case LIBUSB_TRANSFER_TIMED_OUT:
        return UsbResult::Timeout;
    case LIBUSB_TRANSFER_STALL:
        return UsbResult::Stall;
    case LIBUSB_TRANSFER_NO_DEVICE:
        return UsbResult::Disconnected;
    case LIBUSB_TRANSFER_CANCELLED:
        return UsbResult::Cancelled;
    default:
        return UsbResult::Error;
    }
}

// As libusb's own synchronous calls do: the flag is read by
// libusb_handle_events_timeout_completed under libusb's event lock.
void LIBUSB_CALL OnTransferDone(libusb_transfer* transfer)
{
    *static_cast<int*>(transfer->user_data) = 1;
}

unsigned int TimeoutMs(std::chrono::milliseconds timeout)
{
    // 0 would mean "no time-out" to libusb.
    return static_cast<unsigned int>(std::clamp<long long>(timeout.count(), 1, UINT_MAX));
}

}  // namespace

libusb_context* LibusbContext()
{
    static libusb_context* const context = [] {
        libusb_context* made = nullptr;
        return libusb_init(&made) == LIBUSB_SUCCESS ? made : nullptr;
    }();
    return context;
}

int LibusbTransport::Claim(libusb_device_handle* handle, const UsbTmcInterface& interface,
                           std::string productName, std::unique_ptr<LibusbTransport>& transport)
{
    std::unique_ptr<LibusbTransport> made(new LibusbTransport());
    made->handle_ = handle;
    made->interface_ = interface;
    made->productName_ = std::move(productName);
    if (libusb_kernel_driver_active(handle, interface.number) == 1) {
        if (libusb_detach_kernel_driver(handle, interface.number) != LIBUSB_SUCCESS) {
            return VI_ERROR_RSRC_BUSY;
        }
        made->reattachDriver_ = true;
    }
    const int claimed = libusb_claim_interface(handle, interface.number);
    if (claimed != LIBUSB_SUCCESS) {
        return claimed == LIBUSB_ERROR_BUSY ? VI_ERROR_RSRC_BUSY : VI_ERROR_IO;
    }
    made->claimed_ = true;
    if (interface.alternateSetting != 0 &&
        libusb_set_interface_alt_setting(handle, interface.number, interface.alternateSetting) !=
            LIBUSB_SUCCESS) {
        return VI_ERROR_IO;
    }
    transport = std::move(made);
    return VI_SUCCESS;
}

LibusbTransport::~LibusbTransport()
{
    if (handle_ == nullptr) {
        return;
    }
    if (claimed_) {
        libusb_release_interface(handle_, interface_.number);
    }
    if (reattachDriver_) {
        libusb_attach_kernel_driver(handle_, interface_.number);
    }
    libusb_close(handle_);
}

UsbResult LibusbTransport::Run(libusb_transfer* transfer, std::chrono::milliseconds timeout)
{
    int completed = 0;
    transfer->user_data = &completed;
    transfer->callback = OnTransferDone;
    transfer->timeout = TimeoutMs(timeout);
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (cancelled_) {
            return UsbResult::Cancelled;
        }
        const int submitted = libusb_submit_transfer(transfer);
        if (submitted != LIBUSB_SUCCESS) {
            return submitted == LIBUSB_ERROR_NO_DEVICE ? UsbResult::Disconnected
                                                       : UsbResult::Error;
        }
        running_ = transfer;
    }
    // libusb ends the transfer at its time-out (or at a cancel); events are
    // handled here until then.
    while (completed == 0) {
        timeval slice{0, 100000};
        libusb_handle_events_timeout_completed(LibusbContext(), &slice, &completed);
    }
    std::lock_guard<std::mutex> guard(mutex_);
    running_ = nullptr;
    return ResultOf(transfer->status);
}

UsbResult LibusbTransport::BulkOut(const std::uint8_t* data, std::size_t size, std::size_t& sent,
                                   std::chrono::milliseconds timeout)
{
    sent = 0;
    libusb_transfer* transfer = libusb_alloc_transfer(0);
    libusb_fill_bulk_transfer(transfer, handle_, interface_.bulkOut,
                              const_cast<unsigned char*>(data), static_cast<int>(size), nullptr,
                              nullptr, 0);
    const UsbResult result = Run(transfer, timeout);
    sent = static_cast<std::size_t>(std::max(transfer->actual_length, 0));
    libusb_free_transfer(transfer);
    if (result == UsbResult::Ok && sent != size) {
        return UsbResult::Error;
    }
    return result;
}

UsbResult LibusbTransport::BulkIn(std::uint8_t* data, std::size_t capacity,
                                  std::size_t& received, std::chrono::milliseconds timeout)
{
    received = 0;
    libusb_transfer* transfer = libusb_alloc_transfer(0);
    libusb_fill_bulk_transfer(transfer, handle_, interface_.bulkIn, data,
                              static_cast<int>(capacity), nullptr, nullptr, 0);
    const UsbResult result = Run(transfer, timeout);
    received = static_cast<std::size_t>(std::max(transfer->actual_length, 0));
    libusb_free_transfer(transfer);
    return result;
}

UsbResult LibusbTransport::ControlIn(std::uint8_t requestType, std::uint8_t request,
                                     std::uint16_t value, std::uint16_t index, std::uint8_t* data,
                                     std::uint16_t length, std::size_t& received,
                                     std::chrono::milliseconds timeout)
{
    received = 0;
    std::vector<unsigned char> buffer(LIBUSB_CONTROL_SETUP_SIZE + length);
    libusb_fill_control_setup(buffer.data(), requestType, request, value, index, length);
    libusb_transfer* transfer = libusb_alloc_transfer(0);
    libusb_fill_control_transfer(transfer, handle_, buffer.data(), nullptr, nullptr, 0);
    const UsbResult result = Run(transfer, timeout);
    received = static_cast<std::size_t>(std::max(transfer->actual_length, 0));
    received = std::min<std::size_t>(received, length);
    std::memcpy(data, buffer.data() + LIBUSB_CONTROL_SETUP_SIZE, received);
    libusb_free_transfer(transfer);
    return result;
}

UsbResult LibusbTransport::ClearHalt(std::uint8_t endpoint)
{
    return libusb_clear_halt(handle_, endpoint) == LIBUSB_SUCCESS ? UsbResult::Ok
                                                                  : UsbResult::Error;
}

void LibusbTransport::Cancel()
{
    std::lock_guard<std::mutex> guard(mutex_);
    cancelled_ = true;
    if (running_ != nullptr) {
        libusb_cancel_transfer(running_);
    }
}

}  // namespace voltora::visa
