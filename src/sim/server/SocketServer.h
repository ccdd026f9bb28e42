#pragma once

#include "sim/server/ServedMeter.h"
#include "sim/server/StopSignal.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace voltora::sim {

// What one raw-socket server lets its clients use.
struct SocketServerLimits {
    // Clients served at once; one more is told so and disconnected.
    std::size_t maxConnections = 64;
    // The longest message (command line) kept, as a meter's input buffer
    // would: a longer one is answered with an error and thrown away up to
    // its newline.
    std::size_t maxMessageBytes = std::size_t{1} << 20;
    // How long a reply may wait for a client that does not read before the
    // connection is given up.
    std::chrono::milliseconds sendTimeout{10000};
};

// Serves the meter on a raw TCP socket: each line received ("\n" ends a
// message, a "\r" before it is dropped) is one message; a reply is sent as
// the meter gives it, ending in "\n". Every connection has a thread of its
// own, so clients may come one after another or at once.
class SocketServer {
public:
    // The line a client beyond SocketServerLimits::maxConnections receives
    // before the server closes its connection.
    static constexpr const char* kBusyMessage = "voltora-sim: too many clients, try again later\n";

    SocketServer(ServedMeter& meter, const StopSignal& stop, SocketServerLimits limits = {});
    ~SocketServer();
    SocketServer(const SocketServer&) = delete;
    SocketServer& operator=(const SocketServer&) = delete;

    bool Listen(const std::string& address, std::uint16_t port, std::string& error);
    std::uint16_t Port() const { return port_; }

    // Accepts and serves connections until the stop signal; then closes them
    // all and returns.
    void Run();

    // Connections being served now.
    std::size_t ConnectionCount() const { return served_.load(); }

private:
    struct Connection {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    // Takes one queued client; false when none was there (or none could be
    // taken).
    bool Accept();
    void Serve(Connection& connection);
    // Sends a reply as told (delay, chunks, mid-reply close); false when the
    // connection is to be closed.
    bool SendReply(int fd, const ServedReply& reply);
    // Sends everything, waiting for the client to take it at most the send
    // time-out (and never past the stop signal).
    bool SendAll(int fd, const char* data, std::size_t size);
    void JoinFinished(bool all);

    ServedMeter& meter_;
    const StopSignal& stop_;
    SocketServerLimits limits_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::list<std::unique_ptr<Connection>> connections_;
    std::atomic<std::size_t> served_{0};
};

}  // namespace voltora::sim
