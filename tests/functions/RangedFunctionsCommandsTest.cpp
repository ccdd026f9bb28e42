// What the DC current, AC voltage, AC current, resistance and capacitance
// functions send, against a scripted meter: the settings read-back, the
// commands the worker sends for the keys pressed, the relative value and the
// dB/dBm scale of AC voltage.

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

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

using Texts = std::vector<std::string>;
using Replies = std::map<std::string, std::string>;
using Factory = std::function<std::unique_ptr<CZANFunction>(IFrontPanel*)>;

template <typename T>
Factory Make()
{
    return [](IFrontPanel* panel) { return std::make_unique<T>(panel); };
}

// A function on a fake panel, talking to a scripted meter.
class Bench {
public:
    explicit Bench(const Factory& make, const Replies& replies = {}) : function(make(&panel))
    {
        mathViewShown = false;
        trendViewShown = false;
        histogramViewShown = false;
        EXPECT_TRUE(meter.Connected());
        for (const auto& [query, reply] : replies) {
            meter.SetReply(query, reply);
        }
        function->Initialise();
        function->Activate();
        panel.Clear();
    }
    ~Bench() { function->StopWorker(); }

    CZANFunction& F() { return *function; }

    // Runs the worker until it has sent `readings` reading queries, then
    // suspends it; returns its writes cut into cycles.
    std::vector<Texts> RunCycles(int readings)
    {
        meter.ClearWrites();
        function->ResumeWorker();
        EXPECT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= readings; }));
        function->SuspendWorker();
        // The cycle in progress ends (and posts its last message) before the
        // worker parks.
        EXPECT_TRUE(WaitUntil([&] { return function->IsWorkerParked(); }));
        return Cycles(meter.Writes());
    }

    ScriptedMeter meter;
    FakeFrontPanel panel;
    std::unique_ptr<CZANFunction> function;
};

const Texts kBaseLoadQueries = {"CALCulate:LIMit:STATe?", "CALCulate:LIMit:LOWer?",
                                "CALCulate:LIMit:UPPer?", "DATA:POINts?"};

Texts Joined(Texts first, const Texts& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

}  // namespace

