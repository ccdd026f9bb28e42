// The continuity and diode functions' menus, threshold entry and texts,
// without a meter.

#include "FakeFrontPanel.h"
#include "SoftKeyProbe.h"

#include "functions/CZANFunctionCont.h"
#include "functions/CZANFunctionDiode.h"

#include <gtest/gtest.h>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

using Texts = std::vector<std::string>;

constexpr int kLeft = 6, kRight = 7, kUp = 8, kDown = 9;

class ContDiodeMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        continuity.Initialise();
        continuity.Activate();
        diode.Initialise();
        diode.Activate();
    }

    FakeFrontPanel panel;
    CZANFunctionCont continuity{&panel};
    CZANFunctionDiode diode{&panel};
};

}  // namespace

TEST_F(ContDiodeMenuTest, FreshObjectsShowBeeperThresholdAndTheEntry)
{
    const struct {
        CZANFunction* function;
        const char* name;
        const char* unit;
        const char* baseUnit;
        const char* entry;
        std::vector<int> ids;
    } cases[] = {
        {&continuity, "Continuity", "$OHM$", "$OHM$", "+0050 $OHM$", {85, 86}},
        {&diode, "Diode", "VDC", "V", "+2000 mV", {87, 880}},
    };
    for (const auto& c : cases) {
        CZANFunction& f = *c.function;
        EXPECT_EQ(f.name.Get(), c.name);
        EXPECT_EQ(f.GetReadingText(), "open");
        EXPECT_EQ(f.GetValueText(), "open");
        EXPECT_EQ(f.GetUnitText(), c.unit);
        EXPECT_EQ(f.GetBaseUnit(), c.baseUnit);
        EXPECT_EQ(f.GetRangeModeText(), "");
        EXPECT_EQ(f.GetRangeText(), "");
        EXPECT_EQ(f.ItemIds(), c.ids);
        EXPECT_EQ(KeyTexts(f), (Texts{"Beeper", "Threshold", "", "", "", ""})) << c.name;
        EXPECT_EQ(f.GetSoftKeyLeftValue(0), "On");
        EXPECT_EQ(f.GetSoftKeyRightValue(0), "Off");
        EXPECT_EQ(f.GetSoftKeyItem(0)->ChosenLeftRight(), "On");  // beeper "On"
        EXPECT_TRUE(f.IsEntryActive());
        EXPECT_EQ(f.GetEntryText(), c.entry);
        EXPECT_EQ(f.GetEntryCursor(), 1);
        EXPECT_EQ(f.GetMathInfo().available, 0);
    }
    EXPECT_EQ(panel.ViewsUnits(), (Texts{"$OHM$", "V"}));
}

TEST_F(ContDiodeMenuTest, ArrowKeysEditTheThresholdAndMarkItForUpAndDownOnly)
{
    const struct {
        CZANFunction* function;
        std::vector<int> keys;
        const char* entry;
        int cursor;
        int marks;
    } cases[] = {
        {&continuity, {kRight, kRight, kUp}, "+0060 $OHM$", 3, 1},
        {&continuity, {kLeft, kLeft, kLeft, kLeft}, "+0060 $OHM$", 1, 1},  // left at 1: nothing
        {&continuity, {kDown}, "+0060 $OHM$", 1, 2},  // below 0: kept, but marked
        {&continuity, {kUp, kUp}, "+1060 $OHM$", 1, 4},  // 2060 is above 2000: kept
        {&diode, {kDown}, "+1000 mV", 1, 1},
        {&diode, {kRight, kRight, kRight, kRight, kRight}, "+1000 mV", 4, 1},  // right at 4: nothing
        {&diode, {kDown, kUp, kUp}, "+1001 mV", 4, 4},
    };
    for (const auto& c : cases) {
        for (int key : c.keys) {
            c.function->PressKey(key);
        }
        EXPECT_EQ(c.function->GetEntryText(), c.entry) << c.function->name.Get();
        EXPECT_EQ(c.function->GetEntryCursor(), c.cursor) << c.entry;
        EXPECT_EQ(c.function->GetPendingCount("Threshold"), c.marks) << c.entry;
        EXPECT_EQ(c.function->GetPendingCount("Beeper"), 0);
        EXPECT_EQ(KeyTexts(*c.function), (Texts{"Beeper", "Threshold", "", "", "", ""}));
    }
}

TEST_F(ContDiodeMenuTest, TheBeeperKeyFlipsTheBeeperAndTheThresholdKeyDiffers)
{
    continuity.PressKey(0);
    EXPECT_EQ(continuity.GetBeeper(), "Off");
    EXPECT_EQ(continuity.GetPendingCount("Beeper"), 1);
    continuity.PressKey(1);  // continuity: the Threshold key marks nothing
    EXPECT_EQ(continuity.GetPendingCount("Beeper"), 1);
    EXPECT_EQ(continuity.GetPendingCount("Threshold"), 0);
    EXPECT_EQ(continuity.GetBeeper(), "Off");

    diode.PressKey(1);  // diode: the Threshold key sends the beeper state again
    EXPECT_EQ(diode.GetBeeper(), "On");
    EXPECT_EQ(diode.GetPendingCount("Beeper"), 1);
    EXPECT_EQ(diode.GetPendingCount("Threshold"), 0);
    diode.PressKey(0);
    EXPECT_EQ(diode.GetBeeper(), "Off");
    EXPECT_EQ(diode.GetPendingCount("Beeper"), 2);
}

TEST_F(ContDiodeMenuTest, ContinuityReadingsShowOneDecimalAfterAddingHalfAStep)
{
    const struct {
        const char* reading;
        const char* value;
    } cases[] = {
        {"12.34", "+12.4"},
        {"+1.23456700E+02", "+123.5"},
        {"-3.21", "-3.3"},
        {"0.04", "+0.1"},
        {"0", "0.0"},
        {"open", "open"},
        {"$INIT$", "$INIT$"},
    };
    for (const auto& c : cases) {
        continuity.SetReadingText(c.reading);
        EXPECT_EQ(continuity.GetValueText(), c.value) << c.reading;
        EXPECT_EQ(continuity.GetUnitText(), "$OHM$");
    }
}

TEST_F(ContDiodeMenuTest, DiodeReadingsKeepTheirFirstSevenCharacters)
{
    const struct {
        const char* reading;
        const char* value;
    } cases[] = {
        {"0.5123", "+0.5123"},
        {"-0.5", "-0.5000"},
        {"+6.12300000E-01", "+0.6123"},
        {"1.23456789", "+1.2345"},  // cut, not rounded
        {"0", "+0.0000"},
        {"-0.0", "+0.0000"},  // a negative zero carries one sign only
        {"open", "open"},
        {"$INIT$", "$INIT$"},
    };
    for (const auto& c : cases) {
        diode.SetReadingText(c.reading);
        EXPECT_EQ(diode.GetValueText(), c.value) << c.reading;
        EXPECT_EQ(diode.GetUnitText(), "VDC");
    }
}
