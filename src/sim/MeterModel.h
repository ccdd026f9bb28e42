#pragma once

#include "sim/HistogramRecord.h"
#include "sim/MeasurementFunction.h"
#include "sim/MeterSettings.h"
#include "sim/ReadingMemory.h"
#include "sim/ReadingStatistics.h"
#include "sim/SignalModel.h"
#include "sim/TransducerCatalogue.h"
#include "sim/TrendRecord.h"
#include "sim/TriggerSystem.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace voltora::sim {

// The simulated instrument itself, without its command language: the
// selected function and its settings, the trigger system, and the records
// every reading goes to (reading memory, statistics, trend, histogram).
//
// Readings are produced lazily: AdvanceTo(now) takes every reading that fell
// due since the previous call, at the times the trigger system scheduled
// them, so the meter behaves as if it had been measuring all along without
// any thread of its own. Callers advance to the present before they look at
// or change anything.
class MeterModel {
public:
    MeterModel(std::uint32_t seed, double noiseScale, std::int64_t nowNs);

    // Power-on state: DC voltage, automatic range, acquiring continuously.
    // What is connected to the input and the stored user tables stay.
    void Reset(std::int64_t nowNs);
    void AdvanceTo(std::int64_t nowNs);

    // Function selection. A change clears the acquisition records and, while
    // acquiring, restarts acquisition in the new function.
    Function CurrentFunction() const { return current_; }
    void SelectFunction(Function function, std::int64_t nowNs);

    MeasurementSettings& Settings(Function function);
    // The range index in force for a ranged function (automatic ranging
    // follows the input even while the function is not selected).
    std::size_t RangeIndex(Function function, std::int64_t nowNs);
    void SetAutoRange(Function function, bool on, std::int64_t nowNs);
    void SetManualRange(Function function, std::size_t index);

    // Null: switching it on, or switching on the automatic null value while
    // it is on, takes the present input as the null value.
    void SetNull(Function function, bool on, std::int64_t nowNs);
    void SetNullAuto(Function function, bool on, std::int64_t nowNs);
    void SetNullValue(Function function, double value);
    // The same for the temperature function, in its display unit.
    void SetTemperatureNull(bool on, std::int64_t nowNs);
    void SetTemperatureNullAuto(bool on, std::int64_t nowNs);
    void SetTemperatureNullValue(double valueInUnit);
    double TemperatureNullValue() const;

    // Trigger system: "INIT" starts a new acquisition (clearing memory,
    // statistics, trend and histogram), "ABORt" stops it.
    TriggerSystem& Trigger() { return trigger_; }
    void Initiate(std::int64_t nowNs);
    void Abort() { trigger_.Stop(); }
    // Time between readings of the selected function at its speed.
    std::int64_t ReadingIntervalNs() const;

    const ReadingMemory& Memory() const { return memory_; }
    ReadingStatistics& Statistics() { return statistics_; }
    TrendRecord& Trend() { return trend_; }
    HistogramRecord& Histogram() { return histogram_; }
    // "CALC:AVER:CLE": statistics and trend start afresh.
    void ClearStatistics();

    // The newest reading since the function was selected, with its unit.
    bool HasLastReading() const { return hasLastReading_; }
    double LastReading() const { return lastReading_; }
    std::string_view LastReadingUnit() const { return lastUnit_; }
    // Raw sensor value (volts or ohms) of the newest temperature reading,
    // and whether the sensor that gave it was an RTD: after a sensor change
    // the value still belongs to the old sensor until the next reading.
    bool HasLastRawValue() const { return hasLastRaw_; }
    double LastRawValue() const { return lastRaw_; }
    bool LastRawFromRtd() const { return lastRawRtd_; }

    ScaleSettings& Scale() { return scale_; }
    void SetScaleReferenceAuto(bool on, std::int64_t nowNs);
    LimitSettings& Limits() { return limits_; }
    SystemSettings& System() { return system_; }

    TemperatureSettings& Temperature() { return temperature_; }
    TransducerCatalogue& Transducers() { return transducers_; }
    // Selects a table from the catalogue; false when there is none by that name.
    bool SelectTransducer(bool userDefined, bool rtd, std::string_view name);

    SignalModel& Signals() { return signals_; }

private:
    struct Measurement {
        double value;  // in the function's base unit (degrees Celsius for temperature)
        double raw;    // temperature only: the sensor's raw value
    };

    Measurement Measure(Function function, std::int64_t timeNs, std::uint64_t salt);
    Measurement MeasureRanged(Function function, std::int64_t timeNs, double noise);
    Measurement MeasureFrequency(Function function, std::int64_t timeNs, double noise);
    Measurement MeasureTemperature(std::int64_t timeNs, double noise);
    // Null, unit and dB/dBm applied to a measurement of the selected function.
    double DisplayedValue(const Measurement& measurement) const;
    double Dbm(double volts) const;
    double Decibels(double volts) const;
    void TakeReading(std::int64_t timeNs);
    void ClearRecords();
    void CaptureNull(Function function, std::int64_t nowNs);
    void CaptureTemperatureNull(std::int64_t nowNs);
    void UpdateLastUnit();

    SignalModel signals_;
    Function current_ = Function::VoltDc;
    std::array<MeasurementSettings, kFunctionCount> settings_{};
    TemperatureSettings temperature_;
    std::shared_ptr<const TransducerTable> transducer_;
    TransducerCatalogue transducers_;
    ScaleSettings scale_;
    LimitSettings limits_;
    SystemSettings system_;

    TriggerSystem trigger_;
    ReadingMemory memory_;
    ReadingStatistics statistics_;
    TrendRecord trend_;
    HistogramRecord histogram_;

    bool hasLastReading_ = false;
    double lastReading_ = 0.0;
    std::string_view lastUnit_ = "VDC";
    bool hasLastRaw_ = false;
    double lastRaw_ = 0.0;
    bool lastRawRtd_ = false;
};

}  // namespace voltora::sim
