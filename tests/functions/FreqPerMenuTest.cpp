// The frequency/period function's menu and texts, without a meter.

#include "FakeFrontPanel.h"
#include "SoftKeyProbe.h"

#include "functions/CZANFunctionFreqPer.h"

#include <gtest/gtest.h>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

using Texts = std::vector<std::string>;

const Texts kRootPage = {"Freq", "Range", "", "", "Rel", ""};
const Texts kRangePage = {"Auto", "200mV", "2V", "20v", "200V", "750V"};

class FreqPerMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        function.Initialise();
        function.Activate();
    }

    FakeFrontPanel panel;
    CZANFunctionFreqPer function{&panel};
};

}  // namespace

TEST_F(FreqPerMenuTest, AFreshObjectMeasuresFrequencyOnTheRootPage)
{
    EXPECT_EQ(function.name.Get(), "Frequency");
    EXPECT_FALSE(function.IsPeriod());
    EXPECT_EQ(function.GetValueText(), "$INIT$");
    EXPECT_EQ(function.GetUnitText(), "Hz");
    EXPECT_EQ(function.GetBaseUnit(), "Hz");
    EXPECT_EQ(function.GetRangeModeText(), "Manual");
    EXPECT_EQ(function.GetRangeText(), "200mV");
    EXPECT_EQ(function.GetMathInfo().available, 0);

    EXPECT_EQ(KeyTexts(function), kRootPage);
    EXPECT_EQ(KeyValues(function), (Texts{"Period", "200mV", "", "", "", ""}));
    // "Freq" is the marked one of the two texts of the first key.
    const auto measurement = function.GetSoftKeyItem(0)->GetColours();
    EXPECT_EQ(measurement.nameColour, kMarkedColour);
    EXPECT_EQ(measurement.valueColour, kPlainColour);
    EXPECT_EQ(function.GetSoftKeyItem(4)->ChosenLeftRight(), "Off");
    EXPECT_EQ(Highlighted(function, 79, 84), std::vector<int>{80});
    EXPECT_EQ(panel.ViewsUnits(), Texts{"Hz"});
    EXPECT_TRUE(panel.Messages().empty());
    EXPECT_EQ(function.ItemIds(), (std::vector<int>{76, 77, 78, 79, 80, 81, 82, 83, 84}));
}

TEST_F(FreqPerMenuTest, EachRangeOptionReturnsToTheRootPage)
{
    const struct {
        int key;
        const char* caption;
        const char* rangeMode;
    } cases[] = {
        {2, "2V", "Manual"},    {3, "20v", "Manual"},  {0, "Auto", "Auto"},
        {5, "750V", "Manual"},  {1, "200mV", "Manual"}, {4, "200V", "Manual"},
    };
    for (const auto& c : cases) {
        function.PressKey(1);
        EXPECT_EQ(KeyTexts(function), kRangePage);
        function.PressKey(c.key);
        EXPECT_EQ(KeyTexts(function), kRootPage) << c.caption;
        EXPECT_EQ(function.GetSoftKeyValue(1), c.caption);
        EXPECT_EQ(function.GetRangeModeText(), c.rangeMode);
        EXPECT_EQ(Highlighted(function, 79, 84), std::vector<int>{79 + c.key}) << c.caption;
        // The label changes only when the worker applies it.
        EXPECT_EQ(function.GetRangeText(), "200mV");
    }
    EXPECT_EQ(function.GetPendingCount("Range"), 6);
    EXPECT_EQ(function.GetPendingCount("Function"), 0);
}

TEST_F(FreqPerMenuTest, TheFirstKeySwitchesBetweenFrequencyAndPeriod)
{
    function.PressKey(0);
    EXPECT_EQ(function.GetSoftKeyItem(0)->ChosenNameValue(), "Period");
    EXPECT_EQ(function.name.Get(), "Period");
    EXPECT_TRUE(function.IsPeriod());
    EXPECT_EQ(function.GetBaseUnit(), "S");
    EXPECT_EQ(function.GetUnitText(), "S");
    EXPECT_EQ(panel.ViewsUnits(), (Texts{"Hz", "S"}));
    EXPECT_EQ(function.GetPendingCount("Function"), 1);
    EXPECT_EQ(KeyTexts(function), kRootPage);

    function.PressKey(0);
    EXPECT_EQ(function.GetSoftKeyItem(0)->ChosenNameValue(), "Freq");
    EXPECT_EQ(function.name.Get(), "Frequency");
    EXPECT_EQ(function.GetUnitText(), "Hz");
    EXPECT_EQ(panel.ViewsUnits(), (Texts{"Hz", "S", "Hz"}));
    EXPECT_EQ(function.GetPendingCount("Function"), 2);
}

TEST_F(FreqPerMenuTest, ActivateGivesTheViewsTheUnitOfTheMeasurementShown)
{
    function.PressKey(0);  // period
    function.PressKey(1);  // leave the root page
    panel.Clear();
    function.Activate();
    EXPECT_EQ(panel.ViewsUnits(), Texts{"S"});
    EXPECT_EQ(function.GetSoftKeyItem(0)->ChosenNameValue(), "Period");
    EXPECT_EQ(KeyTexts(function), kRootPage);

    function.name = "Frequency";  // as LoadSettings sets it from the meter
    function.Activate();
    EXPECT_EQ(panel.ViewsUnits(), (Texts{"S", "Hz"}));
    EXPECT_EQ(function.GetSoftKeyItem(0)->ChosenNameValue(), "Freq");
}

TEST_F(FreqPerMenuTest, RelKeyFlipsAndArrowKeysDoNothing)
{
    function.PressKey(4);
    EXPECT_EQ(function.GetRelState(), "On");
    EXPECT_EQ(function.GetPendingCount("Rel"), 1);
    for (int key : {2, 3, 5, 6, 7, 8, 9}) {
        function.PressKey(key);
    }
    EXPECT_EQ(KeyTexts(function), kRootPage);
    EXPECT_EQ(function.GetPendingCount("Rel"), 1);
    EXPECT_EQ(function.GetPendingCount("Range") + function.GetPendingCount("Function"), 0);
    EXPECT_FALSE(function.IsEntryActive());
}

TEST_F(FreqPerMenuTest, ReadingsAreScaledWithSevenDigits)
{
    const struct {
        bool period;
        const char* reading;
        const char* value;
        const char* unit;
    } cases[] = {
        {false, "+1.00002000E+03", "+1.0000", "kHz"},
        {false, "+1.23456789E+04", "+12.345", "kHz"},
        {false, "+5.00000000E+01", "+50.000", " Hz"},
        {false, "5e-13", "+0.0000", " Hz"},  // below 1e-12: zero, not pico
        {false, "-5e-13", "+0.0000", " Hz"},
        {false, "0", "+0.0000", " Hz"},
        {false, "Overload", "Overload", "Hz"},
        {false, "$INIT$", "$INIT$", "Hz"},
        {true, "+8.10044552E-04", "+810.04", "uS"},
        {true, "+5.00000000E-01", "+500.00", "mS"},
        {true, "+2.5E+00", "+2.5000", " S"},
        {true, "Overload", "Overload", "S"},
    };
    for (const auto& c : cases) {
        if (function.IsPeriod() != c.period) {
            function.PressKey(0);
        }
        function.SetReadingText(c.reading);
        EXPECT_EQ(function.GetValueText(), c.value) << c.reading;
        EXPECT_EQ(function.GetUnitText(), c.unit) << c.reading;
    }
}
