// Settings the user changes are marked on the user-interface thread and sent
// by the worker at the end of a cycle.

#include "FakeFrontPanel.h"
#include "MeterFixture.h"

#include "functions/CZANFunctionDCV.h"
#include "functions/ViewFlags.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

std::vector<std::vector<std::string>> Cycles(const std::vector<std::string>& writes)
{
    std::vector<std::vector<std::string>> cycles;
    for (const std::string& write : writes) {
        if (write == "DATA:LAST?") {
            cycles.emplace_back();
        }
        if (!cycles.empty()) {
            cycles.back().push_back(write);
        }
    }
    return cycles;
}

class PendingSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mathViewShown = false;
        trendViewShown = false;
        histogramViewShown = false;
        ASSERT_TRUE(meter.Connected());
        function.Initialise();
        function.Activate();
    }
    void TearDown() override
    {
        function.StopWorker();
        mathViewShown = false;
    }

    ScriptedMeter meter;
    FakeFrontPanel panel;
    CZANFunctionDCV function{&panel};
};

}  // namespace

TEST_F(PendingSettingsTest, MarkedKeysAreAppliedOnceInByteWiseKeyOrder)
{
    meter.SetReply("VOLT:DC:NULL?", "1\n");
    meter.SetReply("VOLT:DC:NULL:VALUE?", "+1.50000000E-01\n");
    function.PressKey(2);  // Filter: On
    function.PressKey(3);  // Input Z: 10M
    function.PressKey(4);  // Rel: On
    function.PressKey(0);
    function.PressKey(2);  // range 2V
    function.PressKey(1);
    function.PressKey(1);  // speed Middle

    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 3; }));
    function.SuspendWorker();

    const auto cycles = Cycles(meter.Writes());
    ASSERT_GE(cycles.size(), 3u);
    const std::vector<std::string> first = {
        "DATA:LAST?",           "VOLT:DC:FILTER ON",
        "VOLT:DC:IMP 10M",      "VOLT:DC:RANGE 2",
        "VOLT:DC:NULL ON",      "VOLT:DC:NULL:VALUE:AUTO ON",
        "VOLT:DC:NULL?",        "VOLT:DC:NULL:VALUE?",
        "VOLT:DC:NPLC 1",
    };
    EXPECT_EQ(cycles[0], first);
    EXPECT_EQ(cycles[1], std::vector<std::string>{"DATA:LAST?"});
    for (const char* key : {"Filter", "InputZ", "Range", "Rel", "Speed"}) {
        EXPECT_EQ(function.GetPendingCount(key), 0) << key;
    }
    EXPECT_EQ(function.GetRangeText(), "2V");
    EXPECT_EQ(panel.Count(WM_PANEL_DISPLAY), 1);  // a manual range was applied
}

TEST_F(PendingSettingsTest, ATwoWayKeyPressedTwiceIsSentTwiceWithTheFinalText)
{
    function.PressKey(2);
    function.PressKey(2);
    EXPECT_EQ(function.GetPendingCount("Filter"), 2);
    EXPECT_EQ(function.GetFilter(), "Off");
    EXPECT_EQ(function.GetSoftKeyItem(2)->ChosenLeftRight(), "Off");

    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 3; }));
    function.SuspendWorker();
    const auto cycles = Cycles(meter.Writes());
    ASSERT_GE(cycles.size(), 3u);
    EXPECT_EQ(cycles[0], (std::vector<std::string>{"DATA:LAST?", "VOLT:DC:FILTER OFF"}));
    EXPECT_EQ(cycles[1], (std::vector<std::string>{"DATA:LAST?", "VOLT:DC:FILTER OFF"}));
    EXPECT_EQ(cycles[2], std::vector<std::string>{"DATA:LAST?"});
}

TEST_F(PendingSettingsTest, AKeyPressedDuringACycleIsAppliedAtTheEndOfThatCycle)
{
    mathViewShown = true;
    std::mutex mutex;
    std::condition_variable changed;
    bool arrived = false;
    bool pressed = false;
    std::atomic<bool> first{true};
    StopWorkerAtExit stop(function);
    meter.OnMessage([&](const std::string& message) {
        if (message != "CALCulate:AVERage:ALL?" || !first.exchange(false)) {
            return;
        }
        std::unique_lock<std::mutex> guard(mutex);
        arrived = true;
        changed.notify_all();
        changed.wait(guard, [&] { return pressed; });
    });

    function.ResumeWorker();
    {
        std::unique_lock<std::mutex> guard(mutex);
        changed.wait(guard, [&] { return arrived; });
    }
    function.PressKey(2);  // while the worker is between its view queries
    {
        std::lock_guard<std::mutex> guard(mutex);
        pressed = true;
        changed.notify_all();
    }
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 2; }));
    function.SuspendWorker();
    const auto cycles = Cycles(meter.Writes());
    const std::vector<std::string> first_cycle = {
        "DATA:LAST?", "CALCulate:AVERage:ALL?", "CALCulate:AVERage:PTPeak?",
        "CALCulate:AVERage:COUNt?", "VOLT:DC:FILTER ON"};
    ASSERT_FALSE(cycles.empty());
    EXPECT_EQ(cycles[0], first_cycle);
}

TEST_F(PendingSettingsTest, LoadSettingsClearsMarksMadeWhileTheFunctionWasNotCurrent)
{
    function.PressKey(2);
    function.MarkPending("NoSuchKey");
    EXPECT_EQ(function.GetPendingCount("Filter"), 1);
    EXPECT_EQ(function.GetPendingCount("NoSuchKey"), 0);
    function.LoadSettings();
    EXPECT_EQ(function.GetPendingCount("Filter"), 0);

    meter.ClearWrites();
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 2; }));
    function.SuspendWorker();
    EXPECT_EQ(meter.Count("VOLT:DC:FILTER ON") + meter.Count("VOLT:DC:FILTER OFF"), 0);
}
