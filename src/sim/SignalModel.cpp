#include "sim/SignalModel.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace voltora::sim {
namespace {

std::uint64_t SplitMix64(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// Uniform in (0, 1], from the top 53 bits.
double Unit(std::uint64_t bits)
{
    return (static_cast<double>(bits >> 11) + 1.0) * 0x1.0p-53;
}

}  // namespace

SignalModel::SignalModel(std::uint32_t seed, double noiseScale)
    : seed_(SplitMix64(seed)), noiseScale_(noiseScale < 0.0 ? 0.0 : noiseScale)
{
    RestoreDefaults();
}

void SignalModel::RestoreDefaults()
{
    constexpr double kOpen = std::numeric_limits<double>::infinity();
    // A bench with a few things connected: a cell on the voltage input, a
    // small load current, a resistor, a film capacitor, a 1 kHz generator, a
    // silicon diode, and a thermocouple at room temperature. The continuity
    // probes are open.
    SignalOf(Function::VoltDc) = {1.50321, 4e-4, 47.0};
    SignalOf(Function::CurrDc) = {0.0124, 1e-3, 31.0};
    SignalOf(Function::VoltAc) = {0.70712, 5e-4, 53.0};
    SignalOf(Function::CurrAc) = {0.04523, 1e-3, 37.0};
    SignalOf(Function::Res) = {4700.31, 1e-5, 61.0};
    SignalOf(Function::Fres) = {4700.11, 1e-5, 61.0};
    SignalOf(Function::Cap) = {1.0023e-7, 2e-4, 43.0};
    SignalOf(Function::Freq) = {1000.02, 2e-6, 29.0};
    SignalOf(Function::Cont) = {kOpen, 0.0, 1.0};
    SignalOf(Function::Diod) = {0.6123, 2e-4, 41.0};
    SignalOf(Function::Temp) = {23.4, 4e-3, 67.0};
    inputAmplitude_ = 0.5;
}

void SignalModel::SetValue(Function function, double value)
{
    if (function == Function::Per) {
        function = Function::Freq;
        // A period that cannot be measured (none, or endless) is no signal.
        value = (value > 0.0 && std::isfinite(value)) ? 1.0 / value : 0.0;
    }
    SignalOf(function) = {value, 0.0, 1.0};
}

double SignalModel::TrueValue(Function function, std::int64_t timeNs) const
{
    const Signal& signal = SignalOf(function == Function::Per ? Function::Freq : function);
    double value = signal.value;
    if (signal.driftFraction != 0.0 && std::isfinite(value)) {
        const double t = static_cast<double>(timeNs) * 1e-9;
        value *= 1.0 + signal.driftFraction * std::sin(2.0 * std::numbers::pi * t / signal.driftPeriodSeconds);
    }
    if (function == Function::Per) {
        return value > 0.0 ? 1.0 / value : 0.0;
    }
    return value;
}

double SignalModel::Gaussian(std::uint64_t key) const
{
    const std::uint64_t a = SplitMix64(seed_ ^ key);
    const std::uint64_t b = SplitMix64(a);
    return std::sqrt(-2.0 * std::log(Unit(a))) * std::cos(2.0 * std::numbers::pi * Unit(b));
}

SignalModel::Signal& SignalModel::SignalOf(Function function)
{
    return signals_[static_cast<std::size_t>(function)];
}

const SignalModel::Signal& SignalModel::SignalOf(Function function) const
{
    return signals_[static_cast<std::size_t>(function)];
}

}  // namespace voltora::sim
