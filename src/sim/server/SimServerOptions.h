#pragma once

#include "sim/server/ServedMeter.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace voltora::sim {

// The command line of voltora-sim.
struct SimServerOptions {
    std::string address = "127.0.0.1";
    bool serveSocket = true;
    std::uint16_t socketPort = 5025;
    bool serveVxi11 = true;
    std::uint16_t vxi11Port = 0;  // any free port; clients find it by the portmapper
    bool registerWithRpcbind = true;
    bool ownPortmapper = false;  // answer look-ups on port 111 itself
    bool transcript = false;
    std::chrono::microseconds latency{0};
    std::uint32_t seed = 1;
    double noiseScale = 1.0;
    FaultOptions faults;
    std::size_t maxClients = 64;
    std::chrono::milliseconds sendTimeout{10000};
    bool help = false;
};

// Parses the arguments after the program name. Returns false with `error`
// set when an option is unknown or its value is not valid.
bool ParseSimServerOptions(const std::vector<std::string>& arguments, SimServerOptions& options,
                           std::string& error);

// The --help text.
const char* SimServerUsage();

}  // namespace voltora::sim
