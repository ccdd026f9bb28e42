#include "usbmock/UsbTmcDeviceModel.h"

#include <algorithm>

namespace voltora::usbmock {
namespace {

// USB-TMC message ids, class requests and status values.
constexpr std::uint8_t kDevDepMsgOut = 1;
constexpr std::uint8_t kRequestDevDepMsgIn = 2;
constexpr std::uint8_t kDevDepMsgIn = 2;
constexpr std::uint8_t kEndOfMessage = 0x01;
constexpr std::size_t kHeaderSize = 12;

constexpr std::uint8_t kInitiateAbortBulkOut = 1;
constexpr std::uint8_t kCheckAbortBulkOutStatus = 2;
constexpr std::uint8_t kInitiateAbortBulkIn = 3;
constexpr std::uint8_t kCheckAbortBulkInStatus = 4;
constexpr std::uint8_t kInitiateClear = 5;
constexpr std::uint8_t kCheckClearStatus = 6;
constexpr std::uint8_t kGetCapabilities = 7;

constexpr std::uint8_t kStatusSuccess = 0x01;
constexpr std::uint8_t kStatusPending = 0x02;
constexpr std::uint8_t kStatusFailed = 0x80;
constexpr std::uint8_t kStatusTransferNotInProgress = 0x81;

std::size_t Aligned(std::size_t size)
{
    return (size + 3) & ~std::size_t{3};
}

std::uint32_t Le32(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::uint8_t NextTag(std::uint8_t tag)
{
    return tag == 255 ? 1 : static_cast<std::uint8_t>(tag + 1);
}

}  // namespace

UsbTmcDeviceModel::UsbTmcDeviceModel(std::uint16_t packetSize, Responder responder)
    : packetSize_(packetSize), responder_(std::move(responder))
{
}

EndpointStatus UsbTmcDeviceModel::BulkOut(const std::uint8_t* data, std::size_t size)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (faults_.stallBulkOut) {
        faults_.stallBulkOut = false;
        outHalted_ = true;
    }
    if (outHalted_) {
        return EndpointStatus::Stall;
    }
    out_.insert(out_.end(), data, data + size);
    TakeTransfers();
    return outHalted_ ? EndpointStatus::Stall : EndpointStatus::Ok;
}

void UsbTmcDeviceModel::TakeTransfers()
{
    while (out_.size() >= kHeaderSize) {
        const std::uint8_t id = out_[0];
        const std::uint8_t tag = out_[1];
        if (tag == 0 || out_[2] != static_cast<std::uint8_t>(~tag) ||
            (id != kDevDepMsgOut && id != kRequestDevDepMsgIn)) {
            // A header the device cannot read: it halts Bulk-OUT, as a
            // USB-TMC device must, and forgets the bytes.
            out_.clear();
            outHalted_ = true;
            return;
        }
        const std::uint32_t size = Le32(&out_[4]);
        if (id == kRequestDevDepMsgIn) {
            out_.erase(out_.begin(), out_.begin() + kHeaderSize);
            pending_ = PendingRequest{tag, size};
            AnswerRequest();
            continue;
        }
        const std::size_t whole = Aligned(kHeaderSize + size);
        if (out_.size() < whole) {
            return;  // the rest of this transfer comes in the next one
        }
        lastOutTag_ = tag;
        const bool end = (out_[8] & kEndOfMessage) != 0;
        message_.append(reinterpret_cast<const char*>(out_.data()) + kHeaderSize, size);
        out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(whole));
        if (end) {
            messages_.push_back(message_);
            std::optional<std::string> reply = responder_(message_);
            message_.clear();
            if (reply) {
                // A new query replaces an unread reply, as a meter's output
                // queue does.
                reply_ = std::move(*reply);
            }
            AnswerRequest();
        }
    }
}

