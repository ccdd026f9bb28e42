#include "FakeUsbTmcDevice.h"

#include "visa/UsbTmcFraming.h"

#include <algorithm>
#include <cstring>

namespace voltora::testing {

namespace usbtmc = visa::usbtmc;
using visa::UsbResult;

class FakeUsbTmcDevice::Transport : public visa::IUsbTmcTransport {
public:
    explicit Transport(FakeUsbTmcDevice& device) : device_(device) {}

    UsbResult BulkOut(const std::uint8_t* data, std::size_t size, std::size_t& sent,
                      std::chrono::milliseconds) override
    {
        sent = 0;
        std::lock_guard<std::mutex> guard(device_.mutex_);
        if (device_.cancelled_) {
            return UsbResult::Cancelled;
        }
        if (device_.hangNextBulkOut_) {
            device_.hangNextBulkOut_ = false;
            return UsbResult::Timeout;
        }
        // Every Bulk-OUT message is header-aligned as the protocol wants.
        if (size < usbtmc::kHeaderSize || size % 4 != 0 ||
            data[2] != static_cast<std::uint8_t>(~data[1]) || data[1] == 0) {
            return UsbResult::Stall;
        }
        const std::uint32_t length = static_cast<std::uint32_t>(data[4]) |
                                     static_cast<std::uint32_t>(data[5]) << 8 |
                                     static_cast<std::uint32_t>(data[6]) << 16 |
                                     static_cast<std::uint32_t>(data[7]) << 24;
        if (data[0] == usbtmc::kDevDepMsgOut) {
            if (size != usbtmc::Aligned(usbtmc::kHeaderSize + length)) {
                return UsbResult::Stall;
            }
            device_.message_.append(reinterpret_cast<const char*>(data) + usbtmc::kHeaderSize,
                                    length);
            if ((data[8] & usbtmc::kEndOfMessage) != 0) {
                device_.messages_.push_back(device_.message_);
                if (auto reply = device_.handler_(device_.message_)) {
                    device_.reply_ = *reply;
                }
                device_.message_.clear();
            }
        } else if (data[0] == usbtmc::kRequestDevDepMsgIn) {
            if (size != usbtmc::kHeaderSize) {
                return UsbResult::Stall;
            }
            device_.requestTags_.push_back(data[1]);
            if (device_.hangNextReply_) {
                device_.hangNextReply_ = false;
                device_.hungTag_ = data[1];
            } else {
                device_.QueueReplyTransfer(data[1], length);
            }
        } else {
            return UsbResult::Stall;
        }
        sent = size;
        device_.changed_.notify_all();
        return UsbResult::Ok;
    }

    UsbResult BulkIn(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                     std::chrono::milliseconds timeout) override
    {
        received = 0;
        std::unique_lock<std::mutex> lock(device_.mutex_);
        if (device_.keepSending_) {
            // A full transfer of filler every so often, whatever was asked.
            const auto pause = std::min(*device_.keepSending_, timeout);
            device_.changed_.wait_for(lock, pause, [this] { return device_.cancelled_; });
            if (device_.cancelled_) {
                return UsbResult::Cancelled;
            }
            if (*device_.keepSending_ > timeout) {
                return UsbResult::Timeout;
            }
            std::memset(data, 0xEE, capacity);
            received = capacity;
            return UsbResult::Ok;
        }
        device_.changed_.wait_for(lock, timeout, [this] {
            return device_.cancelled_ || !device_.transfers_.empty();
        });
        if (device_.cancelled_) {
            return UsbResult::Cancelled;
        }
        if (device_.transfers_.empty()) {
            return UsbResult::Timeout;
        }
        std::vector<std::uint8_t>& front = device_.transfers_.front();
        received = std::min(capacity, front.size());
        std::memcpy(data, front.data(), received);
        front.erase(front.begin(), front.begin() + static_cast<std::ptrdiff_t>(received));
        if (front.empty()) {
            device_.transfers_.pop_front();
        }
        return UsbResult::Ok;
    }

    UsbResult ControlIn(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                        std::uint16_t index, std::uint8_t* data, std::uint16_t length,
                        std::size_t& received, std::chrono::milliseconds) override
    {
        std::lock_guard<std::mutex> guard(device_.mutex_);
        received = 0;
        if (requestType != usbtmc::kRequestTypeEndpointIn) {
            return UsbResult::Stall;
        }
        device_.controls_.push_back({request, value, index});
        std::uint8_t reply[8] = {};
        std::size_t size = 0;
        switch (request) {
        case usbtmc::kInitiateAbortBulkIn:
            size = 2;
            reply[1] = static_cast<std::uint8_t>(value);
            if (device_.keepSending_) {
                reply[0] = usbtmc::kStatusSuccess;
            } else if (device_.hungTag_ && *device_.hungTag_ == value) {
                // The device had started sending the late reply: one short
                // piece is left to drain, the rest is dropped.
                device_.transfers_.clear();
                device_.transfers_.push_back({0xEE, 0xEE, 0xEE});
                device_.reply_.clear();
                device_.hungTag_.reset();
                device_.abortPendingPolls_ = 1;
                reply[0] = usbtmc::kStatusSuccess;
            } else {
                reply[0] = usbtmc::kStatusTransferNotInProgress;
            }
            break;
        case usbtmc::kCheckAbortBulkInStatus:
            size = 8;
            if (device_.keepSending_) {
                reply[0] = usbtmc::kStatusPending;
                reply[1] = 1;  // more data to drain, always
            } else if (device_.abortPendingPolls_ > 0) {
                --device_.abortPendingPolls_;
                reply[0] = usbtmc::kStatusPending;
                reply[1] = device_.transfers_.empty() ? 0 : 1;
            } else {
                reply[0] = usbtmc::kStatusSuccess;
            }
            break;
        case usbtmc::kInitiateAbortBulkOut:
            size = 2;
            reply[0] = usbtmc::kStatusSuccess;
            reply[1] = static_cast<std::uint8_t>(value);
            device_.message_.clear();
            break;
        case usbtmc::kCheckAbortBulkOutStatus:
            size = 8;
            reply[0] = usbtmc::kStatusSuccess;
            break;
        default:
            return UsbResult::Stall;
        }
        received = std::min<std::size_t>(size, length);
        std::memcpy(data, reply, received);
        return UsbResult::Ok;
    }

