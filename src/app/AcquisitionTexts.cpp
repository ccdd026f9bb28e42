#include "app/AcquisitionTexts.h"

#include "platform/CNumbers.h"

using voltora::platform::CAtof;
using voltora::platform::CAtoi;
using voltora::platform::CFormat;

namespace voltora::app {

std::string DelayArgument(bool automatic, std::string_view typedValue, int unitIndex)
{
    if (automatic) {
        return "Auto";
    }
    double factor = 1.0;
    if (unitIndex >= 0 && unitIndex < static_cast<int>(kDelayUnitFactors.size())) {
        factor = kDelayUnitFactors[static_cast<std::size_t>(unitIndex)];
    }
    std::string text = CFormat("%.9f", CAtof(typedValue) * factor);
    // Nine decimals, then trailing zeros dropped down to three.
    const std::size_t point = text.find('.');
    while (point != std::string::npos && text.size() > point + 4 && text.back() == '0') {
        text.pop_back();
    }
    return text;
}

std::optional<std::string> SampleCountArgument(std::string_view typed)
{
    const std::size_t first = typed.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    typed = typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
    if (typed.front() == '+') {
        typed.remove_prefix(1);
    }
    if (typed.empty() || typed.size() > 7) {
        return std::nullopt;
    }
    long long count = 0;
    for (const char c : typed) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        count = count * 10 + (c - '0');
    }
    if (count < kMinimumSampleCount || count > kMaximumSampleCount) {
        return std::nullopt;
    }
    return CFormat("%lld", count);
}

std::string DelayShownText(std::string_view reply)
{
    return CFormat("%.3f", CAtof(reply));
}

std::string SampleCountShownText(std::string_view reply)
{
    return CFormat("%d", CAtoi(reply));
}

}  // namespace voltora::app
