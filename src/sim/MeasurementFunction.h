#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace voltora::sim {

// The meter's measurement functions.
enum class Function {
    VoltDc,
    CurrDc,
    VoltAc,
    CurrAc,
    Res,
    Fres,
    Cap,
    Freq,
    Per,
    Cont,
    Diod,
    Temp,
};
inline constexpr std::size_t kFunctionCount = 12;

// What the meter knows about one function: its names, its reading unit, its
// ranges and how fast and how cleanly it measures.
struct FunctionInfo {
    Function function;
    // The word "FUNCTION?" answers, between quotes ("VOLT" for DC voltage).
    std::string_view keyWord;
    // The unit after a reading in "DATA:LAST?" ("VDC").
    std::string_view unitText;
    // Full-scale values of the ranges, lowest first; empty for functions
    // without ranges. For frequency and period these are the input voltage
    // ranges.
    std::span<const double> ranges;
    // Functions without ranges overload above this magnitude.
    double overloadLimit;
    // True when the integration time (NPLC) sets the reading rate and noise.
    bool hasSpeed;
    // Time per reading of functions without a speed setting.
    double fixedIntervalSeconds;
    // Noise at the slowest speed, one standard deviation: a fraction of the
    // reading plus a fraction of the range (of overloadLimit without ranges).
    double noiseOfReading;
    double noiseOfRange;
    // The function whose settings this one uses (period shares frequency's).
    Function settingsOwner;
    // dB/dBm scaling applies (the voltage functions).
    bool scalable;
};

const FunctionInfo& Info(Function function);

// Function from the argument of "FUNC" in any accepted spelling ("VOLT:DC",
// "volt", "VOLTage:AC", "DIODe"); nothing for an unknown one.
std::optional<Function> FunctionFromName(std::string_view name);
// Function from the key word the program uses ("VOLT", "CURR:AC", "PER").
std::optional<Function> FunctionFromKeyWord(std::string_view keyWord);

// Readings beyond this multiple of the range are overloads.
inline constexpr double kOverRange = 1.2;

// Index of the smallest range whose full scale is at least `value` (the top
// range for larger values); how a range given as a number is chosen.
std::size_t RangeIndexForValue(std::span<const double> ranges, double value);

// The range automatic ranging moves to from `current` for a signal of
// magnitude `magnitude`: up as soon as it overloads the current range, down
// only once it fits the next lower range with a margin, so that a signal near
// a range boundary does not make it hunt.
std::size_t FollowAutoRange(std::span<const double> ranges, std::size_t current, double magnitude);

}  // namespace voltora::sim
