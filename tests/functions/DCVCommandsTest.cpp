// The DC voltage function's own commands against a scripted meter: relative
// value, dB/dBm scale, settings read-back, sample count, trend mode, saving.

#include "FakeFrontPanel.h"
#include "MeterFixture.h"

#include "functions/CZANFunctionDCV.h"
#include "functions/MathSettings.h"
#include "functions/ViewFlags.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

class DCVCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(meter.Connected());
        function.Initialise();
        function.Activate();
        panel.Clear();
    }
    void TearDown() override { function.StopWorker(); }

    ScriptedMeter meter;
    FakeFrontPanel panel;
    CZANFunctionDCV function{&panel};
};

}  // namespace

TEST_F(DCVCommandsTest, RelativeValueIsClampedAndWrittenWithTwelveDecimals)
{
    meter.SetReply("VOLT:DC:NULL:VALUE?", "+1.20000000E+03\n");
    const struct {
        const char* typed;
        const char* sent;
    } cases[] = {
        {"5000", "VOLT:DC:NULL:VALUE 1200.000000000000"},
        {"-99999", "VOLT:DC:NULL:VALUE -1200.000000000000"},
        {"0.5", "VOLT:DC:NULL:VALUE 0.500000000000"},
        {"abc", "VOLT:DC:NULL:VALUE 0.000000000000"},
        {"nan", "VOLT:DC:NULL:VALUE 0.000000000000"},
    };
    for (const auto& c : cases) {
        meter.ClearWrites();
        function.SetRelValue(c.typed);
        EXPECT_EQ(meter.Writes(), (std::vector<std::string>{c.sent, "VOLT:DC:NULL:VALUE?"})) << c.typed;
    }
    EXPECT_EQ(function.GetRelValue(), "+1.20000000E+03\n");
    const auto shown = panel.RelValues();
    ASSERT_EQ(shown.size(), std::size(cases));
    EXPECT_FALSE(shown.back().fromWorker);  // shown directly on the user-interface thread
    EXPECT_EQ(shown.back().state, "Off");
    EXPECT_FALSE(function.IsPauseRequested());
}

TEST_F(DCVCommandsTest, AcceptedRelIsHandedToThePanelWithoutWaitingForIt)
{
    meter.SetReply("VOLT:DC:NULL?", "1\n");
    meter.SetReply("VOLT:DC:NULL:VALUE?", "+2.5E-01\n");
    function.PressKey(4);
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return !panel.RelValues().empty(); }));
    function.SuspendWorker();
    const auto shown = panel.RelValues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].fromWorker);
    EXPECT_EQ(shown[0].state, "On");
    EXPECT_EQ(shown[0].value, "+2.5E-01\n");
    EXPECT_EQ(panel.Count(WM_PANEL_SOFTKEYS), 0);
}

TEST_F(DCVCommandsTest, RefusedRelAdoptsTheMetersStateAndRedrawsTheKeys)
{
    meter.SetReply("VOLT:DC:NULL?", "0\n");
    function.PressKey(4);  // Rel On
    EXPECT_EQ(function.GetSoftKeyItem(4)->ChosenLeftRight(), "On");
    function.ResumeWorker();
    ASSERT_TRUE(panel.WaitForCount(WM_PANEL_SOFTKEYS, 1));
    function.SuspendWorker();
    EXPECT_EQ(function.GetRelState(), "Off");
    EXPECT_EQ(function.GetSoftKeyItem(4)->ChosenLeftRight(), "Off");
    EXPECT_EQ(function.GetRelValue(), "0.000");
    EXPECT_TRUE(panel.RelValues().empty());
    EXPECT_EQ(meter.Count("VOLT:DC:NULL:VALUE?"), 0);
}

TEST_F(DCVCommandsTest, ScaledReadingsShowTwoDecimalsAndTheScaleUnit)
{
    function.SetMathMode(1);
    function.SetMathUnitText("DB");
    EXPECT_EQ(meter.Writes(),
              (std::vector<std::string>{"CALCulate:SCALe:STATe 1", "CALCulate:SCALe:FUNCtion DB"}));
    EXPECT_EQ(panel.ViewsUnits(), std::vector<std::string>{"dB"});
    const struct {
        const char* reading;
        const char* value;
        const char* unit;
    } cases[] = {
        {"-0.5", "-500.00", "mdB"},
        {"12.3456", "+12.35", "dB"},
        {"-12.3456", "-12.35", "dB"},
        {"0", "+0.00", "mdB"},
        {"Overload", "Overload", "VDC"},
    };
    for (const auto& c : cases) {
        function.SetReadingText(c.reading);
        EXPECT_EQ(function.GetValueText(), c.value) << c.reading;
        EXPECT_EQ(function.GetUnitText(), c.unit) << c.reading;
    }
    function.SetMathUnitText("DBM");
    function.SetReadingText("12.3456");
    function.GetValueText();
    EXPECT_EQ(function.GetUnitText(), "dBm");
    EXPECT_EQ(function.GetMathInfo().unitText, "dBm");
}

