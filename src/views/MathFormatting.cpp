#include "views/MathFormatting.h"

#include "functions/Engineering.h"
#include "platform/CNumbers.h"
#include "views/ViewText.h"

#include <cmath>

using namespace voltora::functions;

namespace voltora::views {
namespace {

constexpr std::size_t kStatisticTextLimit = 31;
constexpr int kDefaultDecimals = 3;

// The statistics' prefixes by index: n, u, m, none, k, M.
constexpr std::array<const char*, 6> kStatisticPrefixes = {"n", "u", "m", "", "k", "M"};
constexpr int kStatisticNoPrefix = 3;
constexpr int kStatisticLargestPrefix = 5;

constexpr std::array<double, 8> kRelValueFactors = {1e-12, 1e-9, 1e-6, 1e-3, 1.0, 1e3, 1e6, 1e9};
constexpr int kRelValueNoPrefix = 4;
constexpr int kRelValueLargestPrefix = 7;

constexpr double kLargestLimit = 1e8;
constexpr double kSmallestLimit = 1e-12;

bool Contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// Scales v by the first prefix the unit text suggests; returns its index.
int ScaleByUnit(double& v, std::string_view unitText)
{
    if (Contains(unitText, "n")) {
        v *= 1e9;
        return 0;
    }
    if (Contains(unitText, "u")) {
        v *= 1e6;
        return 1;
    }
    if (Contains(unitText, "m")) {
        v *= 1e3;
        return 2;
    }
    if (Contains(unitText, "k")) {
        v /= 1e3;
        return 4;
    }
    if (Contains(unitText, "M")) {
        v /= 1e6;
        return 5;
    }
    return kStatisticNoPrefix;
}

}  // namespace

int StatisticDecimals(std::string_view valueText)
{
    const std::size_t point = valueText.find('.');
    if (point == std::string_view::npos) {
        return kDefaultDecimals;
    }
    return static_cast<int>(valueText.size() - point - 1);
}

std::string FormatStatistic(std::string_view text, int decimals, std::string_view functionName,
                            std::string_view unitText)
{
    if (text == "Overload") {
        return functionName == "Diode" || functionName == "Continuity" ? "open" : "Overload";
    }
    double v = platform::CAtof(text);
    int i = ScaleByUnit(v, unitText);
    if (std::fabs(v) > 1000.0) {
        while (i < kStatisticLargestPrefix) {
            v /= 1000.0;
            ++i;
            if (std::fabs(v) <= 1000.0) {
                break;
            }
        }
    }
    if (std::fabs(v) < 1.0) {
        while (i > 0) {
            v *= 1000.0;
            --i;
            if (std::fabs(v) >= 1.0) {
                break;
            }
        }
    }
    std::string out = platform::CFormat("%.*f%s", decimals, v, kStatisticPrefixes[static_cast<std::size_t>(i)]);
    if (out.size() > kStatisticTextLimit) {
        out.resize(kStatisticTextLimit);
    }
    return out;
}

RelValueDisplay RelValueForDisplay(std::string_view valueText)
{
    double v = platform::CAtof(valueText);
    int i = kRelValueNoPrefix;
    if (std::fabs(v) < 1.0) {
        while (i > 0) {
            v *= 1000.0;
            --i;
            if (std::fabs(v) >= 1.0) {
                break;
            }
        }
    }
    if (std::fabs(v) >= 1000.0) {
        while (i < kRelValueLargestPrefix) {
            v /= 1000.0;
            ++i;
            if (std::fabs(v) < 1000.0) {
                break;
            }
        }
    }
    return RelValueDisplay{i, platform::CFormat("%8f", v)};
}

std::string RelValueText(double typed, int prefixIndex)
{
    double factor = 1.0;
    if (prefixIndex >= 0 && prefixIndex < static_cast<int>(kRelValueFactors.size())) {
        factor = kRelValueFactors[static_cast<std::size_t>(prefixIndex)];
    }
    return platform::CFormat("%.12f", typed * factor);
}

LimitDisplay LimitForDisplay(double limit)
{
    LimitDisplay display;
    display.prefixIndex = EngineeringText(limit, display.text);
    if (display.prefixIndex != kRelValueNoPrefix && !display.text.empty()) {
        display.text.pop_back();
    }
    return display;
}

std::optional<double> TypedLimit(std::string_view editText, std::string_view prefix)
{
    std::string text;
    for (const char c : editText) {
        if (c != ' ') {
            text.push_back(c);
        }
    }
    for (const char c : prefix) {
        if (c != ' ') {
            text.push_back(c);
        }
    }
    const double x = ParseTypedValue(text);
    const double magnitude = std::fabs(x);
    if (magnitude > kLargestLimit || magnitude < kSmallestLimit) {
        return std::nullopt;
    }
    return x;
}

DbControls DbControlsForRecord(int available, int mode, std::string_view unitText)
{
    if (available == 0) {
        return DbControls{};
    }
    return DbControlsForState(mode, unitText);
}

DbControls DbControlsForState(int state, std::string_view unitText)
{
    DbControls controls;
    controls.scaleCheck = true;
    if (state == 0) {
        return controls;
    }
    controls.dbRadio = true;
    controls.dbmRadio = true;
    controls.referenceList = true;
    controls.referenceSet = true;
    const bool db = unitText == "dB";
    controls.dbReferenceEdit = db;
    controls.dbReferenceSet = db;
    controls.measureReference = db;
    return controls;
}

}  // namespace voltora::views
