#include "sim/MeterModel.h"

#include <cmath>

namespace voltora::sim {
namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
// One power-line cycle at 50 Hz, and the meter's fixed overhead per reading:
// NPLC 10, 1 and 0.3 then give about 5, 50 and 150 readings a second.
constexpr double kPowerLineCycleNs = 20'000'000.0;
constexpr double kReadingOverheadNs = 667'000.0;
// A frequency counter needs at least this share of its range to trigger.
constexpr double kCounterSensitivity = 1e-3;
// Noise on a temperature, in degrees Celsius (one standard deviation).
constexpr double kTemperatureNoise = 0.02;

// Distinct noise for each reading time, function and purpose.
std::uint64_t NoiseKey(Function function, std::int64_t timeNs, std::uint64_t salt)
{
    return static_cast<std::uint64_t>(timeNs) * 0x100000001b3ULL ^
           (static_cast<std::uint64_t>(function) << 56) ^ (salt * 0x9e3779b97f4a7c15ULL);
}

double Overload(double sign)
{
    return sign < 0.0 ? -kOverloadValue : kOverloadValue;
}

}  // namespace

MeterModel::MeterModel(std::uint32_t seed, double noiseScale, std::int64_t nowNs)
    : signals_(seed, noiseScale)
{
    Reset(nowNs);
}

void MeterModel::Reset(std::int64_t nowNs)
{
    settings_.fill(MeasurementSettings{});
    temperature_ = TemperatureSettings{};
    transducer_ = transducers_.Find(false, false, temperature_.transducer);
    scale_ = ScaleSettings{};
    limits_ = LimitSettings{};
    system_ = SystemSettings{};
    trigger_ = TriggerSystem{};
    histogram_ = HistogramRecord{};
    hasLastReading_ = false;
    hasLastRaw_ = false;
    current_ = Function::VoltDc;
    ClearRecords();
    UpdateLastUnit();
    RangeIndex(current_, nowNs);
    trigger_.Start(nowNs, ReadingIntervalNs());
}

void MeterModel::AdvanceTo(std::int64_t nowNs)
{
    while (trigger_.Running() && trigger_.NextReadingNs() <= nowNs) {
        TakeReading(trigger_.NextReadingNs());
        trigger_.ReadingTaken(ReadingIntervalNs());
    }
}

void MeterModel::SelectFunction(Function function, std::int64_t nowNs)
{
    current_ = function;
    ClearRecords();
    hasLastReading_ = false;
    hasLastRaw_ = false;
    UpdateLastUnit();
    RangeIndex(function, nowNs);
    if (function == Function::Temp) {
        if (temperature_.nullOn && temperature_.nullAuto) {
            CaptureTemperatureNull(nowNs);
        }
    } else if (Settings(function).nullOn && Settings(function).nullAuto) {
        CaptureNull(function, nowNs);
    }
    if (trigger_.Running()) {
        trigger_.Start(nowNs, ReadingIntervalNs());
    }
}

MeasurementSettings& MeterModel::Settings(Function function)
{
    return settings_[static_cast<std::size_t>(Info(function).settingsOwner)];
}

std::size_t MeterModel::RangeIndex(Function function, std::int64_t nowNs)
{
    const FunctionInfo& info = Info(function);
    MeasurementSettings& settings = Settings(function);
    if (!settings.autoRange) {
        return settings.manualRange;
    }
    if (function != current_ || !hasLastReading_) {
        // Nothing measured it lately: range for the input as it is now.
        const bool counter = function == Function::Freq || function == Function::Per;
        const double magnitude =
            counter ? signals_.InputAmplitude() : std::fabs(signals_.TrueValue(function, nowNs));
        settings.autoRangeIndex = FollowAutoRange(info.ranges, settings.autoRangeIndex, magnitude);
    }
    return settings.autoRangeIndex;
}

void MeterModel::SetAutoRange(Function function, bool on, std::int64_t nowNs)
{
    MeasurementSettings& settings = Settings(function);
    if (!on && settings.autoRange) {
        // Leaving automatic range keeps the range it had chosen.
        settings.manualRange = RangeIndex(function, nowNs);
    }
    if (on && !settings.autoRange) {
        // Automatic ranging starts from the range that was in force.
        settings.autoRangeIndex = settings.manualRange;
    }
    settings.autoRange = on;
    if (on) {
        RangeIndex(function, nowNs);
    }
}

void MeterModel::SetManualRange(Function function, std::size_t index)
{
    MeasurementSettings& settings = Settings(function);
    settings.autoRange = false;
    settings.manualRange = index;
}

void MeterModel::SetNull(Function function, bool on, std::int64_t nowNs)
{
    MeasurementSettings& settings = Settings(function);
    settings.nullOn = on;
    if (on && settings.nullAuto) {
        CaptureNull(function, nowNs);
    }
}

