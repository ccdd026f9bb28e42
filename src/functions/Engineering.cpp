#include "functions/Engineering.h"

#include "platform/CNumbers.h"

#include <cmath>

namespace voltora::functions {

namespace {

constexpr int kNoPrefix = 4;
constexpr int kLargestPrefix = 9;
// 1000 to the power (index - 4), by prefix index.
constexpr double kPrefixFactors[10] = {1e-12, 1e-9, 1e-6, 1e-3, 1.0, 1e3, 1e6, 1e9, 1e12, 1e15};
constexpr std::size_t kEngineeringTextLimit = 31;

}  // namespace

int NormaliseEngineering(double& value)
{
    if (value == 0.0) {
        return kNoPrefix;
    }
    double a = std::fabs(value);
    int index = kNoPrefix;
    while (a >= 1000.0 && index < kLargestPrefix) {
        ++index;
        a /= 1000.0;
    }
    while (a < 1.0 && index > 0) {
        --index;
        a *= 1000.0;
    }
    value = value < 0.0 ? -a : a;
    return index;
}

int EngineeringText(double value, std::string& out)
{
    const int index = NormaliseEngineering(value);
    if (index == kNoPrefix) {
        out = voltora::platform::CFormat("%.0f", value);
    } else {
        out = voltora::platform::CFormat("%.3f%c", value, kEngineeringPrefixes[index]);
    }
    if (out.size() > kEngineeringTextLimit) {
        out.resize(kEngineeringTextLimit);
    }
    return index;
}

double ParseRangeValue(std::string_view label)
{
    std::size_t digits = 0;
    while (digits < label.size() && label[digits] >= '0' && label[digits] <= '9') {
        ++digits;
    }
    const std::string_view copy = label.substr(0, digits + 1);
    for (int j = 0; j <= kLargestPrefix; ++j) {
        const std::size_t at = copy.find(kEngineeringPrefixes[j]);
        if (at != std::string_view::npos) {
            return voltora::platform::CAtof(copy.substr(0, at)) * kPrefixFactors[j];
        }
    }
    return voltora::platform::CAtof(copy);
}

}  // namespace voltora::functions
