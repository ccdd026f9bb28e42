#include "views/DefaultScales.h"

#include "functions/Engineering.h"
#include "platform/CNumbers.h"

using namespace voltora::functions;

namespace voltora::views {
namespace {

// The temperature bounds by unit, shared by both charts. The kelvin bounds
// are kept in single precision, as the meter's own scale tables hold them.
std::optional<ScaleBounds> TemperatureScale(std::string_view unitText)
{
    if (unitText == "$T_C$") {
        return ScaleBounds{100.0, -100.0};
    }
    if (unitText == "$T_F$") {
        return ScaleBounds{212.0, -148.0};
    }
    if (unitText == "K") {
        return ScaleBounds{static_cast<double>(373.15f), -static_cast<double>(173.15f)};
    }
    return std::nullopt;
}

}  // namespace

double BarMeterRangeValue(std::string_view rangeText)
{
    std::size_t digits = 0;
    while (digits < rangeText.size() && rangeText[digits] >= '0' && rangeText[digits] <= '9') {
        ++digits;
    }
    const double value = platform::CAtof(rangeText.substr(0, digits));
    if (digits >= rangeText.size()) {
        return value;
    }
    switch (rangeText[digits]) {
    case 'n':
        return value / 1e9;
    case 'u':
        return value / 1e6;
    case 'm':
        return value / 1e3;
    case 'k':
        return value * 1e3;
    case 'M':
        return value * 1e6;
    default:
        return value;
    }
}

std::optional<ScaleBounds> BarMeterDefaultScale(std::string_view functionName,
                                                std::string_view unitText,
                                                std::string_view rangeText)
{
    if (functionName == "Temperature") {
        return TemperatureScale(unitText);
    }
    if (functionName == "Frequency") {
        return ScaleBounds{10000.0, 1.0};
    }
    if (functionName == "Period") {
        return ScaleBounds{1.0, static_cast<double>(0.0001f)};
    }
    if (functionName == "Continuity") {
        return ScaleBounds{2000.0, 1.0};
    }
    if (functionName == "Diode") {
        return ScaleBounds{2.0, 0.0};
    }
    const double v = BarMeterRangeValue(rangeText);
    if (functionName == "DC Voltage" || functionName == "DC Current") {
        return ScaleBounds{v, -v};
    }
    return ScaleBounds{v, 0.0};
}

std::optional<ScaleBounds> TrendDefaultScale(std::string_view functionName,
                                             std::string_view unitText,
                                             std::string_view rangeText)
{
    const double r = ParseRangeValue(rangeText);
    if (functionName == "AC Voltage" || functionName == "AC Current" ||
        functionName == "2 Wire Resistance" || functionName == "4 Wire Resistance" ||
        functionName == "Capacitance") {
        return ScaleBounds{r, 0.0};
    }
    if (functionName == "DC Voltage" || functionName == "DC Current") {
        return ScaleBounds{r, -r};
    }
    if (functionName == "Frequency") {
        return ScaleBounds{1000000.0, 1.0};
    }
    if (functionName == "Period") {
        return ScaleBounds{1.0, 0.0001};
    }
    if (functionName == "Continuity") {
        return ScaleBounds{2000.0, 0.0};
    }
    if (functionName == "Diode") {
        return ScaleBounds{2.0, 0.0};
    }
    if (functionName == "Temperature") {
        return TemperatureScale(unitText);
    }
    return std::nullopt;
}

}  // namespace voltora::views
