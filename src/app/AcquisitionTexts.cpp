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
    return CFormat("%.3f", CAtof(typedValue) * factor);
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
