// The temperature function against a scripted meter: settings read-back,
// its own worker cycle, the commands of each apply handler and the relative
// value's bounds per unit.

#include "FakeFrontPanel.h"
#include "MeterFixture.h"
#include "SoftKeyProbe.h"

#include "functions/CZANFunctionTemperature.h"
#include "functions/ViewFlags.h"

#include <gtest/gtest.h>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

using Texts = std::vector<std::string>;

class TemperatureCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mathViewShown = false;
        trendViewShown = false;
        histogramViewShown = false;
        ASSERT_TRUE(meter.Connected());
        meter.SetReply("DATA:LAST?", "+2.34000000E+01 C\n");
        meter.SetReply("TEMP:CAD?", "THER|+9.38000000E-04,+2.34000000E+01\n");
        meter.SetReply("TEMP:TRAN?", "MANU DEFINE,THER,KITS90\n");
        meter.SetReply("TYPE:TEMP?", "All\n");
        meter.SetReply("UNIT:TEMP?", "C\n");
        function.Initialise();
        function.Activate();
        panel.Clear();
        meter.ClearWrites();
    }
    void TearDown() override { function.StopWorker(); }

    // What the meter received, without the worker's two polling queries.
    Texts Commands() const
    {
        Texts commands;
        for (const std::string& write : meter.Writes()) {
            if (write != "DATA:LAST?" && write != "TEMP:CAD?") {
                commands.push_back(write);
            }
        }
        return commands;
    }

    void Apply(const std::string& key)
    {
        function.ResumeWorker();
        ASSERT_TRUE(WaitUntil([&] { return function.GetPendingCount(key) == 0; }));
        function.SuspendWorker();
    }

    ScriptedMeter meter;
    FakeFrontPanel panel;
    CZANFunctionTemperature function{&panel};
};

}  // namespace

TEST_F(TemperatureCommandsTest, LoadSettingsSplitsTheTransducerAndReadsTheRestInOrder)
{
    meter.SetReply("TEMP:TRAN?", "USER DEFINE,RTD,PT100,LAB\n");
    meter.SetReply("TYPE:TEMP?", "Meas Val\n");
    meter.SetReply("UNIT:TEMP?", "K\n");
    meter.SetReply("TEMP:NULL?", "1\n");
    meter.SetReply("TEMP:NULL:VALUE?", "+2.73150000E+02\n");
    function.LoadSettings();
    EXPECT_EQ(meter.Writes(),
              (Texts{"TEMP:TRAN?", "TYPE:TEMP?", "UNIT:TEMP?", "TEMP:NULL?", "TEMP:NULL:VALUE?",
                     "CALCulate:LIMit:STATe?", "CALCulate:LIMit:LOWer?", "CALCulate:LIMit:UPPer?",
                     "DATA:POINts?"}));
    EXPECT_EQ(function.GetSensorDefinition(), "USER DEFINE");
    EXPECT_EQ(function.GetSensorType(), "RTD");
    EXPECT_EQ(function.GetSensorName(), "PT100,LAB");  // the rest after the second comma
    EXPECT_EQ(function.GetMeasuredUnitText(), "$OHM$");
    EXPECT_EQ(function.GetDisplayMode(), "Meas Val");

    function.Activate();
    EXPECT_EQ(KeyTexts(function), (Texts{"Load", "Display", "", "Units", "", ""}));
    EXPECT_EQ(KeyValues(function), (Texts{"PT100,LAB", "Meas Val", "", "K", "", ""}));
    EXPECT_EQ(Highlighted(function, 127, 129), std::vector<int>{128});
    EXPECT_EQ(Highlighted(function, 130, 132), std::vector<int>{132});
    EXPECT_EQ(function.Item(CZANFunctionTemperature::kRelItem)->ChosenLeftRight(), "On");
    EXPECT_EQ(panel.ViewsUnits(), Texts{"K"});
}

