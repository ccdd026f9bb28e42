#pragma once

#include "sim/server/ServedMeter.h"
#include "sim/server/StopSignal.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace voltora::sim {

// Serves the meter on a raw TCP socket: each line received ("\n" ends a
// message, a "\r" before it is dropped) is one message; a reply is sent as
// the meter gives it, ending in "\n". Every connection has a thread of its
// own, so clients may come one after another or at once.
class SocketServer {
public:
    SocketServer(ServedMeter& meter, const StopSignal& stop);
    ~SocketServer();
    SocketServer(const SocketServer&) = delete;
    SocketServer& operator=(const SocketServer&) = delete;

    bool Listen(const std::string& address, std::uint16_t port, std::string& error);
    std::uint16_t Port() const { return port_; }

    // Accepts and serves connections until the stop signal; then closes them
    // all and returns.
    void Run();

private:
    struct Connection {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void Serve(Connection& connection);
    // Sends a reply as told (delay, chunks, mid-reply close); false when the
    // connection is to be closed.
    bool SendReply(int fd, const ServedReply& reply);
    bool SendAll(int fd, const char* data, std::size_t size);
    void JoinFinished(bool all);

    ServedMeter& meter_;
    const StopSignal& stop_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::list<std::unique_ptr<Connection>> connections_;
};

}  // namespace voltora::sim
