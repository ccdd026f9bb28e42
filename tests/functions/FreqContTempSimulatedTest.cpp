// Frequency/period, continuity, diode and temperature against the simulated
// meter, each the way the panel drives it: the function is selected on the
// meter, its settings are loaded, a soft key changes a setting, the worker
// applies it, readings are formatted for the display, and the worker stops.

#include "FakeFrontPanel.h"
#include "MeterFixture.h"
#include "SoftKeyProbe.h"

#include "functions/CZANFunctionCont.h"
#include "functions/CZANFunctionDiode.h"
#include "functions/CZANFunctionFreqPer.h"
#include "functions/CZANFunctionTemperature.h"
#include "functions/ViewFlags.h"
#include "scpi/AcquisitionCommands.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <set>

using namespace voltora::functions::testing;
using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

using Texts = std::vector<std::string>;

class FreqContTempSimulatedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mathViewShown = false;
        trendViewShown = false;
        histogramViewShown = false;
        ASSERT_TRUE(meter.Connected());
        SetTriggerCountInfinite();
        Initiate();
    }

    // As the panel makes a function current: select it on the meter, load
    // its settings and show its menu.
    void Select(CZANFunction& function, const std::string& keyWord)
    {
        SetFunction(keyWord);
        function.Initialise();
        function.SetDataPointsWaitLimit(3000);
        function.LoadSettings();
        function.Activate();
        panel.AcknowledgeReadingsOf(&function);
    }

    // The meter's transcript without the polling queries in `polls`.
    Texts Commands(const std::set<std::string>& polls) const
    {
        Texts commands;
        for (const std::string& message : meter.Transcript()) {
            if (polls.count(message) == 0) {
                commands.push_back(message);
            }
        }
        return commands;
    }

    // Runs the worker until every key in `keys` has been applied.
    static void ApplyAll(CZANFunction& function, const Texts& keys)
    {
        function.ResumeWorker();
        ASSERT_TRUE(WaitUntil([&] {
            for (const std::string& key : keys) {
                if (function.GetPendingCount(key) != 0) {
                    return false;
                }
            }
            return true;
        }));
        function.SuspendWorker();
    }

    // Runs the worker until `shown` holds.
    static bool RunUntil(CZANFunction& function, const std::function<bool()>& shown)
    {
        function.ResumeWorker();
        const bool reached = WaitUntil(shown);
        function.SuspendWorker();
        return reached;
    }

    // Runs the worker until the display shows `value`.
    static bool RunUntilValue(CZANFunction& function, const std::string& value)
    {
        return RunUntil(function, [&] { return function.GetValueText() == value; });
    }

    SimulatedMeterConnection meter;
    FakeFrontPanel panel;
};

}  // namespace

TEST_F(FreqContTempSimulatedTest, FrequencySwitchesToPeriodFromItsFirstKey)
{
    ASSERT_TRUE(meter.Meter().SetSignal("FREQ", 2000.0));
    CZANFunctionFreqPer function(&panel);
    Select(function, "FREQ");
    EXPECT_EQ(function.name.Get(), "Frequency");
    EXPECT_EQ(function.GetRangeModeText(), "Auto");
    EXPECT_EQ(function.GetSoftKeyValue(1), "Auto");
    EXPECT_EQ(function.GetRelState(), "Off");

    ASSERT_TRUE(RunUntilValue(function, "+2.0000"));
    EXPECT_EQ(function.GetUnitText(), "kHz");

    meter.ClearTranscript();
    function.PressKey(0);  // period
    function.PressKey(1);
    function.PressKey(2);  // range 2V
    EXPECT_EQ(panel.ViewsUnits().back(), "S");
    ApplyAll(function, {"Function", "Range"});
    EXPECT_EQ(Commands({"DATA:LAST?", "FREQ:VOLT:RANGE?"}), (Texts{"FUNC \"PER\"", "FREQ:VOLT:RANGE 2"}));
    ASSERT_TRUE(RunUntilValue(function, "+500.00"));  // 0.5 ms
    EXPECT_EQ(function.GetUnitText(), "uS");
    EXPECT_EQ(function.GetRangeText(), "2V");

    // Read back from the meter, the settings are what the keys chose.
    function.LoadSettings();
    function.Activate();
    EXPECT_EQ(function.name.Get(), "Period");
    EXPECT_EQ(function.GetSoftKeyItem(0)->ChosenNameValue(), "Period");
    EXPECT_EQ(function.GetRangeModeText(), "Manual");
    EXPECT_EQ(function.GetSoftKeyValue(1), "2V");
    EXPECT_EQ(Highlighted(function, 79, 84), std::vector<int>{81});
    EXPECT_EQ(panel.ViewsUnits().back(), "S");

    function.StopWorker();
    EXPECT_FALSE(function.IsWorkerRunning());
}

