// The continuity and diode functions against a scripted meter: settings
// read-back order, the commands of each apply handler and the two worker
// kinds.

#include "FakeFrontPanel.h"
#include "MeterFixture.h"
#include "SoftKeyProbe.h"

#include "functions/CZANFunctionCont.h"
#include "functions/CZANFunctionDiode.h"
#include "functions/ViewFlags.h"

#include <gtest/gtest.h>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

using Texts = std::vector<std::string>;

constexpr int kRight = 7, kUp = 8, kDown = 9;

const Texts kLimitsAndPoints = {"CALCulate:LIMit:STATe?", "CALCulate:LIMit:LOWer?",
                                "CALCulate:LIMit:UPPer?", "DATA:POINts?"};
const Texts kStatistics = {"CALCulate:AVERage:ALL?", "CALCulate:AVERage:PTPeak?",
                           "CALCulate:AVERage:COUNt?"};

class ContDiodeCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mathViewShown = false;
        trendViewShown = false;
        histogramViewShown = false;
        ASSERT_TRUE(meter.Connected());
        meter.SetReply("SYST:BEEP:STATE?", "1\n");
        meter.SetReply("CONT:THR:VALUE?", "+1.99900000E+03\n");
        meter.SetReply("DIODE:THR:VALUE?", "+1.50000000E+00\n");
        continuity.Initialise();
        continuity.Activate();
        diode.Initialise();
        diode.Activate();
        meter.ClearWrites();
    }
    void TearDown() override
    {
        continuity.StopWorker();
        diode.StopWorker();
        mathViewShown = false;
    }

    // What the meter received, without the reading queries.
    Texts Commands() const
    {
        Texts commands;
        for (const std::string& write : meter.Writes()) {
            if (write != "DATA:LAST?") {
                commands.push_back(write);
            }
        }
        return commands;
    }

    // Lets the worker of `function` apply what is pending under `key`.
    static void Apply(CZANFunction& function, const std::string& key)
    {
        function.ResumeWorker();
        ASSERT_TRUE(WaitUntil([&] { return function.GetPendingCount(key) == 0; }));
        function.SuspendWorker();
    }

    ScriptedMeter meter;
    FakeFrontPanel panel;
    CZANFunctionCont continuity{&panel};
    CZANFunctionDiode diode{&panel};
};

}  // namespace

TEST_F(ContDiodeCommandsTest, ContinuityReadsItsSettingsBeforeTheSharedPart)
{
    meter.SetReply("SYST:BEEP:STATE?", "0\n");
    continuity.LoadSettings();
    Texts expected = {"SYST:BEEP:STATE?", "CONT:THR:VALUE?"};
    expected.insert(expected.end(), kLimitsAndPoints.begin(), kLimitsAndPoints.end());
    EXPECT_EQ(meter.Writes(), expected);
    EXPECT_EQ(continuity.GetBeeper(), "Off");
    EXPECT_EQ(continuity.GetEntryText(), "+1999 $OHM$");
    continuity.Activate();
    EXPECT_EQ(continuity.GetSoftKeyItem(0)->ChosenLeftRight(), "Off");
}

TEST_F(ContDiodeCommandsTest, DiodeReadsItsSettingsAfterTheSharedPart)
{
    diode.LoadSettings();
    Texts expected = kLimitsAndPoints;
    expected.insert(expected.end(), {"DIODE:THR:VALUE?", "SYST:BEEP:STATE?"});
    EXPECT_EQ(meter.Writes(), expected);
    EXPECT_EQ(diode.GetEntryText(), "+1500 mV");
    EXPECT_EQ(diode.GetBeeper(), "On");
}

