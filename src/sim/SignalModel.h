#pragma once

#include "sim/MeasurementFunction.h"

#include <array>
#include <cstdint>

namespace voltora::sim {

// What is connected to the meter's input: for each function the true value
// of the quantity it measures (volts, amperes, ohms, farads, hertz, seconds,
// degrees Celsius), with a slow drift so that a trend chart has something to
// show, and the noise the meter adds when it measures it.
class SignalModel {
public:
    explicit SignalModel(std::uint32_t seed, double noiseScale);

    // Restores the signals of a freshly set-up bench.
    void RestoreDefaults();

    // A steady value for `function`, without drift; +infinity stands for an
    // open input. Frequency and period are one signal: setting the period
    // sets the frequency to its inverse.
    void SetValue(Function function, double value);

    // The true value at `timeNs` (nanoseconds on the meter's clock).
    double TrueValue(Function function, std::int64_t timeNs) const;
    // Peak amplitude of the frequency/period input, in volts.
    double InputAmplitude() const { return inputAmplitude_; }

    // One sample of standard normal noise, the same for the same seed and
    // key: the meter's noise depends only on when and what it measured, not
    // on which queries came in between.
    double Gaussian(std::uint64_t key) const;
    double NoiseScale() const { return noiseScale_; }

private:
    struct Signal {
        double value;
        double driftFraction;
        double driftPeriodSeconds;
    };

    Signal& SignalOf(Function function);
    const Signal& SignalOf(Function function) const;

    std::uint64_t seed_;
    double noiseScale_;
    double inputAmplitude_ = 0.5;
    std::array<Signal, kFunctionCount> signals_{};
};

}  // namespace voltora::sim
