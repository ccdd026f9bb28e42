// Each of the DC current, AC voltage, AC current, resistance and capacitance
// functions through a whole session with the simulated meter: the settings
// read at connect time, a range and speed chosen on the soft keys and sent by
// the worker, the readings as the display shows them, and a clean stop.

#include "FakeFrontPanel.h"
#include "MeterFixture.h"
#include "SoftKeyProbe.h"

#include "functions/CZANFunctionACI.h"
#include "functions/CZANFunctionACV.h"
#include "functions/CZANFunctionCap.h"
#include "functions/CZANFunctionDCI.h"
#include "functions/CZANFunctionFRES.h"
#include "functions/CZANFunctionRES.h"
#include "functions/ViewFlags.h"
#include "scpi/AcquisitionCommands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace voltora::functions::testing;
using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

using Texts = std::vector<std::string>;
using Factory = std::function<std::unique_ptr<CZANFunction>(IFrontPanel*)>;

template <typename T>
Factory Make()
{
    return [](IFrontPanel* panel) { return std::make_unique<T>(panel); };
}

struct Session {
    const char* keyWord;  // as the panel selects the function
    Factory make;
    double signal;        // at the input, in base units
    int autoOption;       // the range option "Auto"
    std::vector<int> keys;
    Texts commands;       // what the worker sends for those keys
    const char* rangeText;
    const char* value;    // the reading as the display shows it
    const char* unit;
};

const Session kSessions[] = {
    {"CURR", Make<CZANFunctionDCI>(), 0.002, 20, {0, 3, 1, 1},
     {"CURR:DC:RANGE 0.020", "CURR:DC:NPLC 1"}, "20mA", "+02.000", "mADC"},
    {"VOLT:AC", Make<CZANFunctionACV>(), 1.234567, 104, {0, 2, 1, 0},
     {"VOLT:AC:RANGE 2", "VOLT:AC:NPLC 10"}, "2V", "+1.23457", " VAC"},
    {"CURR:AC", Make<CZANFunctionACI>(), 0.0123, 116, {0, 1, 1, 1},
     {"CURR:AC:RANGE 0.020", "CURR:AC:NPLC 1"}, "20mA", "+12.300", "mAAC"},
    {"RES", Make<CZANFunctionRES>(), 5000.0, 35, {0, 3, 1, 0},
     {"RES:RANGE 20000.0", "RES:NPLC 10"}, "20k$OHM$", "+05.0000", "k$OHM$"},
    {"FRES", Make<CZANFunctionFRES>(), 150.0, 51, {0, 1, 1, 2},
     {"FRES:RANGE 200", "FRES:NPLC 0.3"}, "200$OHM$", "+150.00", " $OHM$"},
    {"CAP", Make<CZANFunctionCap>(), 1e-7, 66, {0, 3},
     {"CAP:RANGE 0.0000002000"}, "200nF", "+100.0", "nF"},
};

// The transcript without the worker's polling queries.
Texts Commands(const Texts& transcript)
{
    Texts commands;
    for (const std::string& message : transcript) {
        const bool rangeQuery = message.size() > 7 && message.compare(message.size() - 7, 7, ":RANGE?") == 0;
        if (message != "DATA:LAST?" && !rangeQuery) {
            commands.push_back(message);
        }
    }
    return commands;
}

}  // namespace

TEST(RangedFunctionsSimulated, ConnectChooseRangeReadAndStop)
{
    mathViewShown = false;
    trendViewShown = false;
    histogramViewShown = false;
    for (const Session& s : kSessions) {
        SCOPED_TRACE(s.keyWord);
        SimulatedMeterConnection meter;
        ASSERT_TRUE(meter.Connected());
        ASSERT_TRUE(meter.Meter().SetSignal(s.keyWord, s.signal));
        FakeFrontPanel panel;
        std::unique_ptr<CZANFunction> owned = s.make(&panel);
        CZANFunction& f = *owned;
        f.Initialise();

        // Connect time: the panel selects the function, then it loads its settings.
        SetTriggerCountInfinite();
        Initiate();
        SetFunction(s.keyWord);
        f.SetDataPointsWaitLimit(3000);
        f.LoadSettings();
        f.Activate();
        EXPECT_EQ(f.GetRangeModeText(), "Auto");  // the meter's power-on state
        EXPECT_EQ(f.GetSoftKeyValue(0), "Auto");
        EXPECT_TRUE(f.Item(s.autoOption)->IsHighlighted());
        EXPECT_EQ(f.GetRelState(), "Off");
        if (f.GetSoftKeyName(1) == "Speed") {
            EXPECT_EQ(f.GetSoftKeyValue(1), "Slow");
        }

        // A range (and speed) chosen on the soft keys, sent by the worker.
        for (const int key : s.keys) {
            f.PressKey(key);
        }
        EXPECT_EQ(f.GetSoftKeyValue(0), s.rangeText);
        panel.AcknowledgeReadingsOf(&f);
        meter.ClearTranscript();
        f.ResumeWorker();
        // Until a reading has been taken after the settings were sent.
        ASSERT_TRUE(WaitUntil([&] {
            const Texts t = meter.Transcript();
            const auto sent = std::find(t.begin(), t.end(), s.commands.back());
            return sent != t.end() && std::find(sent, t.end(), "DATA:LAST?") != t.end();
        }));
        f.SuspendWorker();
        ASSERT_TRUE(WaitUntil([&] { return f.IsWorkerParked(); }));

        EXPECT_EQ(Commands(meter.Transcript()), s.commands);
        EXPECT_EQ(f.GetRangeModeText(), "Manual");
        EXPECT_EQ(f.GetRangeText(), s.rangeText);
        EXPECT_EQ(f.GetValueText(), s.value);
        EXPECT_EQ(f.GetUnitText(), s.unit);
        EXPECT_GE(panel.Count(WM_PANEL_DISPLAY), 1);
        EXPECT_GE(panel.Count(WM_PANEL_READING), 1);

        // Read back, the meter reports the range that was sent.
        f.LoadSettings();
        f.Activate();
        EXPECT_EQ(f.GetRangeModeText(), "Manual");
        EXPECT_EQ(f.GetSoftKeyValue(0), s.rangeText);

        // A clean stop: nothing more is sent.
        const std::size_t before = meter.Transcript().size();
        f.StopWorker();
        EXPECT_FALSE(f.IsWorkerRunning());
        EXPECT_EQ(meter.Transcript().size(), before);
    }
}
