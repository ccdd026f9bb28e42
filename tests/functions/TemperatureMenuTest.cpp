// The temperature function's menu, sensor choice and texts, without a meter.

#include "FakeFrontPanel.h"
#include "SoftKeyProbe.h"

#include "functions/CZANFunctionTemperature.h"

#include <gtest/gtest.h>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

using Texts = std::vector<std::string>;

const Texts kRootPage = {"Load", "Display", "", "Units", "Rel", ""};
const Texts kRootPageWithoutRel = {"Load", "Display", "", "Units", "", ""};

class TemperatureMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        function.Initialise();
        function.Activate();
    }

    FakeFrontPanel panel;
    CZANFunctionTemperature function{&panel};
};

}  // namespace

TEST(TemperatureMenuInitial, ItemsCarryTheirInitialTextsUntilActivate)
{
    CZANFunctionTemperature function(nullptr);
    function.Initialise();
    EXPECT_EQ(function.Item(88)->GetValue(), "KITS90");
    EXPECT_EQ(function.Item(89)->GetValue(), "Temp Val");
    EXPECT_EQ(function.Item(90)->GetValue(), "$T_C$");
    EXPECT_EQ(function.GetSensorName(), "BITS90");
    EXPECT_EQ(function.GetDisplayMode(), "All");
    function.Activate();  // without a panel: nothing to tell the views
    EXPECT_EQ(function.Item(88)->GetValue(), "BITS90");
    EXPECT_EQ(function.Item(89)->GetValue(), "All");
}

TEST_F(TemperatureMenuTest, AFreshObjectShowsTheRootPageWithRel)
{
    EXPECT_EQ(function.name.Get(), "Temperature");
    EXPECT_EQ(function.GetValueText(), "$INIT$");
    EXPECT_EQ(function.GetUnitText(), "$T_C$");
    EXPECT_EQ(function.GetBaseUnit(), "$T_C$");
    EXPECT_EQ(function.GetMeasuredValueText(), "$INIT$");
    EXPECT_EQ(function.GetMeasuredUnitText(), "VDC");
    EXPECT_EQ(function.GetRangeText(), "100");
    EXPECT_EQ(function.GetRangeModeText(), "");
    EXPECT_EQ(function.GetSensorDefinition(), "MANU DEFINE");
    EXPECT_EQ(function.GetSensorType(), "THER");
    EXPECT_FALSE(function.IsEntryActive());
    EXPECT_EQ(function.GetMathInfo().available, 0);

    EXPECT_EQ(KeyTexts(function), kRootPage);
    EXPECT_EQ(KeyValues(function), (Texts{"BITS90", "All", "", "$T_C$", "", ""}));
    EXPECT_EQ(function.GetSoftKeyItem(4)->ChosenLeftRight(), "Off");
    EXPECT_EQ(Highlighted(function, 127, 129), std::vector<int>{129});
    EXPECT_EQ(Highlighted(function, 130, 132), std::vector<int>{130});
    EXPECT_EQ(panel.ViewsUnits(), Texts{"$T_C$"});
    EXPECT_EQ(function.ItemIds(), (std::vector<int>{88, 89, 90, 91, 127, 128, 129, 130, 131, 132}));
}

TEST_F(TemperatureMenuTest, MeasuredValueDisplayDropsRelFromTheRootPage)
{
    const struct {
        int key;
        const char* mode;
        const Texts* root;
    } cases[] = {
        {1, "Meas Val", &kRootPageWithoutRel},
        {2, "All", &kRootPage},
        {1, "Meas Val", &kRootPageWithoutRel},
        {0, "Temp Val", &kRootPage},
    };
    int marks = 0;
    for (const auto& c : cases) {
        function.PressKey(1);
        EXPECT_EQ(KeyTexts(function), (Texts{"Temp Val", "Meas Val", "All", "", "", ""}));
        function.PressKey(c.key);
        EXPECT_EQ(KeyTexts(function), *c.root) << c.mode;
        EXPECT_EQ(function.GetDisplayMode(), c.mode);
        EXPECT_EQ(function.GetSoftKeyValue(1), c.mode);
        EXPECT_EQ(Highlighted(function, 127, 129), std::vector<int>{127 + c.key});
        EXPECT_EQ(function.GetPendingCount("Display"), ++marks);
    }
    EXPECT_EQ(panel.ViewsUnits(), Texts{"$T_C$"});  // the display mode does not change the unit
}

TEST_F(TemperatureMenuTest, UnitOptionsChangeTheUnitAndTellTheViews)
{
    const struct {
        int key;
        const char* unit;
    } cases[] = {{2, "K"}, {1, "$T_F$"}, {0, "$T_C$"}};
    Texts told = {"$T_C$"};
    for (const auto& c : cases) {
        function.PressKey(3);
        EXPECT_EQ(KeyTexts(function), (Texts{"$T_C$", "$T_F$", "K", "", "", ""}));
        function.PressKey(c.key);
        told.push_back(c.unit);
        EXPECT_EQ(panel.ViewsUnits(), told);
        EXPECT_EQ(KeyTexts(function), kRootPage);
        EXPECT_EQ(function.GetSoftKeyValue(3), c.unit);
        EXPECT_EQ(function.GetBaseUnit(), c.unit);
        EXPECT_EQ(Highlighted(function, 130, 132), std::vector<int>{130 + c.key});
    }
    EXPECT_EQ(function.GetPendingCount("Unit"), 3);
}

