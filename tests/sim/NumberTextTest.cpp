// The fast number texts agree with printf in the C locale.

#include "platform/CNumbers.h"
#include "sim/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace voltora::sim {
namespace {

TEST(NumberText, ScientificMatchesPrintf)
{
    std::vector<double> values{0.0, 1.0, -1.0, 0.2, 1.5032809, -0.000123456789, 9.9e37, -9.9e37, 9.91e37,
                               2e-9, 1e-2, 123456789.0, 0.5 + 1e-9, 1.00000005, 9.99999995};
    std::uint64_t x = 88172645463325252ULL;
    for (int i = 0; i < 2000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        const double mantissa = static_cast<double>(x >> 11) * 0x1.0p-53;
        values.push_back((i % 2 ? -1.0 : 1.0) * mantissa * std::pow(10.0, static_cast<int>(x % 40) - 20));
    }
    for (double v : values) {
        for (int precision : {kReadingPrecision, kRangePrecision, kSettingPrecision}) {
            EXPECT_EQ(ScientificText(v, precision), platform::CFormat("%+.*E", precision, v)) << v;
        }
    }
}

TEST(NumberText, NegativeZeroIsWrittenAsPositive)
{
    EXPECT_EQ(ScientificText(-0.0, kReadingPrecision), "+0.0000000E+00");
}

TEST(NumberText, IntegersHaveNoPlusSign)
{
    std::string text;
    AppendInteger(text, 400);
    text += ',';
    AppendInteger(text, -12);
    EXPECT_EQ(text, "400,-12");
}

}  // namespace
}  // namespace voltora::sim
