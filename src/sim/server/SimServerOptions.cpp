#include "sim/server/SimServerOptions.h"

#include "platform/CNumbers.h"

#include <limits>

namespace voltora::sim {
namespace {

// A whole field of decimal digits no larger than `maximum`.
bool ParseUnsigned(const std::string& text, unsigned long long maximum, unsigned long long& value)
{
    if (text.empty() || text.size() > 19) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned long long>(c - '0');
    }
    return value <= maximum;
}

// A plain decimal number such as "0.5" or "2", parsed in the C locale.
bool ParseNonNegativeReal(const std::string& text, double& value)
{
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos ||
        text.find('.') != text.rfind('.') || text == ".") {
        return false;
    }
    value = platform::CAtof(text);
    return true;
}

}  // namespace

const char* SimServerUsage()
{
    return "Usage: voltora-sim [OPTION]...\n"
           "Serves the simulated ZAN meter on the network: VXI-11 (registered with rpcbind)\n"
           "and a raw socket. Runs until SIGINT or SIGTERM. Prints one line\n"
           "\"ready socket=PORT vxi11=PORT\" on standard output once it accepts clients.\n"
           "\n"
           "  --address A          address to listen on (default 127.0.0.1)\n"
           "  --socket-port N      raw socket port (default 5025; 0: any free port)\n"
           "  --vxi11-port N       VXI-11 core channel port (default 0: any free port)\n"
           "  --no-socket          do not serve the raw socket\n"
           "  --no-vxi11           do not serve VXI-11\n"
           "  --no-rpcbind         serve VXI-11 without registering with rpcbind\n"
           "  --portmapper         answer portmapper look-ups (TCP and UDP, broadcasts\n"
           "                       included) on port 111 of the address, as a LAN meter\n"
           "                       does, instead of registering with rpcbind\n"
           "  --transcript         print every message and reply on standard error\n"
           "  --latency-us N       wait N microseconds before each reply (default 0)\n"
           "  --seed N             seed of the readings' noise (default 1)\n"
           "  --noise X            noise scale, 0 for noiseless readings (default 1)\n"
           "Faults, for reliability tests:\n"
           "  --silent-ms N        stay silent N ms before a reply\n"
           "  --chunk-bytes N      send replies in pieces of N bytes\n"
           "  --chunk-pause-ms N   pause N ms between the pieces\n"
           "  --close-mid-reply    close the connection halfway through a reply\n"
           "  --garbage            answer junk instead of the reply\n"
           "  --fault-match TEXT   fault only replies to messages starting with TEXT\n"
           "  --fault-count N      fault at most N replies\n"
           "  --max-clients N      serve at most N raw-socket clients at once (default 64)\n"
           "  --send-timeout-ms N  give up a client that takes no reply for N ms (default 10000)\n"
           "  --help               show this text\n";
}

bool ParseSimServerOptions(const std::vector<std::string>& arguments, SimServerOptions& options,
                           std::string& error)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        const std::string value = hasValue ? arguments[i + 1] : std::string();
        unsigned long long number = 0;
        auto needNumber = [&](unsigned long long maximum) {
            if (!hasValue || !ParseUnsigned(value, maximum, number)) {
                error = "option " + name + " needs a whole number no larger than " +
                        platform::CFormat("%llu", maximum);
                return false;
            }
            ++i;
            return true;
        };
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--address") {
            if (!hasValue || value.empty()) {
                error = "option --address needs an address";
                return false;
            }
            options.address = value;
            ++i;
        } else if (name == "--socket-port") {
            if (!needNumber(65535)) {
                return false;
            }
            options.socketPort = static_cast<std::uint16_t>(number);
        } else if (name == "--vxi11-port") {
            if (!needNumber(65535)) {
                return false;
            }
            options.vxi11Port = static_cast<std::uint16_t>(number);
        } else if (name == "--no-socket") {
            options.serveSocket = false;
        } else if (name == "--no-vxi11") {
            options.serveVxi11 = false;
        } else if (name == "--no-rpcbind") {
            options.registerWithRpcbind = false;
        } else if (name == "--portmapper") {
            options.ownPortmapper = true;
            options.registerWithRpcbind = false;
        } else if (name == "--transcript") {
            options.transcript = true;
        } else if (name == "--latency-us") {
            if (!needNumber(60'000'000)) {
                return false;
            }
            options.latency = std::chrono::microseconds(number);
        } else if (name == "--seed") {
            if (!needNumber(std::numeric_limits<std::uint32_t>::max())) {
                return false;
            }
            options.seed = static_cast<std::uint32_t>(number);
        } else if (name == "--noise") {
            if (!hasValue || !ParseNonNegativeReal(value, options.noiseScale)) {
                error = "option --noise needs a number such as 0 or 0.5";
                return false;
            }
            ++i;
        } else if (name == "--silent-ms") {
            if (!needNumber(3'600'000)) {
                return false;
            }
            options.faults.silent = std::chrono::milliseconds(number);
        } else if (name == "--chunk-bytes") {
            if (!needNumber(1u << 30)) {
                return false;
            }
            options.faults.chunkBytes = static_cast<std::size_t>(number);
        } else if (name == "--chunk-pause-ms") {
            if (!needNumber(3'600'000)) {
                return false;
            }
            options.faults.chunkPause = std::chrono::milliseconds(number);
        } else if (name == "--close-mid-reply") {
            options.faults.closeMidReply = true;
        } else if (name == "--garbage") {
            options.faults.garbage = true;
        } else if (name == "--fault-match") {
            if (!hasValue) {
                error = "option --fault-match needs a text";
                return false;
            }
            options.faults.match = value;
            ++i;
        } else if (name == "--fault-count") {
            if (!needNumber(std::numeric_limits<int>::max())) {
                return false;
            }
            options.faults.count = static_cast<int>(number);
        } else if (name == "--max-clients") {
            if (!needNumber(100000) || number == 0) {
                error = "option --max-clients needs a whole number from 1 to 100000";
                return false;
            }
            options.maxClients = static_cast<std::size_t>(number);
        } else if (name == "--send-timeout-ms") {
            if (!needNumber(3'600'000) || number == 0) {
                error = "option --send-timeout-ms needs a whole number from 1 to 3600000";
                return false;
            }
            options.sendTimeout = std::chrono::milliseconds(number);
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    if (!options.serveSocket && !options.serveVxi11) {
        error = "nothing to serve: both --no-socket and --no-vxi11 given";
        return false;
    }
    return true;
}

}  // namespace voltora::sim
