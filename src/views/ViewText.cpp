#include "views/ViewText.h"

#include "functions/DisplayText.h"
#include "functions/Engineering.h"
#include "platform/CNumbers.h"
#include "platform/DecimalNumber.h"

#include <cmath>

using namespace voltora::functions;

namespace voltora::views {
namespace {

constexpr std::array<double, 10> kPrefixFactors = {1e-12, 1e-9, 1e-6, 1e-3, 1.0,
                                                   1e3,   1e6,  1e9,  1e12, 1e15};

constexpr int kLabelDecimals = 3;
constexpr int kMostLabelDecimals = 9;

// The value scaled into 1 ... 1000 with `decimals` decimals and its prefix;
// without prefix followed by a blank (`blankForNone`) or by nothing.
std::string ScaledText(double value, int decimals, bool blankForNone)
{
    const int index = NormaliseEngineering(value);
    const char* prefix = index == kNoPrefixIndex && !blankForNone
                             ? ""
                             : kPrefixTexts[static_cast<std::size_t>(index)];
    return platform::CFormat("%.*f%s", decimals, value, prefix);
}

std::array<std::string, 3> DistinctTexts(const std::array<double, 3>& values, bool blankForNone)
{
    std::array<std::string, 3> texts;
    for (int decimals = kLabelDecimals;; ++decimals) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            texts[i] = ScaledText(values[i], decimals, blankForNone);
        }
        bool distinct = true;
        for (std::size_t i = 0; i + 1 < values.size(); ++i) {
            if (values[i] != values[i + 1] && texts[i] == texts[i + 1]) {
                distinct = false;
            }
        }
        if (distinct || decimals == kMostLabelDecimals) {
            return texts;
        }
    }
}

}  // namespace

double PrefixFactor(int index)
{
    if (index < 0 || index >= static_cast<int>(kPrefixFactors.size())) {
        return 1.0;
    }
    return kPrefixFactors[static_cast<std::size_t>(index)];
}

std::optional<double> ParseTypedNumber(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    return platform::ParseDecimalNumber(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

std::optional<double> TypedScaleBound(const QString& text, int prefixIndex)
{
    const auto value = ParseTypedNumber(NarrowText(text));
    if (!value) {
        return std::nullopt;
    }
    return *value * PrefixFactor(prefixIndex);
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
    return ScaledText(value, kLabelDecimals, true);
}

std::string CompactScaledText(double value)
{
    return ScaledText(value, kLabelDecimals, false);
}

std::array<std::string, 3> ScaleLabelTexts(double low, double middle, double high)
{
    return DistinctTexts({low, middle, high}, true);
}

std::array<std::string, 3> CompactScaledTexts(double low, double middle, double high)
{
    return DistinctTexts({low, middle, high}, false);
}

std::string CountText(double count)
{
    if (std::fabs(count) < 1000.0) {
        return platform::CFormat("%.0f", count);
    }
    return CompactScaledText(count);
}

}  // namespace voltora::views