void MeterModel::SetNullAuto(Function function, bool on, std::int64_t nowNs)
{
    MeasurementSettings& settings = Settings(function);
    settings.nullAuto = on;
    if (on && settings.nullOn) {
        CaptureNull(function, nowNs);
    }
}

void MeterModel::SetNullValue(Function function, double value)
{
    MeasurementSettings& settings = Settings(function);
    settings.nullValue = value;
    settings.nullAuto = false;
}

void MeterModel::SetTemperatureNull(bool on, std::int64_t nowNs)
{
    temperature_.nullOn = on;
    if (on && temperature_.nullAuto) {
        CaptureTemperatureNull(nowNs);
    }
}

void MeterModel::SetTemperatureNullAuto(bool on, std::int64_t nowNs)
{
    temperature_.nullAuto = on;
    if (on && temperature_.nullOn) {
        CaptureTemperatureNull(nowNs);
    }
}

void MeterModel::SetTemperatureNullValue(double valueInUnit)
{
    temperature_.nullCelsius = CelsiusFrom(temperature_.unit, valueInUnit);
    temperature_.nullAuto = false;
}

double MeterModel::TemperatureNullValue() const
{
    return CelsiusTo(temperature_.unit, temperature_.nullCelsius);
}

void MeterModel::Initiate(std::int64_t nowNs)
{
    ClearRecords();
    trigger_.Start(nowNs, ReadingIntervalNs());
}

std::int64_t MeterModel::ReadingIntervalNs() const
{
    const FunctionInfo& info = Info(current_);
    if (!info.hasSpeed) {
        return static_cast<std::int64_t>(std::llround(info.fixedIntervalSeconds * kNsPerSecond));
    }
    const double nplc = settings_[static_cast<std::size_t>(info.settingsOwner)].nplc;
    return static_cast<std::int64_t>(std::llround(nplc * kPowerLineCycleNs + kReadingOverheadNs));
}

void MeterModel::ClearStatistics()
{
    statistics_.Clear();
    trend_.Clear();
}

void MeterModel::SetScaleReferenceAuto(bool on, std::int64_t nowNs)
{
    scale_.referenceAuto = on;
    if (!on || !Info(current_).scalable) {
        return;
    }
    // The present input becomes the 0 dB reference.
    const Measurement measurement = Measure(current_, nowNs, 2);
    if (!IsOverloadValue(measurement.value)) {
        const MeasurementSettings& settings = Settings(current_);
        scale_.dbReference = Dbm(settings.nullOn ? measurement.value - settings.nullValue : measurement.value);
    }
}

bool MeterModel::SelectTransducer(bool userDefined, bool rtd, std::string_view name)
{
    auto table = transducers_.Find(userDefined, rtd, name);
    if (!table) {
        return false;
    }
    transducer_ = std::move(table);
    temperature_.userDefined = userDefined;
    temperature_.rtd = rtd;
    temperature_.transducer = std::string(name);
    return true;
}

MeterModel::Measurement MeterModel::Measure(Function function, std::int64_t timeNs, std::uint64_t salt)
{
    const double noise = signals_.NoiseScale() == 0.0
                             ? 0.0
                             : signals_.NoiseScale() * signals_.Gaussian(NoiseKey(function, timeNs, salt));
    switch (function) {
    case Function::Temp:
        return MeasureTemperature(timeNs, noise);
    case Function::Freq:
    case Function::Per:
        return MeasureFrequency(function, timeNs, noise);
    case Function::Cont:
    case Function::Diod: {
        const FunctionInfo& info = Info(function);
        const double signal = signals_.TrueValue(function, timeNs);
        if (!std::isfinite(signal) || std::fabs(signal) > info.overloadLimit) {
            return {Overload(signal), 0.0};
        }
        const double sigma = info.noiseOfReading * std::fabs(signal) + info.noiseOfRange * info.overloadLimit;
        return {signal + sigma * noise, 0.0};
    }
    default:
        return MeasureRanged(function, timeNs, noise);
    }
}

MeterModel::Measurement MeterModel::MeasureRanged(Function function, std::int64_t timeNs, double noise)
{
    const FunctionInfo& info = Info(function);
    MeasurementSettings& settings = Settings(function);
    const double signal = signals_.TrueValue(function, timeNs);
    if (settings.autoRange) {
        settings.autoRangeIndex = FollowAutoRange(info.ranges, settings.autoRangeIndex, std::fabs(signal));
    }
    if (!std::isfinite(signal)) {
        return {Overload(signal), 0.0};
    }
    const double range = info.ranges[settings.autoRange ? settings.autoRangeIndex : settings.manualRange];
    // Noise falls with the square root of the integration time; the filter
    // averages it down further.
    double sigma = info.noiseOfReading * std::fabs(signal) + info.noiseOfRange * range;
    sigma *= std::sqrt(10.0 / settings.nplc);
    if (settings.filter) {
        sigma *= 0.3;
    }
    double value = signal + sigma * noise;
    if (function == Function::VoltAc || function == Function::CurrAc) {
        value = std::fabs(value);  // an RMS value is never negative
    }
    if (std::fabs(value) > range * kOverRange) {
        return {Overload(value), 0.0};
    }
    return {value, 0.0};
}

