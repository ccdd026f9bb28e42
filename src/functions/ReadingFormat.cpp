#include "functions/ReadingFormat.h"

#include "platform/CNumbers.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace voltora::functions {

namespace {

// Prefixes of a formatted reading by index, and the factor that expresses a
// value in base units with that prefix.
constexpr std::string_view kReadingPrefixes = "pnum kMG";
constexpr double kMultipliers[8] = {1e12, 1e9, 1e6, 1e3, 1.0, 1e-3, 1e-6, 1e-9};
// Prefix letters recognised in a range label (the blank is not one).
constexpr std::string_view kRangePrefixLetters = "pnumkMG";
constexpr int kNoPrefix = 4;
constexpr int kLargestPrefix = 7;

// `a` with twelve decimals, cut (not rounded) to `digits` - 1 characters.
std::string CutText(double a, int digits)
{
    std::string text = voltora::platform::CFormat("%.12f", a);
    const auto keep = static_cast<std::size_t>(std::max(0, digits - 1));
    if (text.size() > keep) {
        text.resize(keep);
    }
    return text;
}

}  // namespace

void FormatReading(ReadingFormat& format)
{
    const double v = voltora::platform::CAtof(format.valueText);
    double a = std::fabs(v);
    int index = kNoPrefix;
    std::string text;

    if (format.rangeText.empty()) {
        while (a < 1.0 && index > 0) {
            a *= 1000.0;
            --index;
        }
        while (a >= 1000.0 && index < kLargestPrefix) {
            a /= 1000.0;
            ++index;
        }
        text = CutText(a, format.digits);
    } else {
        const std::string& range = format.rangeText;
        std::size_t intDigits = 0;
        while (intDigits < range.size() && range[intDigits] >= '0' && range[intDigits] <= '9') {
            ++intDigits;
        }
        format.intDigits = static_cast<int>(intDigits);
        char prefix = ' ';
        if (intDigits < range.size() && kRangePrefixLetters.find(range[intDigits]) != std::string_view::npos) {
            prefix = range[intDigits];
        }
        index = static_cast<int>(kReadingPrefixes.find(prefix));
        a *= kMultipliers[index];

        // The range's digits, in single precision as the meter's panel computes it.
        const float limit = std::pow(10.0f, static_cast<float>(intDigits));
        if (a < limit) {
            const int width = std::max(0, format.digits - 1);
            const int precision = std::max(0, format.digits - format.intDigits - 2);
            text = voltora::platform::CFormat("%0*.*f", width, precision, a);
        } else {
            // Too large for the range's digits: move to the next prefix only
            // once the value reaches 1000 in the prefixed unit.
            while (a >= 1000.0 && index < kLargestPrefix) {
                a /= 1000.0;
                ++index;
            }
            text = CutText(a, format.digits);
        }
    }
    text.insert(text.begin(), v >= 0.0 ? '+' : '-');
    format.signedText = std::move(text);
    format.prefix.assign(1, kReadingPrefixes[static_cast<std::size_t>(index)]);
}

}  // namespace voltora::functions