TEST(RangedFunctionsCommands, LoadSettingsReadsEachSettingInOrderAndActivateShowsThem)
{
    const struct {
        const char* label;
        Factory make;
        Replies replies;
        Texts queries;  // before the limits and the stored-readings wait
        const char* rangeValue;
        const char* rangeText;
        int rangeFirst, rangeLast, rangeChosen;
        const char* speedValue;  // "" without speed
        const char* relState;
    } cases[] = {
        {"DCI", Make<CZANFunctionDCI>(),
         {{"CURR:DC:RANGE:AUTO?", "0\n"}, {"CURR:DC:RANGE?", "+2.000000E+00\n"}, {"CURR:DC:NPLC?", "+3.0E-01\n"},
          {"CURR:DC:FILTER?", "1\n"}, {"CURR:DC:NULL?", "1\n"}, {"CURR:DC:NULL:VALUE?", "+1.0E-03\n"}},
         {"CURR:DC:RANGE:AUTO?", "CURR:DC:RANGE?", "CURR:DC:NPLC?", "CURR:DC:FILTER?", "CURR:DC:NULL?",
          "CURR:DC:NULL:VALUE?"},
         "2A", "2A", 20, 28, 26, "Fast", "On"},  // an option of the second range page
        {"ACV", Make<CZANFunctionACV>(),
         {{"VOLT:AC:RANGE:AUTO?", "1\n"}, {"VOLT:AC:RANGE?", "+2.000000E+01\n"}, {"VOLT:AC:NPLC?", "+1.0E+00\n"}},
         {"VOLT:AC:RANGE:AUTO?", "VOLT:AC:RANGE?", "VOLT:AC:NPLC?", "VOLT:AC:NULL?", "VOLT:AC:NULL:VALUE?",
          "CALCulate:SCALe:STATe?", "CALCulate:SCALe:FUNCtion?", "CALCulate:SCALe:DBM:REFerence?",
          "CALCulate:SCALe:DB:REFerence?", "CALCulate:SCALe:REFerence:AUTO?"},
         "Auto", "20V", 104, 109, 104, "Middle", "Off"},
        {"ACI", Make<CZANFunctionACI>(),
         {{"CURR:AC:RANGE:AUTO?", "0\n"}, {"CURR:AC:RANGE?", "+2.000000E+00\n"}, {"CURR:AC:NPLC?", "+1.0E+01\n"},
          {"CURR:AC:NULL?", "1\n"}},
         {"CURR:AC:RANGE:AUTO?", "CURR:AC:RANGE?", "CURR:AC:NPLC?", "CURR:AC:NULL?", "CURR:AC:NULL:VALUE?"},
         "2A", "2A", 116, 120, 119, "Slow", "On"},
        {"RES", Make<CZANFunctionRES>(),
         {{"RES:RANGE:AUTO?", "0\n"}, {"RES:RANGE?", "+2.000000E+06\n"}, {"RES:NPLC?", "+3.0E-01\n"}},
         {"RES:RANGE:AUTO?", "RES:RANGE?", "RES:NPLC?", "RES:NULL?", "RES:NULL:VALUE?"},
         "2M$OHM$", "2M$OHM$", 35, 43, 41, "Fast", "Off"},
        {"FRES", Make<CZANFunctionFRES>(),
         {{"FRES:RANGE:AUTO?", "0\n"}, {"FRES:RANGE?", "+1.000000E+08\n"}, {"FRES:NPLC?", "+1.0E+00\n"},
          {"FRES:NULL?", "1\n"}},
         {"FRES:RANGE:AUTO?", "FRES:RANGE?", "FRES:NPLC?", "FRES:NULL?", "FRES:NULL:VALUE?"},
         "100M$OHM$", "100M$OHM$", 51, 59, 59, "Middle", "On"},
        {"Cap", Make<CZANFunctionCap>(),
         {{"CAP:RANGE:AUTO?", "0\n"}, {"CAP:RANGE?", "+2.000000E-05\n"}},
         {"CAP:RANGE:AUTO?", "CAP:RANGE?", "CAP:NULL?", "CAP:NULL:VALUE?"},
         "20uF", "20uF", 66, 74, 72, "", "Off"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Bench bench(c.make, c.replies);
        CZANFunction& f = bench.F();
        bench.meter.ClearWrites();
        f.LoadSettings();
        EXPECT_EQ(bench.meter.Writes(), Joined(c.queries, kBaseLoadQueries));
        EXPECT_EQ(f.GetRangeText(), c.rangeText);
        ASSERT_EQ(bench.panel.RelValues().size(), 1u);
        EXPECT_EQ(bench.panel.RelValues()[0].state, c.relState);

        f.Activate();
        EXPECT_EQ(f.GetSoftKeyValue(0), c.rangeValue);
        EXPECT_EQ(Highlighted(f, c.rangeFirst, c.rangeLast), std::vector<int>{c.rangeChosen});
        EXPECT_EQ(f.GetSoftKeyValue(1), c.speedValue);
        EXPECT_EQ(f.GetSoftKeyItem(4)->ChosenLeftRight(), c.relState);
    }
}

TEST(RangedFunctionsCommands, KeysPressedAreSentAtTheEndOfTheNextCycleInKeyOrder)
{
    const struct {
        const char* label;
        Factory make;
        const char* prefix;
        std::vector<int> keys;
        Texts firstCycle;
        const char* rangeText;
        const char* unitAfter;  // unit text once the range is applied
    } cases[] = {
        {"DCI", Make<CZANFunctionDCI>(), "CURR:DC", {2, 4, 0, 5, 0, 1, 2},
         {"DATA:LAST?", "CURR:DC:FILTER ON", "CURR:DC:RANGE 2", "CURR:DC:NULL ON", "CURR:DC:NULL:VALUE:AUTO ON",
          "CURR:DC:NULL?", "CURR:DC:NULL:VALUE?", "CURR:DC:NPLC 0.3"},
         "2A", " ADC"},
        {"ACV", Make<CZANFunctionACV>(), "VOLT:AC", {4, 0, 1, 1, 1},
         {"DATA:LAST?", "VOLT:AC:RANGE 0.200000", "VOLT:AC:NULL ON", "VOLT:AC:NULL:VALUE:AUTO ON",
          "VOLT:AC:NULL?", "VOLT:AC:NULL:VALUE?", "VOLT:AC:NPLC 1"},
         "200mV", "mVAC"},
        {"ACI", Make<CZANFunctionACI>(), "CURR:AC", {0, 1, 1, 0},
         {"DATA:LAST?", "CURR:AC:RANGE 0.020", "CURR:AC:NPLC 10"}, "20mA", "mAAC"},
        {"RES", Make<CZANFunctionRES>(), "RES", {0, 3, 1, 1},
         {"DATA:LAST?", "RES:RANGE 20000.0", "RES:NPLC 1"}, "20k$OHM$", "k$OHM$"},
        {"FRES", Make<CZANFunctionFRES>(), "FRES", {4, 0, 5, 2, 1, 2},
         {"DATA:LAST?", "FRES:RANGE 100000000.0", "FRES:NULL ON", "FRES:NULL:VALUE:AUTO ON", "FRES:NULL?",
          "FRES:NULL:VALUE?", "FRES:NPLC 0.3"},
         "100M$OHM$", "M$OHM$"},
        {"Cap", Make<CZANFunctionCap>(), "CAP", {4, 0, 3},
         {"DATA:LAST?", "CAP:RANGE 0.0000002000", "CAP:NULL ON", "CAP:NULL:VALUE:AUTO ON", "CAP:NULL?",
          "CAP:NULL:VALUE?"},
         "200nF", "nF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Bench bench(c.make);
        CZANFunction& f = bench.F();
        // The meter accepts every null state the function asks for.
        const std::string prefix = c.prefix;
        bench.meter.SetReply(prefix + ":NULL?", "1\n");
        bench.meter.SetReply(prefix + ":NULL:VALUE?", "+2.5E-01\n");
        for (int key : c.keys) {
            f.PressKey(key);
        }
        const auto cycles = bench.RunCycles(3);
        ASSERT_GE(cycles.size(), 3u);
        EXPECT_EQ(cycles[0], c.firstCycle);
        EXPECT_EQ(cycles[1], Texts{"DATA:LAST?"});
        for (const char* key : {"Filter", "Range", "Rel", "Speed"}) {
            EXPECT_EQ(f.GetPendingCount(key), 0) << key;
        }
        EXPECT_EQ(f.GetRangeText(), c.rangeText);
        EXPECT_EQ(f.GetUnitText(), c.unitAfter);
        EXPECT_EQ(bench.panel.Count(WM_PANEL_DISPLAY), 1);  // a manual range was applied
        const auto rel = bench.panel.RelValues();
        if (f.GetRelState() == "On") {
            ASSERT_EQ(rel.size(), 1u);
            EXPECT_TRUE(rel[0].fromWorker);
            EXPECT_EQ(rel[0].value, "+2.5E-01\n");
            EXPECT_EQ(f.GetRelValue(), "+2.5E-01\n");
        } else {
            EXPECT_TRUE(rel.empty());
        }
        EXPECT_EQ(bench.panel.Count(WM_PANEL_SOFTKEYS), 0);
    }
}

TEST(RangedFunctionsCommands, AutomaticRangeIsSentAndThenFollowedEveryCycle)
{
    const struct {
        Factory make;
        const char* rangeQuery;
        const char* reply;
        const char* autoCommand;
        const char* rangeText;
    } cases[] = {
        {Make<CZANFunctionDCI>(), "CURR:DC:RANGE?", "+2.000000E-01\n", "CURR:DC:RANGE:AUTO ON", "200mA"},
        {Make<CZANFunctionACV>(), "VOLT:AC:RANGE?", "+7.500000E+02\n", "VOLT:AC:RANGE:AUTO ON", "750V"},
        {Make<CZANFunctionACI>(), "CURR:AC:RANGE?", "+1.000000E+01\n", "CURR:AC:RANGE:AUTO ON", "10A"},
        {Make<CZANFunctionRES>(), "RES:RANGE?", "+2.000000E+05\n", "RES:RANGE:AUTO ON", "200k$OHM$"},
        {Make<CZANFunctionFRES>(), "FRES:RANGE?", "+1.000000E+07\n", "FRES:RANGE:AUTO ON", "10M$OHM$"},
        {Make<CZANFunctionCap>(), "CAP:RANGE?", "+2.000000E-09\n", "CAP:RANGE:AUTO ON", "2nF"},
    };
    for (const auto& c : cases) {
        Bench bench(c.make, {{c.rangeQuery, c.reply}});
        CZANFunction& f = bench.F();
        SCOPED_TRACE(f.name.Get());
        f.PressKey(0);
        f.PressKey(0);  // "Auto"
        const auto cycles = bench.RunCycles(3);
        ASSERT_GE(cycles.size(), 3u);
        EXPECT_EQ(cycles[0], (Texts{"DATA:LAST?", c.rangeQuery, c.autoCommand}));
        EXPECT_EQ(cycles[1], (Texts{"DATA:LAST?", c.rangeQuery}));
        EXPECT_EQ(f.GetRangeModeText(), "Auto");
        EXPECT_EQ(f.GetRangeText(), c.rangeText);
        EXPECT_EQ(bench.panel.Count(WM_PANEL_DISPLAY), 0);
    }
}

TEST(RangedFunctionsCommands, AnEmptyRangeReplyWhileRangingAutomaticallyEndsTheWorker)
{
    Bench bench(Make<CZANFunctionRES>(), {{"RES:RANGE?", ""}});
    CZANFunction& f = bench.F();
    f.PressKey(0);
    f.PressKey(0);
    f.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return !f.IsWorkerRunning(); }));
    EXPECT_EQ(bench.meter.Count("RES:RANGE:AUTO ON"), 0);  // it ended before applying
    // The next resume starts a new worker.
    bench.meter.SetReply("RES:RANGE?", "+2.000000E+03\n");
    f.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return bench.meter.Count("RES:RANGE:AUTO ON") == 1; }));
    f.SuspendWorker();
    EXPECT_EQ(f.GetRangeText(), "2k$OHM$");
}

