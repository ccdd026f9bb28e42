#include "visa/UsbTmcSession.h"

#include "visa/UsbTmcFraming.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace voltora::visa {
namespace {

// Bounds on the steps of an abort or a clear. The whole abort (or clear) is
// bounded by the session's time-out, but never by less than one step, so a
// call whose time-out was used up still gets a chance to clean up: a device
// that keeps sending, or never finishes its abort, is left as it is then.
constexpr std::chrono::milliseconds kAbortStepTimeout{500};
constexpr int kAbortStatusPolls = 20;

std::chrono::milliseconds Left(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return std::max(left, std::chrono::milliseconds(1));
}

// One step of an abort: at most kAbortStepTimeout, and no later than `deadline`.
std::chrono::milliseconds Step(std::chrono::steady_clock::time_point deadline)
{
    return std::min(Left(deadline), kAbortStepTimeout);
}

bool Passed(std::chrono::steady_clock::time_point deadline)
{
    return std::chrono::steady_clock::now() >= deadline;
}

std::chrono::steady_clock::time_point AbortDeadline(std::chrono::milliseconds timeout)
{
    return std::chrono::steady_clock::now() + std::max(timeout, kAbortStepTimeout);
}

}  // namespace

UsbTmcSession::UsbTmcSession(std::unique_ptr<IUsbTmcTransport> transport)
    : transport_(std::move(transport))
{
}

std::uint8_t UsbTmcSession::TakeTag()
{
    tag_ = usbtmc::NextTag(tag_);
    return tag_;
}

ViStatus UsbTmcSession::StatusOf(UsbResult result) const
{
    switch (result) {
    case UsbResult::Ok:
        return VI_SUCCESS;
    case UsbResult::Timeout:
        return VI_ERROR_TMO;
    case UsbResult::Disconnected:
    case UsbResult::Cancelled:
        return VI_ERROR_CONN_LOST;
    default:
        return VI_ERROR_IO;
    }
}

ViStatus UsbTmcSession::Write(const ViByte* data, std::size_t size, std::size_t& written,
                              std::chrono::milliseconds timeout)
{
    written = 0;
    const auto deadline = Clock::now() + timeout;
    do {
        const std::size_t chunk = std::min(size - written, kMaxOutTransfer);
        const bool last = written + chunk == size;
        const std::uint8_t tag = TakeTag();
        const std::vector<std::uint8_t> transfer =
            usbtmc::DevDepMsgOut(tag, data + written, chunk, last);
        std::size_t sent = 0;
        const UsbResult result =
            transport_->BulkOut(transfer.data(), transfer.size(), sent, Left(deadline));
        if (result != UsbResult::Ok) {
            if (result == UsbResult::Timeout || result == UsbResult::Stall) {
                AbortBulkOut(tag, AbortDeadline(timeout));
            }
            return StatusOf(result);
        }
        written += chunk;
    } while (written < size);
    return VI_SUCCESS;
}