void UsbTmcDeviceModel::AnswerRequest()
{
    if (!pending_ || faults_.silent) {
        return;
    }
    if (faults_.stallBulkIn) {
        faults_.stallBulkIn = false;
        inHalted_ = true;
        pending_.reset();
        return;
    }
    if (reply_.empty()) {
        return;  // answered when a query gives the device something to say
    }
    const PendingRequest request = *pending_;
    pending_.reset();
    std::size_t count = std::min<std::size_t>(request.maxSize, reply_.size());
    std::string data = reply_.substr(0, count);
    reply_.erase(0, count);
    if (faults_.longerThanAsked) {
        data.resize(static_cast<std::size_t>(request.maxSize) + 4, ' ');
        count = data.size();
    }
    const bool end = reply_.empty() && !faults_.neverEndOfMessage;
    const std::uint8_t tag = faults_.wrongTag ? NextTag(request.tag) : request.tag;

    InTransfer transfer;
    transfer.tag = tag;
    transfer.bytes.assign(Aligned(kHeaderSize + count), 0);
    transfer.bytes[0] = kDevDepMsgIn;
    transfer.bytes[1] = tag;
    transfer.bytes[2] = static_cast<std::uint8_t>(~tag);
    for (int i = 0; i < 4; ++i) {
        transfer.bytes[4 + i] = static_cast<std::uint8_t>(count >> (8 * i));
    }
    transfer.bytes[8] = end ? kEndOfMessage : 0;
    std::copy(data.begin(), data.end(), transfer.bytes.begin() + kHeaderSize);
    // The host reads whole packets; a transfer that fills whole packets but
    // less than the host asked for is ended by a zero-length packet.
    const std::size_t asked = Aligned(kHeaderSize + request.maxSize);
    const std::size_t hostCapacity = (asked + packetSize_ - 1) / packetSize_ * packetSize_;
    transfer.zeroLengthPacket =
        transfer.bytes.size() % packetSize_ == 0 && transfer.bytes.size() < hostCapacity;
    in_.push_back(std::move(transfer));
}

std::optional<UsbTmcDeviceModel::InCompletion> UsbTmcDeviceModel::BulkIn(std::size_t capacity)
{
    std::lock_guard<std::mutex> guard(mutex_);
    InCompletion done;
    if (inHalted_) {
        done.status = EndpointStatus::Stall;
        return done;
    }
    if (faults_.endlessBulkIn) {
        done.data.assign(capacity, ' ');
        return done;
    }
    if (!Fill(capacity, nullptr)) {
        return std::nullopt;
    }
    Fill(capacity, &done.data);
    return done;
}

bool UsbTmcDeviceModel::Fill(std::size_t capacity, std::vector<std::uint8_t>* data)
{
    // Without `data` this only finds out whether the host's transfer would
    // end; with it, the bytes are taken off the queue.
    const bool commit = data != nullptr;
    std::size_t got = 0;
    for (std::size_t index = 0; index < in_.size();) {
        InTransfer& transfer = in_[index];
        const std::size_t left = transfer.bytes.size() - transfer.sent;
        const std::size_t take = std::min(left, capacity - got);
        if (commit) {
            data->insert(data->end(), transfer.bytes.begin() + transfer.sent,
                         transfer.bytes.begin() + transfer.sent + take);
            transfer.sent += take;
        }
        got += take;
        if (take < left) {
            return true;  // the host's buffer is full
        }
        const bool shortPacket = transfer.bytes.size() % packetSize_ != 0;
        if (got == capacity && take > 0 && !shortPacket && transfer.zeroLengthPacket) {
            // Full exactly at the end: the zero-length packet is still to come.
            if (commit) {
                transfer.bytes.clear();
                transfer.sent = 0;
            }
            return true;
        }
        const bool zeroLengthPacket = transfer.zeroLengthPacket;
        if (commit) {
            in_.pop_front();
        } else {
            ++index;
        }
        if (got == capacity || shortPacket || zeroLengthPacket) {
            return true;
        }
        // Whole packets and no short one: the host's transfer runs on into
        // the device's next.
    }
    return false;
}