TEST(RangedFunctionsCommands, RelativeValueIsClampedToEachFunctionsLimit)
{
    const struct {
        Factory make;
        const char* typed;
        const char* sent;
    } cases[] = {
        {Make<CZANFunctionDCI>(), "20", "CURR:DC:NULL:VALUE 12.000000000000"},
        {Make<CZANFunctionDCI>(), "-0.25", "CURR:DC:NULL:VALUE -0.250000000000"},
        {Make<CZANFunctionACI>(), "-20", "CURR:AC:NULL:VALUE -12.000000000000"},
        {Make<CZANFunctionACV>(), "5000", "VOLT:AC:NULL:VALUE 1200.000000000000"},
        {Make<CZANFunctionACV>(), "abc", "VOLT:AC:NULL:VALUE 0.000000000000"},
        {Make<CZANFunctionRES>(), "5e8", "RES:NULL:VALUE 120000000.000000000000"},
        {Make<CZANFunctionFRES>(), "-5e8", "FRES:NULL:VALUE -120000000.000000000000"},
        {Make<CZANFunctionFRES>(), "1500", "FRES:NULL:VALUE 1500.000000000000"},
        {Make<CZANFunctionCap>(), "1", "CAP:NULL:VALUE 0.012000000104"},
        {Make<CZANFunctionCap>(), "-1", "CAP:NULL:VALUE -0.012000000104"},
        {Make<CZANFunctionCap>(), "0.005", "CAP:NULL:VALUE 0.005000000000"},
    };
    for (const auto& c : cases) {
        Bench bench(c.make);
        CZANFunction& f = bench.F();
        const std::string sent = c.sent;
        const std::string query = sent.substr(0, sent.find(' ')) + "?";
        bench.meter.SetReply(query, "+7.0E-03\n");
        bench.meter.ClearWrites();
        f.SetRelValue(c.typed);
        EXPECT_EQ(bench.meter.Writes(), (Texts{c.sent, query})) << c.typed;
        EXPECT_EQ(f.GetRelValue(), "+7.0E-03\n");
        const auto shown = bench.panel.RelValues();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_FALSE(shown[0].fromWorker);
        EXPECT_EQ(shown[0].value, "+7.0E-03\n");
        EXPECT_FALSE(f.IsPauseRequested());
    }
}