ViStatus UsbTmcSession::Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                             std::chrono::milliseconds timeout)
{
    received = 0;
    end = false;
    const auto deadline = Clock::now() + timeout;
    const auto request = static_cast<std::uint32_t>(std::min<std::size_t>(size, kMaxInTransfer));
    const std::uint8_t tag = TakeTag();
    const std::vector<std::uint8_t> header = usbtmc::RequestDevDepMsgIn(tag, request);
    std::size_t sent = 0;
    UsbResult result = transport_->BulkOut(header.data(), header.size(), sent, Left(deadline));
    if (result != UsbResult::Ok) {
        if (result == UsbResult::Timeout || result == UsbResult::Stall) {
            AbortBulkOut(tag, AbortDeadline(timeout));
        }
        return StatusOf(result);
    }

    // Room for the whole transfer, in whole packets, so the device's short
    // packet (or the exact fill) ends the read.
    const std::size_t packet = std::max<std::size_t>(transport_->MaxPacketSize(), 4);
    const std::size_t capacity =
        (usbtmc::InTransferLength(request) + packet - 1) / packet * packet;
    in_.resize(capacity);
    for (;;) {
        std::size_t got = 0;
        result = transport_->BulkIn(in_.data(), capacity, got, Left(deadline));
        if (result != UsbResult::Ok) {
            if (result == UsbResult::Timeout || result == UsbResult::Stall) {
                AbortBulkIn(tag, result == UsbResult::Stall, AbortDeadline(timeout));
            }
            return StatusOf(result);
        }
        const auto parsed = usbtmc::ParseInHeader(in_.data(), got);
        if (!parsed || parsed->tag != tag) {
            // Left from an abandoned request (or not a message at all):
            // dropped, with the rest of its transfer, and the wait goes on.
            if (parsed && got < usbtmc::InTransferLength(parsed->transferSize) &&
                got == capacity) {
                DrainBulkIn(deadline);
            }
            if (Clock::now() >= deadline) {
                AbortBulkIn(tag, false, AbortDeadline(timeout));
                return VI_ERROR_TMO;
            }
            continue;
        }
        if (parsed->transferSize > request) {
            // More than was asked for: the device is out of step with us.
            AbortBulkIn(tag, false, AbortDeadline(timeout));
            return VI_ERROR_IO;
        }
        // The data may come in further transfers after the header's.
        std::size_t have = got;
        const std::size_t whole = usbtmc::kHeaderSize + parsed->transferSize;
        while (have < whole) {
            std::size_t more = 0;
            result = transport_->BulkIn(in_.data() + have, capacity - have, more, Left(deadline));
            if (result != UsbResult::Ok || more == 0) {
                const std::size_t data = have - usbtmc::kHeaderSize;
                std::memcpy(buffer, in_.data() + usbtmc::kHeaderSize, data);
                received = data;
                if (result == UsbResult::Timeout || result == UsbResult::Stall) {
                    AbortBulkIn(tag, result == UsbResult::Stall, AbortDeadline(timeout));
                }
                return result == UsbResult::Ok ? VI_ERROR_IO : StatusOf(result);
            }
            have += more;
        }
        std::memcpy(buffer, in_.data() + usbtmc::kHeaderSize, parsed->transferSize);
        received = parsed->transferSize;
        end = parsed->endOfMessage;
        return VI_SUCCESS;
    }
}

void UsbTmcSession::AbortBulkOut(std::uint8_t tag, Clock::time_point deadline)
{
    std::uint8_t reply[8] = {};
    std::size_t got = 0;
    if (transport_->ControlIn(usbtmc::kRequestTypeEndpointIn, usbtmc::kInitiateAbortBulkOut, tag,
                              transport_->BulkOutEndpoint(), reply, 2, got,
                              Step(deadline)) == UsbResult::Ok &&
        got >= 1 && reply[0] == usbtmc::kStatusSuccess) {
        for (int poll = 0; poll < kAbortStatusPolls && !Passed(deadline); ++poll) {
            if (transport_->ControlIn(usbtmc::kRequestTypeEndpointIn,
                                      usbtmc::kCheckAbortBulkOutStatus, 0,
                                      transport_->BulkOutEndpoint(), reply, 8, got,
                                      Step(deadline)) != UsbResult::Ok ||
                got < 1 || reply[0] != usbtmc::kStatusPending) {
                break;
            }
        }
    }
    // Whatever the device made of the abort, a halted endpoint stays halted
    // until the host clears it; without this every later write would stall.
    transport_->ClearHalt(transport_->BulkOutEndpoint());
}

