#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace voltora::visa {

// A LAN resource string taken apart:
//   TCPIP[board]::host[::device][::INSTR]   a VXI-11 instrument ("inst0" when
//                                           the device name is left out)
//   TCPIP[board]::host::port::SOCKET        a raw TCP socket
// Keywords match regardless of case; the host may be a name, a dotted IPv4
// address or an IPv6 address in brackets.
struct TcpipResource {
    enum class Kind { Instrument, Socket };

    Kind kind = Kind::Instrument;
    unsigned board = 0;
    std::string host;
    std::string device = "inst0";  // Instrument only
    std::uint16_t port = 0;        // Socket only
};

std::optional<TcpipResource> ParseTcpipResource(std::string_view resource);

}  // namespace voltora::visa
