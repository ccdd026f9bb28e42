#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace voltora::visa {

// A VXI-11 instrument that answered on the local network.
struct FoundInstrument {
    std::string address;       // dotted IPv4 address it answered from
    std::uint16_t port = 0;    // its core channel's TCP port
    std::string identity;      // its "*IDN?" reply; empty when it gave none
    std::string resource() const { return "TCPIP0::" + address + "::inst0::INSTR"; }
};

struct DiscoveryOptions {
    // How long answers to the broadcast are collected.
    std::chrono::milliseconds window{1000};
    // How long each instrument has to give its identity (counted from its
    // answer; identities are read while the window is still open).
    std::chrono::milliseconds identityTimeout{2000};
    // Where the query is broadcast; empty: every IPv4 interface's
    // broadcast address, 127.255.255.255 for the loopback interface.
    std::vector<std::string> broadcastAddresses;
    std::uint16_t portmapperPort = 111;
};

// Finds VXI-11 instruments the way the field does: a portmapper GETPORT for
// the VXI-11 core program over UDP, broadcast on every local network;
// every host with a port for it is then asked "*IDN?" over a link to that
// port. Sorted by address. Blocks for the window and the slowest identity.
std::vector<FoundInstrument> FindVxi11Instruments(const DiscoveryOptions& options = {});

// The broadcast addresses of the host's IPv4 interfaces that are up.
std::vector<std::string> LocalBroadcastAddresses();

// The UDP call (no record mark) asking the portmapper for the core
// program's TCP port, and the decoding of its reply: false unless `reply`
// is an accepted answer to call `xid`.
std::vector<char> EncodeGetPortCall(std::uint32_t xid);
bool DecodeGetPortReply(const char* reply, std::size_t size, std::uint32_t xid,
                        std::uint16_t& port);

}  // namespace voltora::visa
