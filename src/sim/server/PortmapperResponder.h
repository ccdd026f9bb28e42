#pragma once

#include "sim/server/StopSignal.h"

#include <cstdint>
#include <string>

namespace voltora::sim {

// The portmapper of a LAN meter's firmware, for hosts without rpcbind (or
// several simulated meters on one host, each on an address of its own):
// answers GETPORT for the VXI-11 core program over UDP, broadcasts to the
// address's network included, and over TCP, on the served address. Every
// other program is "not registered" (port 0).
class PortmapperResponder {
public:
    explicit PortmapperResponder(const StopSignal& stop);
    ~PortmapperResponder();
    PortmapperResponder(const PortmapperResponder&) = delete;
    PortmapperResponder& operator=(const PortmapperResponder&) = delete;

    // Listens on `address` (an IPv4 address), port `port`, answering with
    // `corePort`.
    bool Listen(const std::string& address, std::uint16_t corePort, std::string& error,
                std::uint16_t port = 111);
    // Serves until the stop signal.
    void Run();

private:
    void AnswerDatagram(int fd);
    void AnswerConnection();
    std::uint16_t PortFor(const char* arguments, std::size_t size, bool& ok) const;

    const StopSignal& stop_;
    std::uint16_t corePort_ = 0;
    int unicastFd_ = -1;    // UDP on the address; answers leave from here
    int broadcastFd_ = -1;  // UDP on the network's broadcast address
    int tcpFd_ = -1;
};

}  // namespace voltora::sim
