#include "sim/MeasurementFunction.h"

#include "sim/ScpiCommand.h"

#include <array>
#include <string>

namespace voltora::sim {
namespace {

constexpr std::array kVoltDcRanges{0.2, 2.0, 20.0, 200.0, 1000.0};
constexpr std::array kVoltAcRanges{0.2, 2.0, 20.0, 200.0, 750.0};
constexpr std::array kCurrDcRanges{0.0002, 0.002, 0.02, 0.2, 2.0, 10.0};
constexpr std::array kCurrAcRanges{0.02, 0.2, 2.0, 10.0};
constexpr std::array kResRanges{200.0, 2e3, 2e4, 2e5, 2e6, 1e7, 1e8};
constexpr std::array kCapRanges{2e-9, 2e-8, 2e-7, 2e-6, 2e-5, 2e-4, 1e-2};

// Indexed by Function.
const std::array<FunctionInfo, kFunctionCount> kFunctions{{
    {Function::VoltDc, "VOLT", "VDC", kVoltDcRanges, 0.0, true, 0.0, 3e-6, 2e-6, Function::VoltDc, true},
    {Function::CurrDc, "CURR", "ADC", kCurrDcRanges, 0.0, true, 0.0, 2e-5, 1e-5, Function::CurrDc, false},
    {Function::VoltAc, "VOLT:AC", "VAC", kVoltAcRanges, 0.0, true, 0.0, 1e-4, 5e-5, Function::VoltAc, true},
    {Function::CurrAc, "CURR:AC", "AAC", kCurrAcRanges, 0.0, true, 0.0, 2e-4, 1e-4, Function::CurrAc, false},
    {Function::Res, "RES", "OHM", kResRanges, 0.0, true, 0.0, 1e-5, 3e-6, Function::Res, false},
    {Function::Fres, "FRES", "OHM", kResRanges, 0.0, true, 0.0, 5e-6, 2e-6, Function::Fres, false},
    {Function::Cap, "CAP", "F", kCapRanges, 0.0, false, 0.1, 1e-3, 5e-4, Function::Cap, false},
    {Function::Freq, "FREQ", "HZ", kVoltAcRanges, 0.0, false, 0.1, 1e-5, 0.0, Function::Freq, false},
    {Function::Per, "PER", "SEC", kVoltAcRanges, 0.0, false, 0.1, 1e-5, 0.0, Function::Freq, false},
    {Function::Cont, "CONT", "OHM", {}, 2400.0, false, 1.0 / 150.0, 1e-4, 2e-6, Function::Cont, false},
    {Function::Diod, "DIOD", "VDC", {}, 5.0, false, 0.02, 2e-5, 1e-5, Function::Diod, false},
    {Function::Temp, "TEMP", "C", {}, 0.0, false, 0.1, 0.0, 0.0, Function::Temp, false},
}};

}  // namespace

const FunctionInfo& Info(Function function)
{
    return kFunctions[static_cast<std::size_t>(function)];
}

std::optional<Function> FunctionFromName(std::string_view name)
{
    const std::string path = NormalisePath(name);
    if (path == "VOLT" || path == "VOLT:DC") {
        return Function::VoltDc;
    }
    if (path == "CURR" || path == "CURR:DC") {
        return Function::CurrDc;
    }
    return FunctionFromKeyWord(path);
}

std::optional<Function> FunctionFromKeyWord(std::string_view keyWord)
{
    for (const FunctionInfo& info : kFunctions) {
        if (info.keyWord == keyWord) {
            return info.function;
        }
    }
    return std::nullopt;
}

std::size_t RangeIndexForValue(std::span<const double> ranges, double value)
{
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        // A small tolerance so that "0.200" or a value that went through a
        // single-precision float still selects the 200 mV range.
        if (value <= ranges[i] * (1.0 + 1e-6)) {
            return i;
        }
    }
    return ranges.empty() ? 0 : ranges.size() - 1;
}

std::size_t FollowAutoRange(std::span<const double> ranges, std::size_t current, double magnitude)
{
    if (ranges.empty()) {
        return 0;
    }
    std::size_t index = current < ranges.size() ? current : ranges.size() - 1;
    while (index + 1 < ranges.size() && magnitude > ranges[index] * kOverRange) {
        ++index;
    }
    constexpr double kDownMargin = 0.9;
    while (index > 0 && magnitude < ranges[index - 1] * kDownMargin) {
        --index;
    }
    return index;
}

}  // namespace voltora::sim
