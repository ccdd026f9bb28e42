// The views' texts: statistics, relative value, limits, the dB/dBm group's
// enabling rules and the scale labels.

#include "views/MathFormatting.h"
#include "views/ViewText.h"

#include <gtest/gtest.h>

#include <optional>

#include <cmath>
#include <limits>
#include <string>

using namespace voltora::views;

namespace {

struct StatisticCase {
    const char* text;
    int decimals;
    const char* function;
    const char* unit;
    const char* expected;
};

class StatisticFormatting : public ::testing::TestWithParam<StatisticCase> {};

TEST_P(StatisticFormatting, FormatsLikeTheMeterDisplay)
{
    const StatisticCase& c = GetParam();
    EXPECT_EQ(FormatStatistic(c.text, c.decimals, c.function, c.unit), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatisticFormatting,
    ::testing::Values(
        // A volt reading below 1 moves to millivolts.
        StatisticCase{"7.5645E-01", 5, "DC Voltage", "VDC", "756.45000m"},
        StatisticCase{"7.5645E-01", 6, "DC Voltage", "VDC", "756.450000m"},
        StatisticCase{"+1.23456E+00", 5, "DC Voltage", "VDC", "1.23456"},
        StatisticCase{"-1.23E-02", 3, "DC Voltage", "VDC", "-12.300m"},
        // 0 multiplies down to the smallest prefix.
        StatisticCase{"0", 3, "DC Voltage", "VDC", "0.000n"},
        // The unit's prefix scales first ("mVDC": millivolts).
        StatisticCase{"1.5E-01", 3, "DC Voltage", "mVDC", "150.000m"},
        StatisticCase{"1500", 3, "2 Wire Resistance", "k$OHM$", "1.500k"},
        // "$OHM$" contains "M": the value starts in megaohms and the
        // normalisation brings it back to ohms.
        StatisticCase{"500", 3, "2 Wire Resistance", "$OHM$", "500.000"},
        StatisticCase{"2.2E+07", 3, "2 Wire Resistance", "M$OHM$", "22.000M"},
        // Above the largest prefix the value stays above 1000.
        StatisticCase{"5E+12", 1, "DC Voltage", "VDC", "5000000.0M"},
        StatisticCase{"Overload", 3, "DC Voltage", "VDC", "Overload"},
        StatisticCase{"Overload", 3, "Diode", "VDC", "open"},
        StatisticCase{"Overload", 3, "Continuity", "$OHM$", "open"}));

TEST(StatisticFormattingLimits, TextIsCutTo31Characters)
{
    const std::string text = FormatStatistic("1E+40", 3, "DC Voltage", "VDC");
    EXPECT_EQ(text.size(), 31u);
    EXPECT_EQ(text.find('.'), std::string::npos);  // the decimals are cut off
}

TEST(StatisticDecimals, CountsTheDigitsAfterTheFirstPoint)
{
    EXPECT_EQ(StatisticDecimals("+0.75645"), 5);
    EXPECT_EQ(StatisticDecimals("+1.2"), 1);
    EXPECT_EQ(StatisticDecimals("12."), 0);
    // Without a point (such as "open"): 3.
    EXPECT_EQ(StatisticDecimals("open"), 3);
    EXPECT_EQ(StatisticDecimals(""), 3);
}

TEST(RelValueDisplay, ChoosesThePrefixThatBringsTheValueIntoRange)
{
    struct Case {
        const char* value;
        int prefix;
        const char* text;
    };
    for (const Case& c : {Case{"0.0015", 3, "1.500000"}, Case{"2500", 5, "2.500000"},
                          Case{"1.000000000000", 4, "1.000000"}, Case{"-0.5", 3, "-500.000000"},
                          Case{"0", 0, "0.000000"}, Case{"1E+12", 7, "1000.000000"},
                          Case{"999.5", 4, "999.500000"}}) {
        SCOPED_TRACE(c.value);
        const RelValueDisplay display = RelValueForDisplay(c.value);
        EXPECT_EQ(display.prefixIndex, c.prefix);
        EXPECT_EQ(display.text, c.text);
    }
}

TEST(RelValueText, ScalesTheTypedNumberByItsPrefix)
{
    EXPECT_EQ(RelValueText(2.5, 5), "2500.000000000000");
    EXPECT_EQ(RelValueText(1.5, 3), "0.001500000000");
    EXPECT_EQ(RelValueText(-1.0, 4), "-1.000000000000");
    EXPECT_EQ(RelValueText(3.0, 7), "3000000000.000000000000");
    EXPECT_EQ(RelValueText(250.0, 2), "0.000250000000");
}

TEST(LimitDisplay, DropsThePrefixLetterAndSelectsIt)
{
    const LimitDisplay kilo = LimitForDisplay(1500.0);
    EXPECT_EQ(kilo.text, "1.500");
    EXPECT_EQ(kilo.prefixIndex, 5);
    const LimitDisplay plain = LimitForDisplay(5.0);
    EXPECT_EQ(plain.text, "5");
    EXPECT_EQ(plain.prefixIndex, 4);
    const LimitDisplay milli = LimitForDisplay(-0.002);
    EXPECT_EQ(milli.text, "-2.000");
    EXPECT_EQ(milli.prefixIndex, 3);
}

TEST(TypedLimit, ReadsTheTextWithItsPrefixAndRefusesOutOfRangeValues)
{
    EXPECT_DOUBLE_EQ(*TypedLimit("15", "m"), 0.015);
    EXPECT_DOUBLE_EQ(*TypedLimit("1 0", "k"), 10000.0);  // spaces removed
    EXPECT_DOUBLE_EQ(*TypedLimit("-2", " "), -2.0);
    // Only the leading digits are read.
    EXPECT_DOUBLE_EQ(*TypedLimit("1.5", "m"), 1.0);
    EXPECT_DOUBLE_EQ(*TypedLimit("100", "M"), 1e8);
    EXPECT_FALSE(TypedLimit("200", "M"));
    EXPECT_FALSE(TypedLimit("0", " "));
    EXPECT_FALSE(TypedLimit("abc", " "));
    EXPECT_FALSE(TypedLimit("", "p"));
}

TEST(ParseTypedNumber, ReadsWholeDecimalNumbersAndNothingElse)
{
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"1.51", 1.51},   {"-1.49", -1.49}, {"+2", 2.0},        {".5", 0.5},      {"5.", 5.0},
        {"2E-3", 2e-3},   {"-2.5e+1", -25.0}, {" 7 ", 7.0},     {"0", 0.0},       {"1e22", 1e22},
        {"", std::nullopt}, {"abc", std::nullopt}, {"1.5m", std::nullopt}, {"1,5", std::nullopt},
        {"-", std::nullopt}, {".", std::nullopt}, {"1e", std::nullopt}, {"e5", std::nullopt},
        {"nan", std::nullopt}, {"inf", std::nullopt}, {"1.2.3", std::nullopt}, {"1 2", std::nullopt},
        {"0x10", std::nullopt}, {"--1", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseTypedNumber(c.text), c.value) << c.text;
    }
    EXPECT_DOUBLE_EQ(TypedScaleBound(QString::fromLatin1("15"), 3).value_or(0.0), 0.015);
    EXPECT_FALSE(TypedScaleBound(QString::fromLatin1("15x"), 3).has_value());
}

