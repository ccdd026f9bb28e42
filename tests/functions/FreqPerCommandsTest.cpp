// The frequency/period function against a scripted meter: settings
// read-back, the commands of each apply handler, the relative value and the
// worker's automatic range step.

#include "FakeFrontPanel.h"
#include "MeterFixture.h"
#include "SoftKeyProbe.h"

#include "functions/CZANFunctionFreqPer.h"
#include "functions/ViewFlags.h"

#include <gtest/gtest.h>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

using Texts = std::vector<std::string>;

class FreqPerCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mathViewShown = false;
        trendViewShown = false;
        histogramViewShown = false;
        ASSERT_TRUE(meter.Connected());
        meter.SetReply("DATA:LAST?", "+1.00002000E+03 HZ\n");
        function.Initialise();
        function.Activate();
        panel.Clear();
        meter.ClearWrites();
    }
    void TearDown() override { function.StopWorker(); }

    // What the meter received, without the worker's polling queries.
    Texts Commands() const
    {
        Texts commands;
        for (const std::string& write : meter.Writes()) {
            if (write != "DATA:LAST?" && write != "FREQ:VOLT:RANGE?") {
                commands.push_back(write);
            }
        }
        return commands;
    }

    // Lets the worker apply what is pending under `key`, then stops it between cycles.
    void Apply(const std::string& key)
    {
        function.ResumeWorker();
        ASSERT_TRUE(WaitUntil([&] { return function.GetPendingCount(key) == 0; }));
        function.SuspendWorker();
    }

    ScriptedMeter meter;
    FakeFrontPanel panel;
    CZANFunctionFreqPer function{&panel};
};

}  // namespace

TEST_F(FreqPerCommandsTest, LoadSettingsReadsTheMeasurementAndTheSettingsInOrder)
{
    meter.SetReply("FUNCTION?", "\"PER\"\n");
    meter.SetReply("FREQ:VOLT:RANGE:AUTO?", "0\n");
    meter.SetReply("FREQ:VOLT:RANGE?", "+2.000000E+01\n");
    meter.SetReply("FREQ:NULL?", "1\n");
    meter.SetReply("FREQ:NULL:VALUE?", "+5.00000000E+00\n");
    function.LoadSettings();
    EXPECT_EQ(meter.Writes(),
              (Texts{"FUNCTION?", "FREQ:VOLT:RANGE:AUTO?", "FREQ:VOLT:RANGE?", "FREQ:NULL?",
                     "FREQ:NULL:VALUE?", "CALCulate:LIMit:STATe?", "CALCulate:LIMit:LOWer?",
                     "CALCulate:LIMit:UPPer?", "DATA:POINts?"}));
    EXPECT_EQ(function.name.Get(), "Period");
    EXPECT_EQ(function.GetRangeModeText(), "Manual");
    EXPECT_EQ(function.GetRangeText(), "20V");
    ASSERT_EQ(panel.RelValues().size(), 1u);
    EXPECT_EQ(panel.RelValues()[0].value, "+5.00000000E+00\n");

    function.Activate();
    EXPECT_EQ(function.GetSoftKeyItem(0)->ChosenNameValue(), "Period");
    EXPECT_EQ(function.GetSoftKeyValue(1), "20V");
    EXPECT_EQ(Highlighted(function, 79, 84), std::vector<int>{82});
    EXPECT_EQ(function.GetSoftKeyItem(4)->ChosenLeftRight(), "On");
    EXPECT_EQ(panel.ViewsUnits(), Texts{"S"});

    meter.SetReply("FUNCTION?", "\"FREQ\"\n");
    meter.SetReply("FREQ:VOLT:RANGE:AUTO?", "1\n");
    function.LoadSettings();
    function.Activate();
    EXPECT_EQ(function.name.Get(), "Frequency");
    EXPECT_EQ(function.GetSoftKeyItem(0)->ChosenNameValue(), "Freq");
    EXPECT_EQ(function.GetSoftKeyValue(1), "Auto");
    EXPECT_EQ(Highlighted(function, 79, 84), std::vector<int>{79});
    EXPECT_EQ(panel.ViewsUnits(), (Texts{"S", "Hz"}));
}

