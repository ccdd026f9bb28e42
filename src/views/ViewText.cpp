#include "views/ViewText.h"

#include "functions/DisplayText.h"
#include "functions/Engineering.h"
#include "platform/CNumbers.h"

namespace voltora::views {
namespace {

constexpr std::array<double, 10> kPrefixFactors = {1e-12, 1e-9, 1e-6, 1e-3, 1.0,
                                                   1e3,   1e6,  1e9,  1e12, 1e15};

}  // namespace

double PrefixFactor(int index)
{
    if (index < 0 || index >= static_cast<int>(kPrefixFactors.size())) {
        return 1.0;
    }
    return kPrefixFactors[static_cast<std::size_t>(index)];
}

double TypedScaleBound(const QString& text, int prefixIndex)
{
    return platform::CAtof(NarrowText(text)) * PrefixFactor(prefixIndex);
}

QString DisplayText(std::string_view text)
{
    return QString::fromStdWString(ToDisplayText(text));
}

std::string NarrowText(const QString& text)
{
    return ToNarrowText(text.toStdWString());
}

double ParseTypedValue(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const double value = ParseRangeValue(text);
    return negative ? -value : value;
}

std::string ScaleLabelText(double value)
{
    const int index = NormaliseEngineering(value);
    return platform::CFormat("%.3f%s", value, kPrefixTexts[static_cast<std::size_t>(index)]);
}

std::string CompactScaledText(double value)
{
    const int index = NormaliseEngineering(value);
    if (index == kNoPrefixIndex) {
        return platform::CFormat("%.3f", value);
    }
    return platform::CFormat("%.3f%s", value, kPrefixTexts[static_cast<std::size_t>(index)]);
}

}  // namespace voltora::views