    UsbResult ClearHalt(std::uint8_t endpoint) override
    {
        std::lock_guard<std::mutex> guard(device_.mutex_);
        device_.clearedHalts_.push_back(endpoint);
        return UsbResult::Ok;
    }

    std::uint8_t BulkInEndpoint() const override { return kBulkIn; }
    std::uint8_t BulkOutEndpoint() const override { return kBulkOut; }
    std::uint16_t MaxPacketSize() const override { return device_.packetSize_; }
    std::string ProductName() const override { return "ZAN Fake USB Meter"; }

    void Cancel() override
    {
        std::lock_guard<std::mutex> guard(device_.mutex_);
        device_.cancelled_ = true;
        device_.changed_.notify_all();
    }

private:
    FakeUsbTmcDevice& device_;
};

FakeUsbTmcDevice::FakeUsbTmcDevice(Handler handler, std::uint16_t packetSize)
    : handler_(std::move(handler)), packetSize_(packetSize)
{
}

std::unique_ptr<visa::IUsbTmcTransport> FakeUsbTmcDevice::MakeTransport()
{
    return std::make_unique<Transport>(*this);
}

void FakeUsbTmcDevice::QueueReplyTransfer(std::uint8_t tag, std::uint32_t maxSize)
{
    if (reply_.empty() && !neverEom_) {
        return;  // nothing to say: the request waits (a real device stays silent)
    }
    std::size_t n = std::min<std::size_t>(reply_.size(), maxSize);
    if (maxReplyPerTransfer_ > 0) {
        n = std::min(n, maxReplyPerTransfer_);
    }
    const bool eom = n == reply_.size() && !neverEom_;
    std::vector<std::uint8_t> transfer(usbtmc::InTransferLength(static_cast<std::uint32_t>(n)), 0);
    transfer[0] = usbtmc::kDevDepMsgIn;
    transfer[1] = tag;
    transfer[2] = static_cast<std::uint8_t>(~tag);
    transfer[4] = static_cast<std::uint8_t>(n);
    transfer[5] = static_cast<std::uint8_t>(n >> 8);
    transfer[6] = static_cast<std::uint8_t>(n >> 16);
    transfer[7] = static_cast<std::uint8_t>(n >> 24);
    transfer[8] = eom ? usbtmc::kEndOfMessage : 0;
    std::memcpy(transfer.data() + usbtmc::kHeaderSize, reply_.data(), n);
    reply_.erase(0, n);
    if (splitHeader_ && n > 0) {
        transfers_.emplace_back(transfer.begin(), transfer.begin() + usbtmc::kHeaderSize);
        transfers_.emplace_back(transfer.begin() + usbtmc::kHeaderSize, transfer.end());
    } else {
        transfers_.push_back(std::move(transfer));
    }
}

void FakeUsbTmcDevice::SetMaxReplyPerTransfer(std::size_t bytes)
{
    std::lock_guard<std::mutex> guard(mutex_);
    maxReplyPerTransfer_ = bytes;
}

void FakeUsbTmcDevice::SetNeverEndOfMessage(bool never)
{
    std::lock_guard<std::mutex> guard(mutex_);
    neverEom_ = never;
}

void FakeUsbTmcDevice::SetHeaderInOwnTransfer(bool split)
{
    std::lock_guard<std::mutex> guard(mutex_);
    splitHeader_ = split;
}

void FakeUsbTmcDevice::KeepSending(std::chrono::milliseconds perTransfer)
{
    std::lock_guard<std::mutex> guard(mutex_);
    keepSending_ = perTransfer;
}

void FakeUsbTmcDevice::HangNextReply()
{
    std::lock_guard<std::mutex> guard(mutex_);
    hangNextReply_ = true;
}

void FakeUsbTmcDevice::HangNextBulkOut()
{
    std::lock_guard<std::mutex> guard(mutex_);
    hangNextBulkOut_ = true;
}

void FakeUsbTmcDevice::QueueStaleTransfer(std::uint8_t tag, const std::string& data)
{
    std::lock_guard<std::mutex> guard(mutex_);
    const std::string saved = std::move(reply_);
    reply_ = data;
    const bool neverEom = neverEom_;
    neverEom_ = false;
    QueueReplyTransfer(tag, static_cast<std::uint32_t>(data.size()));
    neverEom_ = neverEom;
    reply_ = saved;
}

std::vector<std::string> FakeUsbTmcDevice::Messages() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return messages_;
}

std::vector<FakeUsbTmcDevice::ControlRequest> FakeUsbTmcDevice::ControlRequests() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return controls_;
}

std::vector<std::uint8_t> FakeUsbTmcDevice::ClearedHalts() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return clearedHalts_;
}

std::vector<std::uint8_t> FakeUsbTmcDevice::RequestTags() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return requestTags_;
}

std::size_t FakeUsbTmcDevice::QueuedBytes() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    std::size_t total = 0;
    for (const auto& transfer : transfers_) {
        total += transfer.size();
    }
    return total;
}

}  // namespace voltora::testing