TEST_F(FreqPerCommandsTest, EachApplyHandlerSendsItsCommands)
{
    meter.SetReply("FREQ:NULL?", "1\n");
    const struct {
        std::vector<int> keys;
        const char* pendingKey;
        Texts commands;
    } cases[] = {
        {{0}, "Function", {"FUNC \"PER\""}},
        {{0}, "Function", {"FUNC \"FREQ\""}},
        {{1, 3}, "Range", {"FREQ:VOLT:RANGE 20"}},
        {{1, 1}, "Range", {"FREQ:VOLT:RANGE 0.200000"}},
        {{1, 5}, "Range", {"FREQ:VOLT:RANGE 750"}},
        {{1, 0}, "Range", {"FREQ:VOLT:RANGE:AUTO ON"}},
        {{4}, "Rel", {"FREQ:NULL ON", "FREQ:NULL:VALUE:AUTO ON", "FREQ:NULL?", "FREQ:NULL:VALUE?"}},
        // With Rel on, the null value is read again for the new measurement.
        {{0}, "Function", {"FUNC \"PER\"", "FREQ:NULL:VALUE?"}},
    };
    for (const auto& c : cases) {
        meter.ClearWrites();
        for (const int key : c.keys) {
            function.PressKey(key);
        }
        Apply(c.pendingKey);
        EXPECT_EQ(Commands(), c.commands) << c.pendingKey;
    }
    // Rel on, then the switch to period: both published from the worker.
    const auto rel = panel.RelValues();
    ASSERT_EQ(rel.size(), 2u);
    EXPECT_TRUE(rel[1].fromWorker);
    EXPECT_EQ(rel[1].state, "On");
    // The views' unit is set on the panel's thread when the key is pressed,
    // never by the worker.
    EXPECT_EQ(panel.ViewsUnits(), (Texts{"S", "Hz", "S"}));
}

TEST_F(FreqPerCommandsTest, AManualRangeIsTakenFromTheKeyAndRedrawsTheDisplay)
{
    function.PressKey(1);
    function.PressKey(3);  // "20v"
    Apply("Range");
    EXPECT_EQ(function.GetRangeText(), "20v");
    EXPECT_EQ(function.GetSoftKeyValue(1), "20v");
    EXPECT_EQ(panel.Count(WM_PANEL_DISPLAY), 1);

    // An automatic range redraws nothing; the worker then follows the meter's range.
    meter.SetReply("FREQ:VOLT:RANGE?", "+2.000000E+00\n");
    function.PressKey(1);
    function.PressKey(0);
    meter.ClearWrites();
    Apply("Range");
    EXPECT_EQ(panel.Count(WM_PANEL_DISPLAY), 1);
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 3; }));
    function.SuspendWorker();
    EXPECT_EQ(function.GetRangeText(), "2V");
    const auto cycles = Cycles(meter.Writes());
    ASSERT_GE(cycles.size(), 3u);
    EXPECT_EQ(cycles[1], (Texts{"DATA:LAST?", "FREQ:VOLT:RANGE?"}));
}

TEST_F(FreqPerCommandsTest, AnEmptyRangeReplyWhileRangingAutomaticallyEndsTheWorker)
{
    function.SetRangeMode("Auto");
    meter.SetReply("FREQ:VOLT:RANGE?", "");
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return !function.IsWorkerRunning(); }));
    EXPECT_EQ(meter.Count("DATA:LAST?"), 1);
    EXPECT_EQ(function.GetReadingText(), "+1.00002000E+03");
    EXPECT_EQ(function.GetValueText(), "+1.0000");
    EXPECT_EQ(function.GetUnitText(), "kHz");
}

TEST_F(FreqPerCommandsTest, RelativeValueIsClampedToOnePointTwoMegahertz)
{
    meter.SetReply("FREQ:NULL:VALUE?", "+1.00000000E+01\n");
    const struct {
        const char* typed;
        const char* sent;
    } cases[] = {
        {"5e6", "FREQ:NULL:VALUE 1200000.000000000000"},
        {"-2e6", "FREQ:NULL:VALUE -1200000.000000000000"},
        {"12.5", "FREQ:NULL:VALUE 12.500000000000"},
    };
    for (const auto& c : cases) {
        meter.ClearWrites();
        function.SetRelValue(c.typed);
        EXPECT_EQ(meter.Writes(), (Texts{c.sent, "FREQ:NULL:VALUE?"})) << c.typed;
    }
    EXPECT_EQ(function.GetRelValue(), "+1.00000000E+01\n");
    EXPECT_FALSE(function.IsPauseRequested());
}

TEST_F(FreqPerCommandsTest, TheQuietWorkerAnnouncesEachReadingOnce)
{
    panel.AcknowledgeReadingsOf(&function);
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 5; }));
    function.SuspendWorker();
    // One message per cycle, at its end (a standard worker posts two).
    const int readings = meter.Count("DATA:LAST?");
    const int posted = panel.Count(WM_PANEL_READING);
    EXPECT_GE(posted, readings - 1);
    EXPECT_LE(posted, readings);
}
