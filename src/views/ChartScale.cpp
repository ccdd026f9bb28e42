#include "views/ChartScale.h"

#include <algorithm>
#include <cmath>

namespace voltora::views {

ChartScale::ChartScale(double lowest, double highest) : low_(lowest), high_(highest)
{
    Update();
}

void ChartScale::SetLow(double x)
{
    if (!std::isfinite(x)) {
        return;
    }
    low_ = std::min(x, high_);
    Update();
}

void ChartScale::SetHigh(double x)
{
    if (!std::isfinite(x)) {
        return;
    }
    high_ = std::max(x, low_);
    Update();
}

void ChartScale::Update()
{
    middle_ = low_ + (high_ - low_) * 0.5;
    const double d = (high_ - low_) / 20.0;
    displayLow_ = low_ - 2.0 * d;
    displayHigh_ = high_ + 2.0 * d;
}

double ChartScale::Fraction(double value) const
{
    const double span = displayHigh_ - displayLow_;
    if (!(span > 0.0)) {
        if (value < low_) {
            return 0.0;
        }
        return value > high_ ? 1.0 : 0.5;
    }
    const double fraction = (value - displayLow_) / span;
    if (std::isnan(fraction)) {
        return 0.0;
    }
    return std::clamp(fraction, 0.0, 1.0);
}

}  // namespace voltora::views