TEST_F(DCVCommandsTest, LoadSettingsReadsEverySettingThenTheLimitsAndWaitsForAReading)
{
    meter.SetReply("VOLT:DC:RANGE:AUTO?", "0\n");
    meter.SetReply("VOLT:DC:RANGE?", "+2.000000E+01\n");
    meter.SetReply("VOLT:DC:NPLC?", "+1.0E+00\n");
    meter.SetReply("VOLT:DC:FILTER?", "1\n");
    meter.SetReply("VOLT:DC:IMP?", "10M\n");
    meter.SetReply("VOLT:DC:NULL?", "1\n");
    meter.SetReply("VOLT:DC:NULL:VALUE?", "+1.0E-03\n");
    meter.SetReply("CALCulate:SCALe:STATe?", "0\n");
    meter.SetReply("CALCulate:SCALe:FUNCtion?", "DBM\n");
    meter.SetReply("CALCulate:LIMit:STATe?", "1\n");
    meter.SetReply("CALCulate:LIMit:LOWer?", "-2.5\n");
    meter.SetReply("CALCulate:LIMit:UPPer?", "+3.5\n");
    std::atomic<int> points{0};
    meter.SetReplyFunction("DATA:POINts?", [&](const std::string&) -> std::optional<std::string> {
        return ++points < 3 ? "0\n" : "4\n";
    });

    function.LoadSettings();
    const std::vector<std::string> expected = {
        "VOLT:DC:RANGE:AUTO?", "VOLT:DC:RANGE?", "VOLT:DC:NPLC?", "VOLT:DC:FILTER?", "VOLT:DC:IMP?",
        "VOLT:DC:NULL?", "VOLT:DC:NULL:VALUE?", "CALCulate:SCALe:STATe?", "CALCulate:SCALe:FUNCtion?",
        "CALCulate:SCALe:DBM:REFerence?", "CALCulate:SCALe:DB:REFerence?",
        "CALCulate:SCALe:REFerence:AUTO?", "CALCulate:LIMit:STATe?", "CALCulate:LIMit:LOWer?",
        "CALCulate:LIMit:UPPer?", "DATA:POINts?", "DATA:POINts?", "DATA:POINts?",
    };
    EXPECT_EQ(meter.Writes(), expected);
    const auto limits = voltora::functions::GetMathSettings();
    EXPECT_EQ(limits.limitState, 1);
    EXPECT_EQ(limits.lowerLimit, -2.5);
    EXPECT_EQ(limits.upperLimit, 3.5);
    ASSERT_EQ(panel.RelValues().size(), 1u);
    EXPECT_EQ(panel.RelValues()[0].state, "On");

    function.Activate();
    EXPECT_EQ(function.GetSoftKeyValue(0), "20V");
    EXPECT_EQ(function.GetSoftKeyName(3), "");  // four keys above the 2 V range
    EXPECT_TRUE(function.Item(10)->IsHighlighted());
    EXPECT_EQ(function.GetSoftKeyValue(1), "Middle");
    EXPECT_EQ(function.GetSoftKeyItem(2)->ChosenLeftRight(), "On");
    EXPECT_EQ(function.Item(4)->ChosenLeftRight(), "10M");
    EXPECT_EQ(function.GetSoftKeyItem(4)->ChosenLeftRight(), "On");
    EXPECT_EQ(function.GetMathInfo().unitText, "dBm");
}

TEST_F(DCVCommandsTest, ARangeReplyOutsideTheLabelsKeepsTheHighlight)
{
    meter.SetReply("VOLT:DC:RANGE?", "");
    function.LoadSettings();
    function.Activate();
    EXPECT_EQ(function.GetSoftKeyValue(0), "");
    EXPECT_TRUE(function.Item(8)->IsHighlighted());  // from the first Activate
}

TEST_F(DCVCommandsTest, TheWaitForAStoredReadingIsBounded)
{
    meter.SetReply("DATA:POINts?", "0\n");
    function.SetDataPointsWaitLimit(400);
    function.LoadSettings();  // returns although the meter never holds a reading
    EXPECT_GE(meter.Count("DATA:POINts?"), 2);

    // A closed connection ends the wait at once.
    CConectWithNI::Instance()->Close();
    function.SetDataPointsWaitLimit(60000);
    meter.ClearWrites();
    function.LoadSettings();
    EXPECT_TRUE(meter.Writes().empty());
}

TEST_F(DCVCommandsTest, SamplesPerTriggerRestartsAcquisitionAndTheTrend)
{
    trendRestartPending = false;
    function.SetSamplesPerTrigger("10");
    EXPECT_EQ(meter.Writes(), (std::vector<std::string>{"SAMP:COUN 10", "INIT"}));
    EXPECT_TRUE(trendRestartPending);
    EXPECT_FALSE(function.IsPauseRequested());
    trendRestartPending = false;

    meter.ClearWrites();
    function.SetTrendMode("REC");
    EXPECT_EQ(meter.Writes(), std::vector<std::string>{"CALCulate:TRENd:CHARt:MODe REC"});
}
