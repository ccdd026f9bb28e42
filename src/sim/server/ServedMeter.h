#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace voltora::sim {

// Misbehaviour the server can be told to show, for reliability tests of the
// clients. Each applies to the replies it is told to fault.
struct FaultOptions {
    // Wait this long before a reply is sent (a meter that hangs).
    std::chrono::milliseconds silent{0};
    // Send a reply in pieces of this many bytes (0: whole)...
    std::size_t chunkBytes = 0;
    // ...with this pause between the pieces.
    std::chrono::milliseconds chunkPause{0};
    // Close the connection after sending half of a reply.
    bool closeMidReply = false;
    // Replace a reply's bytes by junk of the same length.
    bool garbage = false;
    // Fault only replies to messages that start with this text (empty: all).
    std::string match;
    // Fault at most this many replies (negative: no limit).
    int count = -1;
};

// How one reply is to be sent.
struct ServedReply {
    std::string bytes;
    // Time to wait before sending: reply latency plus any fault silence.
    std::chrono::microseconds delay{0};
    std::size_t chunkBytes = 0;
    std::chrono::milliseconds chunkPause{0};
    bool closeMidReply = false;
};

// The instrument behind the network servers: runs each message through the
// handler (the simulated meter), writes the transcript, and decides which
// replies carry a fault. Thread-safe.
class ServedMeter {
public:
    using Handler = std::function<std::optional<std::string>(std::string_view message)>;

    ServedMeter(Handler handler, FaultOptions faults, std::chrono::microseconds latency,
                bool transcript);

    // Executes one message (without terminator); the reply to send, if any.
    std::optional<ServedReply> Execute(std::string_view message);

    // What the instrument does with a message longer than it takes (it
    // queues an error); set before serving starts.
    void SetOverlongHandler(std::function<void()> handler) { overlong_ = std::move(handler); }
    // A message longer than the server takes arrived and was thrown away.
    void RejectOverlong();

private:
    bool TakeFault(std::string_view message);

    Handler handler_;
    std::function<void()> overlong_;
    FaultOptions faults_;
    std::chrono::microseconds latency_;
    bool transcript_;
    std::mutex mutex_;
    int faultsLeft_;
    std::uint32_t junkState_ = 0x2545F491u;
};

}  // namespace voltora::sim