TEST(RangedFunctionsCommands, ARefusedRelAdoptsTheMetersStateAndRedrawsTheKeys)
{
    const struct {
        Factory make;
        const char* prefix;
    } cases[] = {
        {Make<CZANFunctionDCI>(), "CURR:DC"}, {Make<CZANFunctionACV>(), "VOLT:AC"},
        {Make<CZANFunctionACI>(), "CURR:AC"}, {Make<CZANFunctionRES>(), "RES"},
        {Make<CZANFunctionFRES>(), "FRES"},   {Make<CZANFunctionCap>(), "CAP"},
    };
    for (const auto& c : cases) {
        const std::string prefix = c.prefix;
        Bench bench(c.make, {{prefix + ":NULL?", "0\n"}});
        CZANFunction& f = bench.F();
        SCOPED_TRACE(f.name.Get());
        f.PressKey(4);  // Rel On
        EXPECT_EQ(f.GetSoftKeyItem(4)->ChosenLeftRight(), "On");
        bench.meter.ClearWrites();
        f.ResumeWorker();
        ASSERT_TRUE(bench.panel.WaitForCount(WM_PANEL_SOFTKEYS, 1));
        f.SuspendWorker();
        EXPECT_EQ(f.GetRelState(), "Off");
        EXPECT_EQ(f.GetSoftKeyItem(4)->ChosenLeftRight(), "Off");
        EXPECT_EQ(f.GetRelValue(), "0.000");
        EXPECT_TRUE(bench.panel.RelValues().empty());
        EXPECT_EQ(bench.meter.Count(prefix + ":NULL ON"), 1);
        EXPECT_EQ(bench.meter.Count(prefix + ":NULL?"), 1);
        EXPECT_EQ(bench.meter.Count(prefix + ":NULL:VALUE?"), 0);
    }
}

