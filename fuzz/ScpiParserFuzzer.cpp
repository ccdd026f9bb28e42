// voltora-sim's SCPI side on any message a client may send: splitting into
// units, parsing headers and arguments, and the simulated meter executing
// the message (every reply ends in "\n").
#include "sim/ScpiCommand.h"
#include "sim/SimulatedMeter.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace voltora::sim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    static SimulatedMeter* meter = [] {
        SimulatedMeterOptions options;
        options.replyLatency = std::chrono::microseconds(0);
        options.transcriptLimit = 16;
        static std::int64_t now = 0;
        // A clock that moves on by a millisecond per look, so runs repeat.
        return new SimulatedMeter(options, [] { return std::chrono::nanoseconds(now += 1000000); });
    }();
    const std::string_view message(reinterpret_cast<const char*>(bytes), size);
    for (const std::string_view unit : SplitProgramMessage(message)) {
        ParseCommand(unit);
        NormalisePath(unit);
        Unquote(unit);
    }
    if (auto reply = meter->Execute(message)) {
        if (reply->empty() || reply->back() != '\n') {
            std::abort();
        }
    }
    return 0;
}