std::optional<std::vector<std::uint8_t>> UsbTmcDeviceModel::ClassRequest(
    std::uint8_t requestType, std::uint8_t request, std::uint16_t value, std::uint16_t index,
    std::uint16_t length)
{
    std::lock_guard<std::mutex> guard(mutex_);
    classRequests_.push_back(request);
    std::vector<std::uint8_t> reply;
    const auto tag = static_cast<std::uint8_t>(value & 0xFF);
    const bool toEndpoint = requestType == 0xA2;
    switch (request) {
    case kInitiateAbortBulkOut:
        if (!toEndpoint || index != kBulkOut) {
            return std::nullopt;
        }
        if (tag == lastOutTag_ || !message_.empty() || !out_.empty()) {
            out_.clear();
            message_.clear();
            reply = {kStatusSuccess, tag};
        } else {
            reply = {kStatusTransferNotInProgress, lastOutTag_};
        }
        break;
    case kCheckAbortBulkOutStatus:
        if (!toEndpoint || index != kBulkOut) {
            return std::nullopt;
        }
        reply = {kStatusSuccess, 0, 0, 0, 0, 0, 0, 0};
        break;
    case kInitiateAbortBulkIn: {
        if (!toEndpoint || index != kBulkIn) {
            return std::nullopt;
        }
        const bool requested = pending_ && pending_->tag == tag;
        const bool queued = std::any_of(in_.begin(), in_.end(),
                                        [](const InTransfer& t) { return !t.bytes.empty(); });
        if (faults_.endlessBulkIn || requested || queued) {
            // The transfer in progress ends with a short packet; nothing
            // after it is sent.
            pending_.reset();
            reply_.clear();
            if (!in_.empty() && in_.front().sent > 0) {
                InTransfer cut = std::move(in_.front());
                cut.bytes.resize(cut.sent);
                cut.zeroLengthPacket = cut.bytes.size() % packetSize_ == 0;
                in_.clear();
                in_.push_back(std::move(cut));
            } else {
                in_.clear();
                InTransfer zlp;
                zlp.zeroLengthPacket = true;
                in_.push_back(zlp);
            }
            reply = {kStatusSuccess, tag};
        } else {
            reply = {kStatusFailed, 0};
        }
        break;
    }
    case kCheckAbortBulkInStatus: {
        if (!toEndpoint || index != kBulkIn) {
            return std::nullopt;
        }
        const bool more = faults_.endlessBulkIn || !in_.empty();
        reply = {more ? kStatusPending : kStatusSuccess, static_cast<std::uint8_t>(more ? 1 : 0),
                 0, 0, 0, 0, 0, 0};
        break;
    }
    case kInitiateClear:
        ClearQueues();
        clearPolls_ = 1;
        reply = {kStatusSuccess};
        break;
    case kCheckClearStatus:
        if (clearPolls_ > 0) {
            --clearPolls_;
            reply = {kStatusPending, 0};
        } else {
            reply = {kStatusSuccess, 0};
        }
        break;
    case kGetCapabilities:
        // USB-TMC 1.00 with USB488 1.00; TermChar supported.
        reply.assign(24, 0);
        reply[0] = kStatusSuccess;
        reply[2] = 0x00;
        reply[3] = 0x01;
        reply[5] = 0x01;
        reply[12] = 0x00;
        reply[13] = 0x01;
        break;
    default:
        return std::nullopt;
    }
    if (reply.size() > length) {
        reply.resize(length);
    }
    return reply;
}

void UsbTmcDeviceModel::ClearQueues()
{
    out_.clear();
    message_.clear();
    reply_.clear();
    pending_.reset();
    in_.clear();
}

void UsbTmcDeviceModel::ClearHalt(std::uint8_t endpoint)
{
    std::lock_guard<std::mutex> guard(mutex_);
    clearedHalts_.push_back(endpoint);
    if (endpoint == kBulkIn) {
        inHalted_ = false;
    } else if (endpoint == kBulkOut) {
        outHalted_ = false;
    }
}

void UsbTmcDeviceModel::SetFaults(const UsbTmcFaults& faults)
{
    std::lock_guard<std::mutex> guard(mutex_);
    faults_ = faults;
}

UsbTmcFaults UsbTmcDeviceModel::Faults() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return faults_;
}

std::vector<std::string> UsbTmcDeviceModel::Messages() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return messages_;
}

std::vector<std::uint8_t> UsbTmcDeviceModel::ClassRequests() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return classRequests_;
}

std::vector<std::uint8_t> UsbTmcDeviceModel::ClearedHalts() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return clearedHalts_;
}

std::size_t UsbTmcDeviceModel::QueuedInBytes() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    std::size_t total = 0;
    for (const InTransfer& transfer : in_) {
        total += transfer.bytes.size() - transfer.sent;
    }
    return total;
}

}  // namespace voltora::usbmock