TEST(RangedFunctionsCommands, AcVoltageScaleShowsDecibelsButLeavesTheViewsUnit)
{
    Bench bench(Make<CZANFunctionACV>());
    auto& f = bench.F();
    f.SetMathMode(1);
    f.SetMathUnitText("DB");
    f.SetMathDbReference(3);
    f.SetMathDbmReference(50);
    f.SetMathReferenceAuto(1);
    EXPECT_EQ(bench.meter.Writes(),
              (Texts{"CALCulate:SCALe:STATe 1", "CALCulate:SCALe:FUNCtion DB", "CALCulate:SCALe:DB:REFerence 3",
                     "CALCulate:SCALe:DBM:REFerence 50", "CALCulate:SCALe:REFerence:AUTO 1"}));
    EXPECT_TRUE(bench.panel.ViewsUnits().empty());  // unlike DC voltage
    const MathInfo info = f.GetMathInfo();
    EXPECT_EQ(info.available, 1);
    EXPECT_EQ(info.mode, 1);
    EXPECT_EQ(info.unitText, "dB");
    EXPECT_EQ(info.dbReference, 3);
    EXPECT_EQ(info.dbmReference, 50);
    EXPECT_EQ(info.referenceAuto, 1);

    const struct {
        const char* reading;
        const char* value;
        const char* unit;
    } cases[] = {
        {"-0.5", "-500.00", "mdB"},
        {"12.3456", "+12.35", "dB"},
        {"Overload", "Overload", "VAC"},
        {"$INIT$", "$INIT$", "VAC"},
    };
    for (const auto& c : cases) {
        f.SetReadingText(c.reading);
        EXPECT_EQ(f.GetValueText(), c.value) << c.reading;
        EXPECT_EQ(f.GetUnitText(), c.unit) << c.reading;
    }
    f.SetMathUnitText("DBM");
    EXPECT_TRUE(bench.panel.ViewsUnits().empty());
    f.SetReadingText("12.3456");
    f.GetValueText();
    EXPECT_EQ(f.GetUnitText(), "dBm");

    f.SetMathMode(0);  // back to volts
    f.SetRangeText("2V");
    f.SetReadingText("1.234567");
    EXPECT_EQ(f.GetValueText(), "+1.23457");
    EXPECT_EQ(f.GetUnitText(), " VAC");
}

TEST(RangedFunctionsCommands, FunctionsWithoutScaleIgnoreTheScaleSetters)
{
    for (const Factory& make : {Make<CZANFunctionDCI>(), Make<CZANFunctionACI>(), Make<CZANFunctionRES>(),
                                Make<CZANFunctionFRES>(), Make<CZANFunctionCap>()}) {
        Bench bench(make);
        CZANFunction& f = bench.F();
        f.SetMathMode(1);
        f.SetMathUnitText("DB");
        EXPECT_TRUE(bench.meter.Writes().empty()) << f.name.Get();
        EXPECT_EQ(f.GetMathInfo().available, 0);
        EXPECT_EQ(f.GetMathInfo().mode, 0);
    }
}

TEST(RangedFunctionsCommands, CapacitanceAnnouncesEachReadingOnceResistanceTwice)
{
    const struct {
        Factory make;
        int messagesPerCycle;
    } cases[] = {
        {Make<CZANFunctionRES>(), 2},
        {Make<CZANFunctionCap>(), 1},
        {Make<CZANFunctionDCI>(), 2},
    };
    for (const auto& c : cases) {
        Bench bench(c.make);
        CZANFunction& f = bench.F();
        bench.panel.AcknowledgeReadingsOf(&f);
        const auto cycles = bench.RunCycles(6);
        EXPECT_EQ(bench.panel.Count(WM_PANEL_READING), c.messagesPerCycle * static_cast<int>(cycles.size()))
            << f.name.Get();
    }
}