TEST_F(TemperatureCommandsTest, TransducerRepliesOfEveryShape)
{
    const struct {
        const char* reply;
        const char* definition;
        const char* type;
        const char* name;
        const char* measuredUnit;
    } cases[] = {
        {"MANU DEFINE,THER,KITS90\n", "MANU DEFINE", "THER", "KITS90", "VDC"},
        {"MANU DEFINE,RTD,PT1000\n", "MANU DEFINE", "RTD", "PT1000", "$OHM$"},
        {"MANU DEFINE,RTD\n", "MANU DEFINE", "RTD", "", "$OHM$"},
        {"GARBLED\n", "GARBLED", "", "", "VDC"},
        {"", "", "", "", "VDC"},
    };
    for (const auto& c : cases) {
        meter.SetReply("TEMP:TRAN?", c.reply);
        function.LoadSettings();
        EXPECT_EQ(function.GetSensorDefinition(), c.definition) << c.reply;
        EXPECT_EQ(function.GetSensorType(), c.type) << c.reply;
        EXPECT_EQ(function.GetSensorName(), c.name) << c.reply;
        EXPECT_EQ(function.GetMeasuredUnitText(), c.measuredUnit) << c.reply;
    }
}

TEST_F(TemperatureCommandsTest, EachCyclePollsTheTemperatureAndTheSensorValue)
{
    mathViewShown = true;
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 3; }));
    function.SuspendWorker();
    const auto cycles = Cycles(meter.Writes());
    ASSERT_GE(cycles.size(), 3u);
    const Texts cycle = {"DATA:LAST?", "TEMP:CAD?", "CALCulate:AVERage:ALL?", "CALCulate:AVERage:PTPeak?",
                         "CALCulate:AVERage:COUNt?"};
    EXPECT_EQ(cycles[0], cycle);
    EXPECT_EQ(cycles[1], cycle);
    EXPECT_EQ(function.GetValueText(), "+23.400");
    EXPECT_EQ(function.GetUnitText(), " $T_C$");
    EXPECT_EQ(function.GetMeasuredValueText(), "+938.00");
    EXPECT_EQ(function.GetMeasuredUnitText(), "uVDC");
}

TEST_F(TemperatureCommandsTest, AnEmptyReplyToEitherPollEndsTheWorker)
{
    const struct {
        const char* query;
        int sensorQueries;
    } cases[] = {{"TEMP:CAD?", 1}, {"DATA:LAST?", 0}};
    for (const auto& c : cases) {
        meter.SetReply(c.query, "");
        meter.ClearWrites();
        function.ResumeWorker();
        ASSERT_TRUE(WaitUntil([&] { return !function.IsWorkerRunning(); })) << c.query;
        EXPECT_EQ(meter.Count("DATA:LAST?"), 1) << c.query;
        EXPECT_EQ(meter.Count("TEMP:CAD?"), c.sensorQueries) << c.query;
    }
}

TEST_F(TemperatureCommandsTest, EachApplyHandlerSendsItsCommands)
{
    meter.SetReply("TEMP:NULL?", "1\n");
    const struct {
        std::function<void()> press;
        const char* pendingKey;
        Texts commands;
    } cases[] = {
        {[&] { function.LoadSensor(true, true, "PT100"); }, "Sensor", {"TEMP:UDEF:RTD:TRAN PT100"}},
        {[&] { function.LoadSensor(false, false, "JITS90"); }, "Sensor", {"TEMP:MDEF:THER:TRAN JITS90"}},
        {[&] { function.PressKey(1); function.PressKey(1); }, "Display", {"TYPE:TEMP MEA"}},
        {[&] { function.PressKey(1); function.PressKey(0); }, "Display", {"TYPE:TEMP TEM"}},
        {[&] { function.PressKey(1); function.PressKey(2); }, "Display", {}},  // "All" is not sent
        {[&] { function.PressKey(3); function.PressKey(2); }, "Unit", {"UNIT:TEMP K", "TEMP:NULL:VALUE?"}},
        {[&] { function.PressKey(3); function.PressKey(1); }, "Unit", {"UNIT:TEMP F", "TEMP:NULL:VALUE?"}},
        {[&] { function.PressKey(4); }, "Rel",
         {"TEMP:NULL ON", "TEMP:NULL:VALUE:AUTO ON", "TEMP:NULL?", "TEMP:NULL:VALUE?"}},
    };
    for (const auto& c : cases) {
        meter.ClearWrites();
        c.press();
        Apply(c.pendingKey);
        EXPECT_EQ(Commands(), c.commands) << c.pendingKey;
    }
    EXPECT_EQ(panel.ViewsUnits(), (Texts{"K", "$T_F$"}));
    // Each unit change and the accepted Rel publish the null value from the worker.
    const auto rel = panel.RelValues();
    ASSERT_EQ(rel.size(), 3u);
    for (const auto& shown : rel) {
        EXPECT_TRUE(shown.fromWorker);
    }
    EXPECT_EQ(rel.back().state, "On");
}

