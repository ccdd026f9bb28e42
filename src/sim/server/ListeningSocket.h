#pragma once

#include <cstdint>
#include <string>

namespace voltora::sim {

// Opens a TCP socket listening on address:port (port 0: any free port).
// Returns the descriptor, or -1 with `error` describing why.
int ListenTcp(const std::string& address, std::uint16_t port, std::string& error);

// The local port a socket is bound to; 0 when unknown.
std::uint16_t LocalPort(int fd);

}  // namespace voltora::sim
