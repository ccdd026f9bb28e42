#include "platform/Atomic.h"
#include "platform/CNumbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <random>
#include <string>

using voltora::platform::CAtof;

namespace {

double Reference(const std::string& text)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return strtod_l(text.c_str(), nullptr, c);
}

void ExpectSameAsReference(const std::string& text)
{
    const double expected = Reference(text);
    const double actual = CAtof(text);
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual)) << text;
    } else {
        EXPECT_EQ(actual, expected) << text;
        EXPECT_EQ(std::signbit(actual), std::signbit(expected)) << text;
    }
}

}  // namespace

TEST(CAtof, ReadsEveryFormAsAtofDoesInTheCLocale)
{
    const char* cases[] = {
        "+1.23456789E+00", "-9.9E+37", "9.9E+37", "  \t+12.5", "\n-0", "-0.0", "0.2",
        "+2.000000E+01\n", "1e", "1e+", ".5", "-.5e-3", "5.", "+", "-", "", "abc", "+-1", "-+1",
        "++1", "12,5", "1.5k", "0x1A", "-0X10", "inf", "-INF", "infinity", "nan", "1e400",
        "-1e400", "1e-400", "4.9e-324", "2.2250738585072011e-308", "0.1234567890123456789",
        "123456789012345678901234567890", "1.000000000000000000000000000001",
    };
    for (const char* text : cases) {
        ExpectSameAsReference(text);
    }
}

TEST(CAtof, MatchesStrtodOnRandomMeterStyleNumbers)
{
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 20000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        ExpectSameAsReference(voltora::platform::CFormat("%+.8E", value));
        ExpectSameAsReference(voltora::platform::CFormat("%.17g", value));
    }
}

TEST(CAtof, IgnoresTheProcessLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no German locale installed";
    }
    EXPECT_EQ(CAtof("1.5"), 1.5);
    EXPECT_EQ(CAtof("1,5"), 1.0);
    std::setlocale(LC_ALL, previous.c_str());
}

TEST(AtomicAdd32, ReturnsTheNewValue)
{
    std::atomic<std::int32_t> counter{0};
    EXPECT_EQ(voltora::platform::AtomicAdd32(counter, 1), 1);
    EXPECT_EQ(voltora::platform::AtomicAdd32(counter, 1), 2);
    EXPECT_EQ(voltora::platform::AtomicAdd32(counter, -1), 1);
    EXPECT_EQ(counter.load(), 1);
}
