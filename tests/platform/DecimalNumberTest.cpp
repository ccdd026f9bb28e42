#include "platform/DecimalNumber.h"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>

using voltora::platform::ParseDecimalNumber;

TEST(DecimalNumber, ReadsWholePlainNumbers)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"20", 20.0},        {"-1.5", -1.5},          {"+1.51", 1.51},  {".5", 0.5},
        {"5.", 5.0},         {"0.000200", 0.0002},    {"2E-3", 0.002},  {"2.000000E+01", 20.0},
        {"-7e2", -700.0},    {"9.9E+37", 9.9e37},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<double> value = ParseDecimalNumber(c.text);
        ASSERT_TRUE(value.has_value());
        EXPECT_DOUBLE_EQ(*value, c.value);
    }
}

TEST(DecimalNumber, RefusesAnythingElse)
{
    for (const char* text : {"", "+", "-", ".", "e5", "1e", "1e+", "1.5V", "1,5", " 1", "1 ", "abc",
                             "1..5", "--1", "0x10", "inf", "nan", "1.5.2"}) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        EXPECT_FALSE(ParseDecimalNumber(text).has_value());
    }
}

TEST(DecimalNumber, ReadsAPointUnderADecimalCommaLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 is not installed (scripts/setup.sh generates it)";
    }
    const std::optional<double> value = ParseDecimalNumber("1.51");
    const std::optional<double> comma = ParseDecimalNumber("1,51");
    std::setlocale(LC_ALL, previous.c_str());
    ASSERT_TRUE(value.has_value());
    EXPECT_DOUBLE_EQ(*value, 1.51);
    EXPECT_FALSE(comma.has_value());
}
