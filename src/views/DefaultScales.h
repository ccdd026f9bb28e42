#pragma once

#include <optional>
#include <string_view>

// The Default scales of the bar meter and the trend chart: bounds chosen by
// the current function, its range label and (for temperature) its unit.
namespace voltora::views {

struct ScaleBounds {
    double high = 0.0;
    double low = 0.0;
};

// The bar meter's value of a range label: the leading digits as a number,
// scaled by the one character after them ("n", "u", "m", "k", "M"; any other
// leaves it): "200mV" 0.2, "2V" 2, "1k$OHM$" 1000.
double BarMeterRangeValue(std::string_view rangeText);

// The bar meter's Default scale; nothing for a temperature unit it does not
// know (the scale stays as it is).
std::optional<ScaleBounds> BarMeterDefaultScale(std::string_view functionName,
                                                std::string_view unitText,
                                                std::string_view rangeText);

// The trend chart's Default scale (range labels read by ParseRangeValue);
// nothing for a function or temperature unit it does not know.
std::optional<ScaleBounds> TrendDefaultScale(std::string_view functionName,
                                             std::string_view unitText,
                                             std::string_view rangeText);

}  // namespace voltora::views