TEST_F(FreqContTempSimulatedTest, ContinuityThresholdAndBeeperReachTheMeter)
{
    ASSERT_TRUE(meter.Meter().SetSignal("CONT", 12.34));
    CZANFunctionCont function(&panel);
    Select(function, "CONT");
    EXPECT_EQ(function.GetBeeper(), "On");
    EXPECT_EQ(function.GetEntryText(), "+0050 $OHM$");

    ASSERT_TRUE(RunUntilValue(function, "+12.4"));
    EXPECT_EQ(function.GetUnitText(), "$OHM$");

    meter.ClearTranscript();
    function.PressKey(7);
    function.PressKey(7);
    function.PressKey(8);  // 50 -> 60 at the tens
    function.PressKey(0);  // beeper off
    EXPECT_EQ(function.GetEntryText(), "+0060 $OHM$");
    ApplyAll(function, {"Beeper", "Threshold"});
    EXPECT_EQ(Commands({"DATA:LAST?"}), (Texts{"SYST:BEEP:STAT OFF", "CONT:THR:VALUE 0060"}));

    ASSERT_TRUE(meter.Meter().SetSignal("CONT", std::numeric_limits<double>::infinity()));
    ASSERT_TRUE(RunUntilValue(function, "open"));

    function.LoadSettings();
    EXPECT_EQ(function.GetBeeper(), "Off");
    EXPECT_EQ(function.GetEntryText(), "+0060 $OHM$");
    EXPECT_EQ(function.GetEntryCursor(), 3);  // the cursor stays where it was

    function.StopWorker();
    EXPECT_FALSE(function.IsWorkerRunning());
}

TEST_F(FreqContTempSimulatedTest, DiodeThresholdIsSentInVolts)
{
    ASSERT_TRUE(meter.Meter().SetSignal("DIOD", 0.5123));
    CZANFunctionDiode function(&panel);
    Select(function, "DIOD");
    EXPECT_EQ(function.GetEntryText(), "+2000 mV");
    EXPECT_EQ(function.GetBeeper(), "On");

    ASSERT_TRUE(RunUntilValue(function, "+0.5123"));
    EXPECT_EQ(function.GetUnitText(), "VDC");

    meter.ClearTranscript();
    function.PressKey(9);  // 2000 -> 1000 mV
    ApplyAll(function, {"Threshold"});
    EXPECT_EQ(Commands({"DATA:LAST?"}), Texts{"DIODE:THR:VALUE 1.000000"});

    function.LoadSettings();
    EXPECT_EQ(function.GetEntryText(), "+1000 mV");

    function.StopWorker();
    EXPECT_FALSE(function.IsWorkerRunning());
}

TEST_F(FreqContTempSimulatedTest, TemperatureSensorAndUnitReachTheMeter)
{
    ASSERT_TRUE(meter.Meter().SetSignal("TEMP", 23.4));
    CZANFunctionTemperature function(&panel);
    Select(function, "TEMP");
    EXPECT_EQ(function.GetSensorDefinition(), "MANU DEFINE");
    EXPECT_EQ(function.GetSensorType(), "THER");
    EXPECT_EQ(function.GetSoftKeyValue(0), function.GetSensorName());
    EXPECT_EQ(function.GetDisplayMode(), "All");
    EXPECT_EQ(function.GetUnitText(), "$T_C$");
    EXPECT_EQ(panel.ViewsUnits().back(), "$T_C$");

    ASSERT_TRUE(RunUntilValue(function, "+23.400"));
    EXPECT_EQ(function.GetUnitText(), " $T_C$");
    // A thermocouple's voltage, scaled with its own prefix.
    const std::string measured = function.GetMeasuredValueText();
    EXPECT_EQ(measured.size(), 7u) << measured;
    const std::string measuredUnit = function.GetMeasuredUnitText();
    EXPECT_EQ(measuredUnit.substr(1), "VDC") << measuredUnit;

    meter.ClearTranscript();
    function.PressKey(3);
    function.PressKey(2);  // unit K
    function.LoadSensor(false, true, "PT100");
    EXPECT_EQ(panel.ViewsUnits().back(), "K");
    ApplyAll(function, {"Unit", "Sensor"});
    EXPECT_EQ(Commands({"DATA:LAST?", "TEMP:CAD?"}),
              (Texts{"TEMP:MDEF:RTD:TRAN PT100", "UNIT:TEMP K", "TEMP:NULL:VALUE?"}));
    // The meter's next sensor value comes from the resistance thermometer
    // (about 109 ohm).
    ASSERT_TRUE(RunUntil(function, [&] {
        return function.GetValueText() == "+296.55" && function.GetMeasuredValueText().substr(0, 4) == "+109";
    })) << function.GetValueText() << " " << function.GetMeasuredValueText();
    EXPECT_EQ(function.GetUnitText(), " K");
    EXPECT_EQ(function.GetMeasuredUnitText(), " $OHM$");

    function.LoadSettings();
    function.Activate();
    EXPECT_EQ(function.GetSensorType(), "RTD");
    EXPECT_EQ(function.GetSoftKeyValue(0), "PT100");
    EXPECT_EQ(function.GetSoftKeyValue(3), "K");

    function.StopWorker();
    EXPECT_FALSE(function.IsWorkerRunning());
}
