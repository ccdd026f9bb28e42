// The DC voltage function against the simulated meter: what it reads back,
// and the exact commands each apply handler sends, from the meter's own
// transcript.

#include "FakeFrontPanel.h"
#include "MeterFixture.h"

#include "functions/CZANFunctionDCV.h"
#include "functions/ViewFlags.h"
#include "scpi/AcquisitionCommands.h"

#include <gtest/gtest.h>

#include <functional>

using namespace voltora::functions::testing;
using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

class DCVSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mathViewShown = false;
        trendViewShown = false;
        histogramViewShown = false;
        ASSERT_TRUE(meter.Connected());
        SetTriggerCountInfinite();
        Initiate();
        function.Initialise();
        function.SetDataPointsWaitLimit(3000);
        function.LoadSettings();
        function.Activate();
        meter.ClearTranscript();
    }
    void TearDown() override { function.StopWorker(); }

    // The transcript without the worker's polling queries.
    std::vector<std::string> Commands() const
    {
        std::vector<std::string> commands;
        for (const std::string& message : meter.Transcript()) {
            if (message != "DATA:LAST?" && message != "VOLT:DC:RANGE?") {
                commands.push_back(message);
            }
        }
        return commands;
    }

    // Lets the worker apply what is pending, then stops it between cycles.
    void Apply(const std::string& key)
    {
        function.ResumeWorker();
        ASSERT_TRUE(WaitUntil([&] { return function.GetPendingCount(key) == 0; }));
        function.SuspendWorker();
    }

    SimulatedMeterConnection meter;
    FakeFrontPanel panel;
    CZANFunctionDCV function{&panel};
};

}  // namespace

TEST_F(DCVSimulatorTest, SettingsAtPowerOnAreReadBackIntoTheMenu)
{
    EXPECT_EQ(function.GetRangeModeText(), "Auto");
    EXPECT_EQ(function.GetSpeed(), "Slow");
    EXPECT_EQ(function.GetFilter(), "Off");
    EXPECT_EQ(function.GetInputZ(), "10M");
    EXPECT_EQ(function.GetRelState(), "Off");
    EXPECT_EQ(function.GetSoftKeyValue(0), "Auto");
    EXPECT_TRUE(function.Item(CZANFunctionDCV::kRangeAuto)->IsHighlighted());
    EXPECT_EQ(function.GetSoftKeyName(3), "");  // no input impedance key in automatic range
    EXPECT_EQ(function.GetMathInfo().mode, 0);
}

TEST_F(DCVSimulatorTest, EachApplyHandlerSendsItsCommands)
{
    const struct {
        std::vector<int> keys;
        const char* pendingKey;
        std::vector<std::string> commands;
    } cases[] = {
        {{0, 2}, "Range", {"VOLT:DC:RANGE 2"}},
        {{0, 1}, "Range", {"VOLT:DC:RANGE 0.200"}},
        {{0, 5}, "Range", {"VOLT:DC:RANGE 1000"}},
        {{0, 0}, "Range", {"VOLT:DC:RANGE:AUTO ON"}},
        {{2}, "Filter", {"VOLT:DC:FILTER ON"}},
        {{1, 2}, "Speed", {"VOLT:DC:NPLC 0.3"}},
        {{1, 1}, "Speed", {"VOLT:DC:NPLC 1"}},
        {{1, 0}, "Speed", {"VOLT:DC:NPLC 10"}},
        {{4}, "Rel", {"VOLT:DC:NULL ON", "VOLT:DC:NULL:VALUE:AUTO ON", "VOLT:DC:NULL?", "VOLT:DC:NULL:VALUE?"}},
        {{4}, "Rel", {"VOLT:DC:NULL OFF", "VOLT:DC:NULL:VALUE:AUTO ON", "VOLT:DC:NULL?", "VOLT:DC:NULL:VALUE?"}},
    };
    for (const auto& c : cases) {
        meter.ClearTranscript();
        for (const int key : c.keys) {
            function.PressKey(key);
        }
        Apply(c.pendingKey);
        EXPECT_EQ(Commands(), c.commands) << c.pendingKey;
    }
    EXPECT_EQ(panel.Count(WM_PANEL_SOFTKEYS), 0);  // the meter accepted both Rel changes
}

TEST_F(DCVSimulatorTest, TheInputImpedanceKeyIsOfferedOnTheLowManualRangesOnly)
{
    function.PressKey(0);
    function.PressKey(2);  // 2V
    ASSERT_EQ(function.GetSoftKeyName(3), "Input Z");
    function.PressKey(3);
    meter.ClearTranscript();
    Apply("InputZ");
    Apply("Range");
    EXPECT_EQ(Commands(), (std::vector<std::string>{"VOLT:DC:IMP 10G", "VOLT:DC:RANGE 2"}));

    // Read back, the meter reports what was sent.
    function.LoadSettings();
    function.Activate();
    EXPECT_EQ(function.GetRangeModeText(), "Manual");
    EXPECT_EQ(function.GetRangeText(), "2V");
    EXPECT_EQ(function.GetInputZ(), "10G");
    EXPECT_TRUE(function.Item(CZANFunctionDCV::kRange2V)->IsHighlighted());
}

TEST_F(DCVSimulatorTest, AutomaticRangeCostsOneRangeQueryPerReading)
{
    meter.ClearTranscript();
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] {
        const auto t = meter.Transcript();
        return std::count(t.begin(), t.end(), "DATA:LAST?") >= 5;
    }));
    function.SuspendWorker();
    const auto transcript = meter.Transcript();
    ASSERT_EQ(transcript.size() % 2, 0u);
    for (std::size_t i = 0; i < transcript.size(); i += 2) {
        EXPECT_EQ(transcript[i], "DATA:LAST?");
        EXPECT_EQ(transcript[i + 1], "VOLT:DC:RANGE?");
    }
    const std::string range = function.GetRangeText();
    EXPECT_TRUE(range == "200mV" || range == "2V" || range == "20V" || range == "200V" || range == "1000V")
        << range;
    const std::string value = function.GetValueText();
    EXPECT_EQ(value.size(), 8u) << value;
}