TEST(ParseTypedValue, KeepsALeadingSign)
{
    EXPECT_DOUBLE_EQ(ParseTypedValue("-1 "), -1.0);
    EXPECT_DOUBLE_EQ(ParseTypedValue("+2k"), 2000.0);
    EXPECT_DOUBLE_EQ(ParseTypedValue("15m"), 0.015);
    EXPECT_DOUBLE_EQ(ParseTypedValue("1.5m"), 1.0);
    EXPECT_DOUBLE_EQ(ParseTypedValue("-"), 0.0);
    EXPECT_DOUBLE_EQ(ParseTypedValue("nan"), 0.0);
}

TEST(DbControls, FollowTheRecordOfTheFunction)
{
    // No dB/dBm scaling: the whole group is greyed out, check box included.
    EXPECT_EQ(DbControlsForRecord(0, 1, "dB"), DbControls{});

    DbControls off;
    off.scaleCheck = true;
    EXPECT_EQ(DbControlsForRecord(1, 0, "dB"), off);

    DbControls dbm = off;
    dbm.dbRadio = dbm.dbmRadio = dbm.referenceList = dbm.referenceSet = true;
    EXPECT_EQ(DbControlsForRecord(1, 1, "dBm"), dbm);

    DbControls db = dbm;
    db.dbReferenceEdit = db.dbReferenceSet = db.measureReference = true;
    EXPECT_EQ(DbControlsForRecord(1, 1, "dB"), db);

    EXPECT_EQ(DbControlsForState(0, "dB"), off);
    EXPECT_EQ(DbControlsForState(1, "dB"), db);
    EXPECT_EQ(DbControlsForState(1, "dBm"), dbm);
}