TEST_F(ContDiodeCommandsTest, EachApplyHandlerSendsItsCommands)
{
    continuity.LoadSettings();  // threshold 1999
    diode.LoadSettings();       // threshold 1500 mV
    const struct {
        CZANFunction* function;
        std::vector<int> keys;
        const char* pendingKey;
        Texts commands;
    } cases[] = {
        {&continuity, {0}, "Beeper", {"SYST:BEEP:STAT OFF"}},
        {&continuity, {0}, "Beeper", {"SYST:BEEP:STAT ON"}},
        // Up at the thousands is refused (2999 > 2000); the value is sent again.
        {&continuity, {kUp}, "Threshold", {"CONT:THR:VALUE 1999"}},
        {&continuity, {kRight, kDown}, "Threshold", {"CONT:THR:VALUE 1899"}},
        {&diode, {kDown}, "Threshold", {"DIODE:THR:VALUE 0.500000"}},
        {&diode, {kRight, kRight, kRight, kUp}, "Threshold", {"DIODE:THR:VALUE 0.501000"}},
        {&diode, {0}, "Beeper", {"SYST:BEEP:STAT OFF"}},
        // The diode's Threshold key sends the beeper state again.
        {&diode, {1}, "Beeper", {"SYST:BEEP:STAT OFF"}},
    };
    for (const auto& c : cases) {
        meter.ClearWrites();
        for (const int key : c.keys) {
            c.function->PressKey(key);
        }
        Apply(*c.function, c.pendingKey);
        EXPECT_EQ(Commands(), c.commands) << c.function->name.Get() << " " << c.pendingKey;
    }
}

TEST_F(ContDiodeCommandsTest, MovingTheCursorAndTheContinuityThresholdKeySendNothing)
{
    continuity.PressKey(1);
    continuity.PressKey(kRight);
    diode.PressKey(kRight);
    diode.PressKey(6);
    for (CZANFunction* function : {static_cast<CZANFunction*>(&continuity), static_cast<CZANFunction*>(&diode)}) {
        meter.ClearWrites();
        function->ResumeWorker();
        ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 4; }));
        function->SuspendWorker();
        EXPECT_EQ(Commands(), Texts{}) << function->name.Get();
    }
}

TEST_F(ContDiodeCommandsTest, AThresholdThatWasNotReadBackIsNotSent)
{
    meter.SetReply("CONT:THR:VALUE?", "");
    meter.SetReply("DIODE:THR:VALUE?", "");
    continuity.LoadSettings();
    diode.LoadSettings();
    EXPECT_EQ(continuity.GetEntryText(), " $OHM$");
    EXPECT_EQ(diode.GetEntryText(), " mV");
    continuity.PressKey(kDown);  // nothing to step down from
    diode.PressKey(kDown);
    meter.ClearWrites();
    Apply(continuity, "Threshold");
    Apply(diode, "Threshold");
    EXPECT_EQ(Commands(), Texts{});

    // An edit upwards gives a whole value again, which is sent.
    diode.PressKey(kUp);
    Apply(diode, "Threshold");
    EXPECT_EQ(Commands(), Texts{"DIODE:THR:VALUE 1.000000"});
}

TEST_F(ContDiodeCommandsTest, ContinuityPollsOnceAndDiodeTwicePerCycle)
{
    mathViewShown = true;
    meter.SetReply("DATA:LAST?", "+9.90000000E+37\n");
    continuity.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 3; }));
    continuity.SuspendWorker();
    EXPECT_EQ(continuity.GetReadingText(), "open");
    EXPECT_EQ(continuity.GetValueText(), "open");
    Texts cycle = {"DATA:LAST?"};
    cycle.insert(cycle.end(), kStatistics.begin(), kStatistics.end());
    auto cycles = Cycles(meter.Writes());
    ASSERT_GE(cycles.size(), 3u);
    EXPECT_EQ(cycles[0], cycle);
    EXPECT_EQ(cycles[1], cycle);

    meter.SetReply("DATA:LAST?", "+5.12300000E-01\n");
    meter.ClearWrites();
    diode.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 6; }));
    diode.SuspendWorker();
    EXPECT_EQ(diode.GetValueText(), "+0.5123");
    // Cut at each reading query: a cycle is poll, statistics, poll.
    cycles = Cycles(meter.Writes());
    ASSERT_GE(cycles.size(), 4u);
    EXPECT_EQ(cycles[0], cycle);
    EXPECT_EQ(cycles[1], Texts{"DATA:LAST?"});
    EXPECT_EQ(cycles[2], cycle);
    EXPECT_EQ(cycles[3], Texts{"DATA:LAST?"});
}

TEST_F(ContDiodeCommandsTest, AnEmptyReadingEndsEitherWorker)
{
    meter.SetReply("DATA:LAST?", "");
    for (CZANFunction* function : {static_cast<CZANFunction*>(&continuity), static_cast<CZANFunction*>(&diode)}) {
        function->ResumeWorker();
        ASSERT_TRUE(WaitUntil([&] { return !function->IsWorkerRunning(); })) << function->name.Get();
        EXPECT_EQ(function->GetReadingText(), "open");  // as before: nothing new was read
    }
}
