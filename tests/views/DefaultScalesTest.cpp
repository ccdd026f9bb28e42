// The Default scales of the bar meter and the trend chart, per function,
// range and temperature unit.

#include "views/DefaultScales.h"

#include <gtest/gtest.h>

#include <optional>

using namespace voltora::views;

namespace {

struct ScaleCase {
    const char* function;
    const char* unit;
    const char* range;
    std::optional<ScaleBounds> expected;
};

void ExpectBounds(const std::optional<ScaleBounds>& actual, const std::optional<ScaleBounds>& expected)
{
    ASSERT_EQ(actual.has_value(), expected.has_value());
    if (expected) {
        // Within 4 ULP: a single-precision bound given in double precision
        // (or the other way round) is far outside.
        EXPECT_DOUBLE_EQ(actual->high, expected->high);
        EXPECT_DOUBLE_EQ(actual->low, expected->low);
    }
}

TEST(BarMeterRangeValue, ReadsTheDigitsAndThePrefixAfterThem)
{
    EXPECT_DOUBLE_EQ(BarMeterRangeValue("200mV"), 0.2);
    EXPECT_DOUBLE_EQ(BarMeterRangeValue("2V"), 2.0);
    EXPECT_DOUBLE_EQ(BarMeterRangeValue("1k$OHM$"), 1000.0);
    EXPECT_DOUBLE_EQ(BarMeterRangeValue("10M$OHM$"), 1e7);
    EXPECT_DOUBLE_EQ(BarMeterRangeValue("200uA"), 0.0002);
    EXPECT_DOUBLE_EQ(BarMeterRangeValue("2nF"), 2e-9);
    EXPECT_DOUBLE_EQ(BarMeterRangeValue("1000"), 1000.0);
    EXPECT_DOUBLE_EQ(BarMeterRangeValue(""), 0.0);
}

TEST(BarMeterDefaultScale, FollowsTheFunctionAndRange)
{
    const ScaleCase cases[] = {
        {"DC Voltage", "VDC", "200mV", ScaleBounds{0.2, -0.2}},
        {"DC Current", "ADC", "10A", ScaleBounds{10.0, -10.0}},
        {"AC Voltage", "VAC", "2V", ScaleBounds{2.0, 0.0}},
        {"2 Wire Resistance", "$OHM$", "1k$OHM$", ScaleBounds{1000.0, 0.0}},
        {"Capacitance", "F", "2nF", ScaleBounds{2e-9, 0.0}},
        {"Frequency", "Hz", "", ScaleBounds{10000.0, 1.0}},
        {"Period", "S", "", ScaleBounds{1.0, 0.00009999999747378752}},
        {"Continuity", "$OHM$", "", ScaleBounds{2000.0, 1.0}},
        {"Diode", "V", "", ScaleBounds{2.0, 0.0}},
        {"Temperature", "$T_C$", "", ScaleBounds{100.0, -100.0}},
        {"Temperature", "$T_F$", "", ScaleBounds{212.0, -148.0}},
        {"Temperature", "K", "", ScaleBounds{373.1499938964844, -173.14999389648438}},
        {"Temperature", "V", "", std::nullopt},
    };
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(std::string(c.function) + " " + c.unit + " " + c.range);
        ExpectBounds(BarMeterDefaultScale(c.function, c.unit, c.range), c.expected);
    }
}

TEST(TrendDefaultScale, FollowsTheFunctionAndRange)
{
    const ScaleCase cases[] = {
        {"DC Voltage", "VDC", "2V", ScaleBounds{2.0, -2.0}},
        {"DC Current", "ADC", "200uA", ScaleBounds{0.0002, -0.0002}},
        {"AC Voltage", "VAC", "200mV", ScaleBounds{0.2, 0.0}},
        {"AC Current", "AAC", "2A", ScaleBounds{2.0, 0.0}},
        {"2 Wire Resistance", "$OHM$", "2k$OHM$", ScaleBounds{2000.0, 0.0}},
        {"4 Wire Resistance", "$OHM$", "10M$OHM$", ScaleBounds{1e7, 0.0}},
        {"Capacitance", "F", "10000uF", ScaleBounds{0.01, 0.0}},
        {"Frequency", "Hz", "", ScaleBounds{1000000.0, 1.0}},
        {"Period", "S", "", ScaleBounds{1.0, 0.0001}},
        {"Continuity", "$OHM$", "", ScaleBounds{2000.0, 0.0}},
        {"Diode", "V", "", ScaleBounds{2.0, 0.0}},
        {"Temperature", "$T_C$", "", ScaleBounds{100.0, -100.0}},
        {"Temperature", "$T_F$", "", ScaleBounds{212.0, -148.0}},
        {"Temperature", "K", "", ScaleBounds{373.1499938964844, -173.14999389648438}},
        {"Temperature", "$OHM$", "", std::nullopt},
        {"Unknown", "V", "2V", std::nullopt},
    };
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(std::string(c.function) + " " + c.unit + " " + c.range);
        ExpectBounds(TrendDefaultScale(c.function, c.unit, c.range), c.expected);
    }
}

}  // namespace