MeterModel::Measurement MeterModel::MeasureFrequency(Function function, std::int64_t timeNs, double noise)
{
    const FunctionInfo& info = Info(function);
    MeasurementSettings& settings = Settings(function);
    const double amplitude = signals_.InputAmplitude();
    if (settings.autoRange) {
        settings.autoRangeIndex = FollowAutoRange(info.ranges, settings.autoRangeIndex, amplitude);
    }
    const double range = info.ranges[settings.autoRange ? settings.autoRangeIndex : settings.manualRange];
    if (amplitude > range * kOverRange) {
        return {kOverloadValue, 0.0};
    }
    const double value = signals_.TrueValue(function, timeNs);
    if (amplitude < range * kCounterSensitivity || value == 0.0) {
        return {0.0, 0.0};  // nothing to count
    }
    return {value * (1.0 + info.noiseOfReading * noise), 0.0};
}

MeterModel::Measurement MeterModel::MeasureTemperature(std::int64_t timeNs, double noise)
{
    const double celsius = signals_.TrueValue(Function::Temp, timeNs) + kTemperatureNoise * noise;
    if (!std::isfinite(celsius) || !transducer_) {
        return {kOverloadValue, kOverloadValue};
    }
    const std::optional<double> raw = transducer_->RawAt(celsius);
    if (!raw) {
        return {Overload(celsius), Overload(celsius)};
    }
    return {celsius, *raw};
}

double MeterModel::DisplayedValue(const Measurement& measurement) const
{
    double value = measurement.value;
    if (IsOverloadValue(value)) {
        return value;
    }
    if (current_ == Function::Temp) {
        value = CelsiusTo(temperature_.unit, value);
        return temperature_.nullOn ? value - TemperatureNullValue() : value;
    }
    const MeasurementSettings& settings = settings_[static_cast<std::size_t>(Info(current_).settingsOwner)];
    if (settings.nullOn) {
        value -= settings.nullValue;
    }
    if (scale_.on && Info(current_).scalable) {
        value = Decibels(value);
    }
    return value;
}

double MeterModel::Dbm(double volts) const
{
    // Power in the reference resistance, relative to 1 mW; a floor keeps a
    // zero input finite.
    const double resistance = scale_.dbmReference > 0.0 ? scale_.dbmReference : 600.0;
    const double power = std::fmax(volts * volts / resistance, 1e-30);
    return 10.0 * std::log10(power / 1e-3);
}

double MeterModel::Decibels(double volts) const
{
    const double dbm = Dbm(volts);
    return scale_.dbm ? dbm : dbm - scale_.dbReference;
}

void MeterModel::TakeReading(std::int64_t timeNs)
{
    const Measurement measurement = Measure(current_, timeNs, 0);
    const double value = DisplayedValue(measurement);
    memory_.Add(value);
    statistics_.Add(value);
    trend_.Add(timeNs, value);
    histogram_.Add(value);
    hasLastReading_ = true;
    lastReading_ = value;
    if (current_ == Function::Temp) {
        hasLastRaw_ = true;
        lastRaw_ = measurement.raw;
        lastRawRtd_ = temperature_.rtd;
    }
    UpdateLastUnit();
}

void MeterModel::ClearRecords()
{
    memory_.Clear();
    statistics_.Clear();
    trend_.Clear();
    histogram_.Clear();
}

void MeterModel::CaptureNull(Function function, std::int64_t nowNs)
{
    if (function == Function::Temp) {
        CaptureTemperatureNull(nowNs);
        return;
    }
    const Measurement measurement = Measure(function, nowNs, 1);
    if (!IsOverloadValue(measurement.value)) {
        Settings(function).nullValue = measurement.value;
    }
}

void MeterModel::CaptureTemperatureNull(std::int64_t nowNs)
{
    const Measurement measurement = Measure(Function::Temp, nowNs, 1);
    if (!IsOverloadValue(measurement.value)) {
        temperature_.nullCelsius = measurement.value;
    }
}

void MeterModel::UpdateLastUnit()
{
    if (current_ == Function::Temp) {
        lastUnit_ = UnitLetter(temperature_.unit);
    } else if (scale_.on && Info(current_).scalable) {
        lastUnit_ = scale_.dbm ? "DBM" : "DB";
    } else {
        lastUnit_ = Info(current_).unitText;
    }
}

}  // namespace voltora::sim
