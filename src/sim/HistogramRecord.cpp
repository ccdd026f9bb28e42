#include "sim/HistogramRecord.h"

#include "sim/NumberText.h"

#include <algorithm>
#include <cmath>

namespace voltora::sim {

HistogramRecord::HistogramRecord()
{
    Clear();
}

void HistogramRecord::Clear()
{
    readingCount_ = 0;
    below_ = 0;
    above_ = 0;
    if (autoRange_) {
        hasBounds_ = false;
        lower_ = 0.0;
        upper_ = 0.0;
        bins_.assign(kAutoBins, 0);
    } else {
        hasBounds_ = true;
        lower_ = manualLower_;
        upper_ = manualUpper_;
        bins_.assign(static_cast<std::size_t>(manualBins_), 0);
    }
}

void HistogramRecord::SetAutoRange(bool on)
{
    autoRange_ = on;
    Clear();
}

void HistogramRecord::SetBinCount(int bins)
{
    manualBins_ = std::clamp(bins, 1, kMaxBins);
    Clear();
}

void HistogramRecord::SetLower(double lower)
{
    manualLower_ = lower;
    Clear();
}

void HistogramRecord::SetUpper(double upper)
{
    manualUpper_ = upper;
    Clear();
}

void HistogramRecord::Add(double value)
{
    ++readingCount_;
    if (value >= kOverloadValue) {
        ++above_;
    } else if (value <= -kOverloadValue) {
        ++below_;
    } else if (autoRange_) {
        AddAuto(value);
    } else {
        AddManual(value);
    }
}

void HistogramRecord::AddAuto(double value)
{
    if (!hasBounds_) {
        // A narrow start around the first reading; the bounds widen to the
        // spread of the readings that follow.
        const double span = std::max(std::fabs(value), 1e-9) * 1e-5;
        lower_ = value - span / 2.0;
        upper_ = value + span / 2.0;
        hasBounds_ = true;
    }
    WidenToInclude(value);
    const double position = (value - lower_) / (upper_ - lower_) * static_cast<double>(kAutoBins);
    const auto bin = static_cast<std::size_t>(std::clamp(position, 0.0, static_cast<double>(kAutoBins - 1)));
    ++bins_[bin];
}

void HistogramRecord::WidenToInclude(double value)
{
    constexpr std::size_t kHalf = kAutoBins / 2;
    // Each step doubles the span; 2000 steps cover any finite double.
    for (int step = 0; step < 2000 && (value < lower_ || value >= upper_); ++step) {
        const double span = upper_ - lower_;
        std::vector<std::int64_t> merged(kAutoBins, 0);
        const std::size_t offset = value >= upper_ ? 0 : kHalf;
        for (std::size_t i = 0; i < kHalf; ++i) {
            merged[offset + i] = bins_[2 * i] + bins_[2 * i + 1];
        }
        bins_.swap(merged);
        if (value >= upper_) {
            upper_ = lower_ + 2.0 * span;
        } else {
            lower_ = upper_ - 2.0 * span;
        }
    }
}

void HistogramRecord::AddManual(double value)
{
    if (value < lower_) {
        ++below_;
        return;
    }
    if (value > upper_ || !(upper_ > lower_)) {
        ++above_;
        return;
    }
    const double bins = static_cast<double>(bins_.size());
    const double position = (value - lower_) / (upper_ - lower_) * bins;
    ++bins_[static_cast<std::size_t>(std::clamp(position, 0.0, bins - 1.0))];
}

void HistogramRecord::AppendAll(std::string& out) const
{
    out.reserve(out.size() + 40 + bins_.size() * 4);
    AppendScientific(out, lower_, kSettingPrecision);
    out += ',';
    AppendScientific(out, upper_, kSettingPrecision);
    out += ',';
    AppendInteger(out, readingCount_);
    out += ',';
    AppendInteger(out, below_);
    for (std::int64_t count : bins_) {
        out += ',';
        AppendInteger(out, count);
    }
    out += ',';
    AppendInteger(out, above_);
}

}  // namespace voltora::sim