void UsbTmcSession::AbortBulkIn(std::uint8_t tag, bool halted, Clock::time_point deadline)
{
    if (halted) {
        // A STALL halts the endpoint until the host clears it.
        transport_->ClearHalt(transport_->BulkInEndpoint());
    }
    std::uint8_t reply[8] = {};
    std::size_t got = 0;
    if (transport_->ControlIn(usbtmc::kRequestTypeEndpointIn, usbtmc::kInitiateAbortBulkIn, tag,
                              transport_->BulkInEndpoint(), reply, 2, got,
                              Step(deadline)) != UsbResult::Ok ||
        got < 1) {
        return;
    }
    if (reply[0] != usbtmc::kStatusSuccess) {
        // Nothing in progress on the device's side; whatever it had already
        // queued is still drained so that it cannot pass for a reply.
        if (reply[0] == usbtmc::kStatusTransferNotInProgress) {
            DrainBulkIn(deadline);
        }
        return;
    }
    DrainBulkIn(deadline);
    for (int poll = 0; poll < kAbortStatusPolls && !Passed(deadline); ++poll) {
        if (transport_->ControlIn(usbtmc::kRequestTypeEndpointIn, usbtmc::kCheckAbortBulkInStatus,
                                  0, transport_->BulkInEndpoint(), reply, 8, got,
                                  Step(deadline)) != UsbResult::Ok) {
            return;
        }
        const auto status = usbtmc::ParseCheckAbortBulkInStatus(reply, got);
        if (!status || status->status != usbtmc::kStatusPending) {
            return;
        }
        if (status->moreData) {
            DrainBulkIn(deadline);
        }
    }
}

void UsbTmcSession::DrainBulkIn(Clock::time_point deadline)
{
    const std::size_t packet = std::max<std::size_t>(transport_->MaxPacketSize(), 4);
    std::vector<std::uint8_t> scratch(packet * 64);
    for (int transfers = 0; transfers < 1024 && !Passed(deadline); ++transfers) {
        std::size_t got = 0;
        if (transport_->BulkIn(scratch.data(), scratch.size(), got, Step(deadline)) !=
                UsbResult::Ok ||
            got < scratch.size()) {
            return;  // a short packet (or nothing more) ends it
        }
    }
}

ViStatus UsbTmcSession::Clear(std::chrono::milliseconds timeout)
{
    // INITIATE_CLEAR, then CHECK_CLEAR_STATUS until the device is done
    // (reading Bulk-IN while it says data is left there), then the Bulk-OUT
    // halt is cleared, as the USB-TMC clear sequence asks of the host.
    const auto deadline = AbortDeadline(timeout);
    std::uint8_t reply[2] = {};
    std::size_t got = 0;
    UsbResult result = transport_->ControlIn(usbtmc::kRequestTypeInterfaceIn,
                                             usbtmc::kInitiateClear, 0,
                                             transport_->InterfaceNumber(), reply, 1, got,
                                             Step(deadline));
    if (result != UsbResult::Ok) {
        return StatusOf(result);
    }
    if (got < 1 || reply[0] != usbtmc::kStatusSuccess) {
        return VI_ERROR_IO;
    }
    for (;;) {
        if (Passed(deadline)) {
            return VI_ERROR_TMO;
        }
        result = transport_->ControlIn(usbtmc::kRequestTypeInterfaceIn, usbtmc::kCheckClearStatus,
                                       0, transport_->InterfaceNumber(), reply, 2, got,
                                       Step(deadline));
        if (result != UsbResult::Ok) {
            return StatusOf(result);
        }
        if (got < 1) {
            return VI_ERROR_IO;
        }
        if (reply[0] != usbtmc::kStatusPending) {
            break;
        }
        if (got >= 2 && (reply[1] & 0x01) != 0) {
            DrainBulkIn(deadline);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (reply[0] != usbtmc::kStatusSuccess) {
        return VI_ERROR_IO;
    }
    result = transport_->ClearHalt(transport_->BulkOutEndpoint());
    return StatusOf(result);
}

std::string UsbTmcSession::ModelName()
{
    return transport_->ProductName();
}

void UsbTmcSession::Close()
{
    transport_->Cancel();
}

}  // namespace voltora::visa
