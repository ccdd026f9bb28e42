#pragma once

#include "sim/TransducerTable.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voltora::sim {

struct SimulatedMeterOptions {
    // Seed of the noise generator; the same seed and the same clock give the
    // same readings.
    std::uint32_t seed = 1;
    // Multiplier on each function's natural noise; 0 gives noiseless readings.
    double noiseScale = 1.0;
    // Time between a query's arrival and its reply becoming readable, as a
    // real link would take. About one USB-TMC round trip by default.
    std::chrono::microseconds replyLatency{1000};
    // The transcript keeps the newest this many messages (0: no limit), so
    // that a meter polled for hours does not grow without bound.
    std::size_t transcriptLimit = 100000;
};

// A ZAN bench multimeter simulated in-process. It accepts one complete
// program message at a time (as a client writes it) and answers queries in
// the forms the real meter uses. Thread-safe: several clients may call it.
class SimulatedMeter {
public:
    // Monotonic time source; tests pass a manual clock to control acquisition.
    using Clock = std::function<std::chrono::nanoseconds()>;

    explicit SimulatedMeter(SimulatedMeterOptions options = {}, Clock clock = {});
    ~SimulatedMeter();
    SimulatedMeter(const SimulatedMeter&) = delete;
    SimulatedMeter& operator=(const SimulatedMeter&) = delete;

    // Executes one program message (trailing "\n" optional). Returns the
    // reply, ending in "\n", when the message was a query; std::nullopt when
    // it asked for nothing.
    std::optional<std::string> Execute(std::string_view message);

    // Every message received, in order, without its terminator (the newest
    // SimulatedMeterOptions::transcriptLimit of them).
    std::vector<std::string> Transcript() const;
    void ClearTranscript();

    std::chrono::microseconds ReplyLatency() const;
    void SetReplyLatency(std::chrono::microseconds latency);

    // Power cycle: every setting back to its power-on value, acquiring in DC
    // voltage. The input signals and stored user tables stay.
    void Reset();

    // What is connected to the input of the function with this key word
    // ("VOLT", "CURR:AC", "RES", "FREQ", "PER", "TEMP" in degrees Celsius,
    // ...): a steady value from now on; +infinity is an open input. False for
    // an unknown key word.
    bool SetSignal(std::string_view keyWord, double value);

    // Stores a user-defined transducer table (as the meter's own menus
    // would); false when the name or the points are not acceptable.
    bool AddUserTransducer(bool rtd, std::string name, std::vector<TransducerPoint> points);

    // Fault knob: while unresponsive the meter records what it receives but
    // neither acts nor answers, as a meter that hung or lost its link.
    void SetUnresponsive(bool unresponsive);

    // Puts an error into the error queue, as the meter's input stage does
    // for a message it had to throw away (for example -223 "Too much data").
    void ReportError(int code, std::string_view text);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace voltora::sim