TEST_F(TemperatureMenuTest, LoadOpensTheSensorDialogAndTheChoiceComesBackThroughLoadSensor)
{
    function.PressKey(0);
    EXPECT_EQ(panel.SensorDialogOpens(), 1);
    EXPECT_EQ(function.GetPendingCount("Sensor"), 0);
    EXPECT_EQ(KeyTexts(function), kRootPage);

    const struct {
        bool userDefined;
        bool rtd;
        const char* name;
        const char* definition;
        const char* type;
        const char* measuredUnit;
    } cases[] = {
        {true, true, "PT100U", "USER DEFINE", "RTD", "$OHM$"},
        {false, false, "KITS90", "MANU DEFINE", "THER", "VDC"},
        {false, true, "PT1000", "MANU DEFINE", "RTD", "$OHM$"},
        {true, false, "JUSER", "USER DEFINE", "THER", "VDC"},
    };
    int marks = 0;
    for (const auto& c : cases) {
        function.LoadSensor(c.userDefined, c.rtd, c.name);
        EXPECT_EQ(function.GetSoftKeyValue(0), c.name);
        EXPECT_EQ(function.GetSensorName(), c.name);
        EXPECT_EQ(function.GetSensorDefinition(), c.definition);
        EXPECT_EQ(function.GetSensorType(), c.type);
        EXPECT_EQ(function.GetMeasuredUnitText(), c.measuredUnit);
        EXPECT_EQ(function.GetPendingCount("Sensor"), ++marks);
    }
}

TEST_F(TemperatureMenuTest, RelKeyFlipsTheRelativeState)
{
    function.PressKey(4);
    EXPECT_EQ(function.GetRelState(), "On");
    function.PressKey(4);
    EXPECT_EQ(function.GetRelState(), "Off");
    EXPECT_EQ(function.GetPendingCount("Rel"), 2);
    for (int key : {2, 5, 6, 7, 8, 9}) {
        function.PressKey(key);
    }
    EXPECT_EQ(function.GetPendingCount("Rel") + function.GetPendingCount("Unit") +
                  function.GetPendingCount("Display") + function.GetPendingCount("Sensor"),
              2);
}

TEST_F(TemperatureMenuTest, TemperatureReadingsAreScaledWithSevenDigits)
{
    const struct {
        const char* reading;
        const char* value;
        const char* unit;
    } cases[] = {
        {"+2.34000000E+01", "+23.400", " $T_C$"},
        {"-12.5", "-12.500", " $T_C$"},
        {"+1.2345E+03", "+1.2345", "k$T_C$"},
        {"0.5", "+500.00", "m$T_C$"},
        {"+0.00000000E+00", "+0.0000", " $T_C$"},  // zero takes no prefix
        {"-0.0", "+0.0000", " $T_C$"},
        {"4e-13", "+0.0000", " $T_C$"},
        {"Overload", "Overload", "$T_C$"},
        {"$INIT$", "$INIT$", "$T_C$"},
    };
    for (const auto& c : cases) {
        function.SetReadingText(c.reading);
        EXPECT_EQ(function.GetValueText(), c.value) << c.reading;
        EXPECT_EQ(function.GetUnitText(), c.unit) << c.reading;
    }
}

TEST_F(TemperatureMenuTest, MeasuredValuesShowZeroBelowOnePicoAndOverloadFromEitherValue)
{
    const struct {
        bool rtd;
        const char* reading;
        const char* measured;
        const char* value;
        const char* unit;
    } cases[] = {
        {false, "23.4", "0.001234000000", "+1.2340", "mVDC"},
        {false, "23.4", "0.000000000000", "+0.0000", " VDC"},
        {false, "23.4", "5e-13", "+0.0000", " VDC"},
        {false, "23.4", "-0.000456000000", "-456.00", "uVDC"},
        {false, "23.4", "Overload", "Overload", "VDC"},
        {false, "Overload", "0.001234000000", "Overload", "VDC"},
        {false, "23.4", "$INIT$", "$INIT$", "VDC"},
        {true, "23.4", "109.050000000000", "+109.05", " $OHM$"},
        {true, "Overload", "109.050000000000", "Overload", "$OHM$"},
    };
    for (const auto& c : cases) {
        function.LoadSensor(false, c.rtd, c.rtd ? "PT100" : "KITS90");
        function.SetReadingText(c.reading);
        function.SetMeasuredValueText(c.measured);
        EXPECT_EQ(function.GetMeasuredValueText(), c.value) << c.measured;
        EXPECT_EQ(function.GetMeasuredUnitText(), c.unit) << c.measured;
    }
}