TEST_F(TemperatureCommandsTest, AChosenAllDisplayOutlivesReadingTheSettingsBack)
{
    // The meter has no "All" type; it keeps reporting its own mode.
    meter.SetReply("TYPE:TEMP?", "Temp Val\n");
    function.PressKey(1);
    function.PressKey(2);
    Apply("Display");
    for (int reload = 0; reload < 2; ++reload) {
        function.LoadSettings();
        function.Activate();
        EXPECT_EQ(function.GetDisplayMode(), "All");
        EXPECT_EQ(KeyValues(function)[1], "All");
        EXPECT_EQ(Highlighted(function, 127, 129), std::vector<int>{129});
    }

    // Another choice is the meter's again, and read back as it reports it.
    function.PressKey(1);
    function.PressKey(1);
    Apply("Display");
    meter.SetReply("TYPE:TEMP?", "Meas Val\n");
    function.LoadSettings();
    EXPECT_EQ(function.GetDisplayMode(), "Meas Val");
    meter.SetReply("TYPE:TEMP?", "Temp Val\n");
    function.LoadSettings();
    EXPECT_EQ(function.GetDisplayMode(), "Temp Val");
}

TEST_F(TemperatureCommandsTest, ARefusedRelAdoptsTheMetersStateAndRedrawsTheKeys)
{
    meter.SetReply("TEMP:NULL?", "0\n");
    function.PressKey(4);
    Apply("Rel");
    EXPECT_EQ(Commands(), (Texts{"TEMP:NULL ON", "TEMP:NULL:VALUE:AUTO ON", "TEMP:NULL?"}));
    EXPECT_EQ(function.GetRelState(), "Off");
    EXPECT_EQ(function.GetSoftKeyItem(4)->ChosenLeftRight(), "Off");
    EXPECT_EQ(panel.Count(WM_PANEL_SOFTKEYS), 1);
    EXPECT_TRUE(panel.RelValues().empty());
}

TEST_F(TemperatureCommandsTest, RelativeValueIsClampedByTheUnit)
{
    meter.SetReply("TEMP:NULL:VALUE?", "+1.00000000E+00\n");
    const struct {
        int unitKey;  // key on the unit page; -1: the unit read back empty
        const char* typed;
        const char* sent;
    } cases[] = {
        {0, "-300", "TEMP:NULL:VALUE -270.000000000000"},
        {0, "2000", "TEMP:NULL:VALUE 1370.000000000000"},
        {0, "25.5", "TEMP:NULL:VALUE 25.500000000000"},
        {1, "-500", "TEMP:NULL:VALUE -454.000000000000"},
        {1, "3000", "TEMP:NULL:VALUE 2498.000000000000"},
        {2, "5000", "TEMP:NULL:VALUE 1643.150024414062"},
        {2, "0", "TEMP:NULL:VALUE 3.150000095367"},
        {2, "abc", "TEMP:NULL:VALUE 3.150000095367"},
        {-1, "1e9", "TEMP:NULL:VALUE 1000000000.000000000000"},
    };
    for (const auto& c : cases) {
        if (c.unitKey >= 0) {
            function.PressKey(3);
            function.PressKey(c.unitKey);
        } else {
            meter.SetReply("UNIT:TEMP?", "");
            function.LoadSettings();
            ASSERT_EQ(function.GetBaseUnit(), "");
        }
        meter.ClearWrites();
        function.SetRelValue(c.typed);
        EXPECT_EQ(meter.Writes(), (Texts{c.sent, "TEMP:NULL:VALUE?"})) << c.typed;
    }
    EXPECT_EQ(function.GetRelValue(), "+1.00000000E+00\n");
    EXPECT_FALSE(function.IsPauseRequested());
}
