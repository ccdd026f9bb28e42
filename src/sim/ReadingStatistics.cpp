#include "sim/ReadingStatistics.h"

#include "sim/NumberText.h"

#include <cmath>

namespace voltora::sim {

bool IsOverloadValue(double value)
{
    return value >= kOverloadValue || value <= -kOverloadValue;
}

void ReadingStatistics::Clear()
{
    *this = ReadingStatistics();
}

void ReadingStatistics::Add(double value)
{
    ++count_;
    if (value >= kOverloadValue) {
        ++positiveOverloads_;
        return;
    }
    if (value <= -kOverloadValue) {
        ++negativeOverloads_;
        return;
    }
    ++inRange_;
    if (inRange_ == 1) {
        maximum_ = value;
        minimum_ = value;
    } else {
        maximum_ = value > maximum_ ? value : maximum_;
        minimum_ = value < minimum_ ? value : minimum_;
    }
    const double delta = value - mean_;
    mean_ += delta / static_cast<double>(inRange_);
    m2_ += delta * (value - mean_);
}

double ReadingStatistics::Average() const
{
    return HasOverload() ? kOverloadValue : mean_;
}

double ReadingStatistics::StandardDeviation() const
{
    if (HasOverload()) {
        return kOverloadValue;
    }
    if (inRange_ < 2) {
        return 0.0;
    }
    return std::sqrt(m2_ / static_cast<double>(inRange_ - 1));
}

double ReadingStatistics::Maximum() const
{
    if (positiveOverloads_ > 0) {
        return kOverloadValue;
    }
    return inRange_ > 0 ? maximum_ : (negativeOverloads_ > 0 ? -kOverloadValue : 0.0);
}

double ReadingStatistics::Minimum() const
{
    if (negativeOverloads_ > 0) {
        return -kOverloadValue;
    }
    return inRange_ > 0 ? minimum_ : (positiveOverloads_ > 0 ? kOverloadValue : 0.0);
}

double ReadingStatistics::PeakToPeak() const
{
    return HasOverload() ? kOverloadValue : (inRange_ > 0 ? maximum_ - minimum_ : 0.0);
}

void ReadingStatistics::AppendAll(std::string& out) const
{
    AppendScientific(out, Average(), kReadingPrecision);
    out += ',';
    AppendScientific(out, StandardDeviation(), kReadingPrecision);
    out += ',';
    AppendScientific(out, Maximum(), kReadingPrecision);
    out += ',';
    AppendScientific(out, Minimum(), kReadingPrecision);
}

}  // namespace voltora::sim
