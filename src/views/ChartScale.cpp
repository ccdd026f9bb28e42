#include "views/ChartScale.h"

#include <algorithm>
#include <cmath>

namespace voltora::views {

ChartScale::ChartScale(double lowest, double highest) : low(lowest), high(highest)
{
    Update();
}

void ChartScale::SetLow(double x)
{
    if (!std::isfinite(x)) {
        return;
    }
    low = std::min(x, high);
    Update();
}

void ChartScale::SetHigh(double x)
{
    if (!std::isfinite(x)) {
        return;
    }
    high = std::max(x, low);
    Update();
}

void ChartScale::Update()
{
    middle = low + (high - low) * 0.5;
    const double d = (high - low) / 20.0;
    displayLow = low - 2.0 * d;
    displayHigh = high + 2.0 * d;
}

double ChartScale::Fraction(double value) const
{
    const double span = displayHigh - displayLow;
    if (!(span > 0.0)) {
        if (value < low) {
            return 0.0;
        }
        return value > high ? 1.0 : 0.5;
    }
    const double fraction = (value - displayLow) / span;
    if (std::isnan(fraction)) {
        return 0.0;
    }
    return std::clamp(fraction, 0.0, 1.0);
}

}  // namespace voltora::views
