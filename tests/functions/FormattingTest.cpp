#include "functions/DisplayText.h"
#include "functions/Engineering.h"
#include "functions/ReadingFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using namespace voltora::functions;

namespace {

struct FormatCase {
    const char* valueText;
    const char* rangeText;
    int digits;
    const char* signedText;
    const char* prefix;
};

ReadingFormat Format(const FormatCase& c)
{
    ReadingFormat format;
    format.valueText = c.valueText;
    format.rangeText = c.rangeText;
    format.digits = c.digits;
    FormatReading(format);
    return format;
}

const FormatCase kFormatCases[] = {
    // The worked examples.
    {"1.234567", "2V", 8, "+1.23457", " "},
    {"1.9999999", "2V", 8, "+2.00000", " "},
    {"-1.5", "2V", 7, "-1.5000", " "},
    {"12.3", "2V", 8, "+12.3000", " "},
    {"0.0123456", "200mV", 8, "+012.346", "m"},
    {"0.2", "200mV", 8, "+200.000", "m"},
    {"1.5", "200mV", 8, "+1.50000", " "},
    {"123.4", "1000V", 8, "+0123.40", " "},
    {"10.5", "10A", 8, "+10.5000", " "},
    {"0.00012", "200uA", 8, "+120.000", "u"},
    {"5000", "2k$OHM$", 8, "+5.00000", "k"},
    {"0.0012345", "", 8, "+1.23450", "m"},
    {"0", "", 8, "+0.00000", "p"},
    // The function examples: DC current, frequency, meter-style texts.
    {"0.002", "20mA", 8, "+02.0000", "m"},
    {"+1.23456789E+00", "2V", 7, "+1.2346", " "},
    {"-0.5", "200mV", 8, "-500.000", "m"},
    {"1234567", "", 7, "+1.2345", "M"},
    {"4.2e-13", "", 7, "+0.4200", "p"},
    // Edge cases: a value that is not a number formats as 0; a range label
    // without a prefix letter after its digits means no prefix.
    {"abc", "2V", 8, "+0.00000", " "},
    {"150", "200$OHM$", 8, "+150.000", " "},
    {"2.5e9", "", 8, "+2.50000", "G"},
    {"2.5e12", "", 8, "+2500.00", "G"},
};

}  // namespace

TEST(FormatReading, WorkedExamples)
{
    for (const FormatCase& c : kFormatCases) {
        const ReadingFormat format = Format(c);
        EXPECT_EQ(format.signedText, c.signedText) << c.valueText << " on " << c.rangeText;
        EXPECT_EQ(format.prefix, c.prefix) << c.valueText << " on " << c.rangeText;
        EXPECT_EQ(format.signedText.size(), static_cast<std::size_t>(c.digits))
            << c.valueText << " on " << c.rangeText;
    }
}

TEST(FormatReading, CountsTheLeadingDigitsOfTheRange)
{
    const struct {
        const char* range;
        int intDigits;
    } cases[] = {{"2V", 1}, {"200mV", 3}, {"1000V", 4}, {"10000uF", 5}, {"Auto", 0}};
    for (const auto& c : cases) {
        ReadingFormat format;
        format.valueText = "1";
        format.rangeText = c.range;
        FormatReading(format);
        EXPECT_EQ(format.intDigits, c.intDigits) << c.range;
    }
}

TEST(FormatReading, WritesTheDecimalPointWhateverTheProcessLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no German locale installed";
    }
    ReadingFormat format;
    format.valueText = "1.234567";
    format.rangeText = "2V";
    FormatReading(format);
    std::string engineering;
    EngineeringText(1500.0, engineering);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(format.signedText, "+1.23457");
    EXPECT_EQ(engineering, "1.500k");
}

TEST(DisplayText, ReplacesTheTokens)
{
    EXPECT_EQ(ToDisplayText("$INIT$"), L"\u25CF.\u25CF\u25CF\u25CF\u25CF\u25CF");
    EXPECT_EQ(ToDisplayText("10M$OHM$"), L"10M\u2126");
    EXPECT_EQ(ToDisplayText("$T_C$"), L"\u00B0C");
    EXPECT_EQ(ToDisplayText("-12.5 $T_F$"), L"-12.5 \u00B0F");
    EXPECT_EQ(ToDisplayText("$OHM$$OHM$"), L"\u2126\u2126");
    EXPECT_EQ(ToDisplayText("$T_X$"), L"$T_X$");
    EXPECT_EQ(ToDisplayText("VDC"), L"VDC");
}

TEST(DisplayText, NarrowTextIsUtf8)
{
    EXPECT_EQ(ToNarrowText(L"1.5"), "1.5");
    EXPECT_EQ(ToNarrowText(L"\u00B0C"), "\xC2\xB0" "C");
}

TEST(Engineering, NormalisesIntoOneToAThousand)
{
    const struct {
        double value;
        int index;
        double scaled;
    } cases[] = {
        {0.0, 4, 0.0},     {1500.0, 5, 1.5},     {-2500.0, 5, -2.5},   {0.5, 3, 500.0},
        {5.0, 4, 5.0},     {2e-9, 1, 2.0},       {1e18, 9, 1000.0},    {1e-20, 0, 1e-8},
        {999.0, 4, 999.0}, {1000.0, 5, 1.0},
    };
    for (const auto& c : cases) {
        double value = c.value;
        EXPECT_EQ(NormaliseEngineering(value), c.index) << c.value;
        EXPECT_DOUBLE_EQ(value, c.scaled) << c.value;
    }
}

TEST(Engineering, CompactText)
{
    const struct {
        double value;
        const char* text;
        int index;
    } cases[] = {{1500.0, "1.500k", 5}, {0.5, "500.000m", 3}, {5.0, "5", 4}, {-2500.0, "-2.500k", 5},
                 {0.0, "0", 4}};
    for (const auto& c : cases) {
        std::string text;
        EXPECT_EQ(EngineeringText(c.value, text), c.index) << c.value;
        EXPECT_EQ(text, c.text) << c.value;
    }
    // A value far beyond the largest prefix is cut to the 31-character buffer.
    std::string huge;
    EXPECT_EQ(EngineeringText(1e300, huge), 9);
    EXPECT_EQ(huge.size(), 31u);
    EXPECT_EQ(huge.substr(0, 10), "1000000000");
}

TEST(Engineering, RangeLabelValues)
{
    const struct {
        const char* label;
        double value;
    } cases[] = {
        {"200mV", 0.2},      {"2V", 2.0},         {"10A", 10.0},       {"200uA", 0.0002},
        {"2k$OHM$", 2000.0}, {"10M$OHM$", 1e7},   {"2nF", 2e-9},       {"10000uF", 0.01},
        {"Auto", 0.0},       {"1.5k", 1.0},       {"", 0.0},           {"750V", 750.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(ParseRangeValue(c.label), c.value) << c.label;
    }
}
