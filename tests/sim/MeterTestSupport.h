#pragma once

#include "sim/SimulatedMeter.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace voltora::sim::test {

// A simulated meter on a clock the test moves by hand.
class ManualMeter {
public:
    explicit ManualMeter(SimulatedMeterOptions options = {})
        : time_(std::make_shared<std::atomic<std::int64_t>>(1'000'000'000)),
          meter_(options, [time = time_] { return std::chrono::nanoseconds(time->load()); })
    {
    }

    SimulatedMeter& Meter() { return meter_; }

    // The reply, or an empty text when the meter stayed silent.
    std::string Query(std::string_view text) { return meter_.Execute(text).value_or(std::string()); }
    // Sends a command and checks it asked for nothing back.
    bool Send(std::string_view text) { return !meter_.Execute(text).has_value(); }

    void AdvanceMs(double milliseconds) { *time_ += static_cast<std::int64_t>(milliseconds * 1e6); }
    int Points() { return std::stoi(Query("DATA:POINts?")); }

private:
    std::shared_ptr<std::atomic<std::int64_t>> time_;
    SimulatedMeter meter_;
};

// Options for tests that compare values exactly.
inline SimulatedMeterOptions Noiseless()
{
    SimulatedMeterOptions options;
    options.noiseScale = 0.0;
    return options;
}

}  // namespace voltora::sim::test
