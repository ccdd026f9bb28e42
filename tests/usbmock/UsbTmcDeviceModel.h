#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voltora::usbmock {

// What a USB endpoint answered to one transfer.
enum class EndpointStatus {
    Ok,
    Stall,  // the endpoint is halted (EPIPE)
};

// Misbehaviour a test can switch on.
struct UsbTmcFaults {
    bool stallBulkIn = false;    // the next reply request halts Bulk-IN instead of replying
    bool stallBulkOut = false;   // the next Bulk-OUT transfer halts Bulk-OUT
    bool silent = false;         // requests for a reply are taken and never answered
    bool wrongTag = false;       // replies carry a bTag other than the request's
    bool longerThanAsked = false;  // a reply's TransferSize exceeds what was asked for
    bool neverEndOfMessage = false;  // EOM is never set
    bool endlessBulkIn = false;  // Bulk-IN keeps sending full packets, aborts or not
};

// The USB-TMC interface of an instrument, at the level of transfers on its
// endpoints: DEV_DEP_MSG_OUT and REQUEST_DEV_DEP_MSG_IN arrive on Bulk-OUT,
// DEV_DEP_MSG_IN transfers wait on Bulk-IN, each ended by a short packet (a
// zero-length one when the transfer fills whole packets and is shorter than
// what the host asked for), and the class requests on the control endpoint
// abort, clear and describe. A complete message is handed to a responder
// (the simulated meter); its reply is the device's output queue.
// Thread-safe: a test flips faults while the bus serves transfers.
class UsbTmcDeviceModel {
public:
    using Responder = std::function<std::optional<std::string>(std::string_view message)>;

    static constexpr std::uint8_t kBulkIn = 0x81;
    static constexpr std::uint8_t kBulkOut = 0x02;
    static constexpr std::uint8_t kInterruptIn = 0x83;

    UsbTmcDeviceModel(std::uint16_t packetSize, Responder responder);

    std::uint16_t PacketSize() const { return packetSize_; }

    // One Bulk-OUT transfer (all of it accepted unless the endpoint is halted).
    EndpointStatus BulkOut(const std::uint8_t* data, std::size_t size);

    // A Bulk-IN transfer of `capacity` bytes the host waits on: filled when
    // the device has enough to end it (capacity reached or a short packet),
    // std::nullopt while the host must go on waiting.
    struct InCompletion {
        EndpointStatus status = EndpointStatus::Ok;
        std::vector<std::uint8_t> data;
    };
    std::optional<InCompletion> BulkIn(std::size_t capacity);

    // A class request on the control endpoint (device to host). Returns the
    // data stage, or std::nullopt for a STALL.
    std::optional<std::vector<std::uint8_t>> ClassRequest(std::uint8_t requestType,
                                                          std::uint8_t request,
                                                          std::uint16_t value,
                                                          std::uint16_t index,
                                                          std::uint16_t length);
    // CLEAR_FEATURE(ENDPOINT_HALT).
    void ClearHalt(std::uint8_t endpoint);

    void SetFaults(const UsbTmcFaults& faults);
    UsbTmcFaults Faults() const;

    // What the device saw (tests).
    std::vector<std::string> Messages() const;
    std::vector<std::uint8_t> ClassRequests() const;  // bRequest of each, in order
    std::vector<std::uint8_t> ClearedHalts() const;
    std::size_t QueuedInBytes() const;

private:
    struct InTransfer {
        std::vector<std::uint8_t> bytes;
        std::size_t sent = 0;
        std::uint8_t tag = 0;
        bool zeroLengthPacket = false;  // a ZLP follows the last full packet
    };
    struct PendingRequest {
        std::uint8_t tag = 0;
        std::uint32_t maxSize = 0;
    };

    void TakeTransfers();  // parses whole transfers out of out_
    void AnswerRequest();  // queues a DEV_DEP_MSG_IN for pending_, if there is a reply
    void ClearQueues();
    bool Fill(std::size_t capacity, std::vector<std::uint8_t>* data);

    const std::uint16_t packetSize_;
    Responder responder_;

    mutable std::mutex mutex_;
    UsbTmcFaults faults_;
    std::vector<std::uint8_t> out_;  // Bulk-OUT bytes not yet parsed
    std::string message_;            // DEV_DEP_MSG_OUT data of the message so far
    std::uint8_t lastOutTag_ = 0;
    std::string reply_;              // output queue: reply bytes not yet framed
    std::optional<PendingRequest> pending_;
    std::deque<InTransfer> in_;
    bool inHalted_ = false;
    bool outHalted_ = false;
    int clearPolls_ = 0;             // CHECK_CLEAR_STATUS answers PENDING this often first
    std::vector<std::string> messages_;
    std::vector<std::uint8_t> classRequests_;
    std::vector<std::uint8_t> clearedHalts_;
};

}  // namespace voltora::usbmock