TEST(ScaleLabels, PrintThreeDecimalsAndThePrefixText)
{
    EXPECT_EQ(ScaleLabelText(-0.2), "-200.000m");
    EXPECT_EQ(ScaleLabelText(0.0), "0.000 ");
    EXPECT_EQ(ScaleLabelText(0.2), "200.000m");
    EXPECT_EQ(ScaleLabelText(2.0), "2.000 ");
    EXPECT_EQ(ScaleLabelText(1e6), "1.000M");
    EXPECT_EQ(ScaleLabelText(1e20), "100000.000P");

    EXPECT_EQ(CompactScaledText(40.0), "40.000");
    EXPECT_EQ(CompactScaledText(1500.0), "1.500k");
    EXPECT_EQ(CompactScaledText(-1.0), "-1.000");
    EXPECT_EQ(CompactScaledText(0.0), "0.000");
}

TEST(ScaleLabels, NeighbouringLabelsGetTheDecimalsThatTellThemApart)
{
    const struct {
        std::array<double, 3> values;
        std::array<const char*, 3> scale;
        std::array<const char*, 3> compact;
    } cases[] = {
        {{-2.0, 0.0, 2.0}, {"-2.000 ", "0.000 ", "2.000 "}, {"-2.000", "0.000", "2.000"}},
        {{1.5029, 1.5030, 1.5031}, {"1.5029 ", "1.5030 ", "1.5031 "}, {"1.5029", "1.5030", "1.5031"}},
        {{1.503102, 1.503105, 1.503108}, {"1.503102 ", "1.503105 ", "1.503108 "}, {"1.503102", "1.503105", "1.503108"}},
        {{0.0015029, 0.001503, 0.0015031}, {"1.5029m", "1.5030m", "1.5031m"}, {"1.5029m", "1.5030m", "1.5031m"}},
        {{1.0, 1.0, 1.0}, {"1.000 ", "1.000 ", "1.000 "}, {"1.000", "1.000", "1.000"}},  // equal stays short
    };
    for (const auto& c : cases) {
        const auto [low, middle, high] = c.values;
        const auto scale = ScaleLabelTexts(low, middle, high);
        const auto compact = CompactScaledTexts(low, middle, high);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(scale[i], c.scale[i]) << low << " " << high;
            EXPECT_EQ(compact[i], c.compact[i]) << low << " " << high;
        }
    }
    EXPECT_EQ(CountText(314.0), "314");
    EXPECT_EQ(CountText(0.0), "0");
    EXPECT_EQ(CountText(1500.0), "1.500k");
}

TEST(PrefixFactor, IsAPowerOfAThousandAroundTheBlank)
{
    EXPECT_DOUBLE_EQ(PrefixFactor(4), 1.0);
    EXPECT_DOUBLE_EQ(PrefixFactor(3), 1e-3);
    EXPECT_DOUBLE_EQ(PrefixFactor(0), 1e-12);
    EXPECT_DOUBLE_EQ(PrefixFactor(9), 1e15);
    // A list without a selection leaves the number as typed.
    EXPECT_DOUBLE_EQ(PrefixFactor(-1), 1.0);
    EXPECT_DOUBLE_EQ(PrefixFactor(10), 1.0);
}

TEST(DisplayText, DrawsTheUnitTokens)
{
    EXPECT_EQ(DisplayText("k$OHM$"), QStringLiteral("k\u2126"));
    EXPECT_EQ(DisplayText("$T_C$"), QStringLiteral("\u00B0C"));
    EXPECT_EQ(NarrowText(QStringLiteral("\u00B5")), "\xC2\xB5");
}

}  // namespace
