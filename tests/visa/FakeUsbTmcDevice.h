#pragma once

#include "visa/UsbTmcTransport.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace voltora::testing {

// A USB-TMC instrument behind the transfer interface, speaking the protocol
// byte by byte as a device would, with misbehaviour a test can ask for.
// Shared state lives in a Device so that a test keeps a handle on it while
// the session owns the transport.
class FakeUsbTmcDevice {
public:
    using Handler = std::function<std::optional<std::string>(const std::string& message)>;

    struct ControlRequest {
        std::uint8_t request;
        std::uint16_t value;
        std::uint16_t index;
    };

    explicit FakeUsbTmcDevice(Handler handler, std::uint16_t packetSize = 64);

    std::unique_ptr<visa::IUsbTmcTransport> MakeTransport();

    // Misbehaviour.
    void SetMaxReplyPerTransfer(std::size_t bytes);  // 0: as much as asked for
    void SetNeverEndOfMessage(bool never);
    void SetHeaderInOwnTransfer(bool split);
    // The next request for a reply is not answered until it is aborted; the
    // reply then sits in the device, partly sent, to be drained.
    void HangNextReply();
    // The next Bulk-OUT transfer times out.
    void HangNextBulkOut();
    // Bulk-IN never stops: a full transfer of filler every `perTransfer`,
    // and an abort's status check always finds more to drain.
    void KeepSending(std::chrono::milliseconds perTransfer);
    // A complete reply transfer with an old tag waits ahead of the next one.
    void QueueStaleTransfer(std::uint8_t tag, const std::string& data);

    std::vector<std::string> Messages() const;
    std::vector<ControlRequest> ControlRequests() const;
    std::vector<std::uint8_t> ClearedHalts() const;
    std::vector<std::uint8_t> RequestTags() const;  // bTags of REQUEST_DEV_DEP_MSG_IN
    std::size_t QueuedBytes() const;                // Bulk-IN bytes not yet read

    static constexpr std::uint8_t kBulkIn = 0x81;
    static constexpr std::uint8_t kBulkOut = 0x02;

private:
    class Transport;
    friend class Transport;

    void QueueReplyTransfer(std::uint8_t tag, std::uint32_t maxSize);

    Handler handler_;
    std::uint16_t packetSize_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<std::uint8_t>> transfers_;  // Bulk-IN, each ends with a short packet
    std::string message_;                             // DEV_DEP_MSG_OUT data so far
    std::string reply_;                               // reply not yet sent
    std::vector<std::string> messages_;
    std::vector<ControlRequest> controls_;
    std::vector<std::uint8_t> clearedHalts_;
    std::vector<std::uint8_t> requestTags_;
    std::size_t maxReplyPerTransfer_ = 0;
    bool neverEom_ = false;
    bool splitHeader_ = false;
    bool hangNextReply_ = false;
    std::optional<std::uint8_t> hungTag_;
    int abortPendingPolls_ = 0;
    bool hangNextBulkOut_ = false;
    std::optional<std::chrono::milliseconds> keepSending_;
    bool cancelled_ = false;
};

}  // namespace voltora::testing
