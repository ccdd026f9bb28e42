// The worker cycle of a function against a scripted meter: what one cycle
// sends, suspension, ending and restarting, message coalescing.

#include "FakeFrontPanel.h"
#include "MeterFixture.h"

#include "functions/CZANFunctionDCV.h"
#include "functions/ViewFlags.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace voltora::functions::testing;
using namespace voltora::functions;

namespace {

void ClearViewFlags()
{
    mathViewShown = false;
    trendViewShown = false;
    histogramViewShown = false;
    trendRestartPending = false;
}

// The writes cut into cycles, each starting at a reading query.
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

// One thread stops inside the meter's reply until another lets it go on.
class Handshake {
public:
    void Arrive()
    {
        std::unique_lock<std::mutex> guard(mutex);
        arrived = true;
        changed.notify_all();
        changed.wait(guard, [&] { return released; });
    }
    void WaitForArrival()
    {
        std::unique_lock<std::mutex> guard(mutex);
        changed.wait(guard, [&] { return arrived; });
    }
    void Release()
    {
        std::lock_guard<std::mutex> guard(mutex);
        released = true;
        changed.notify_all();
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool arrived = false;
    bool released = false;
};

class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearViewFlags();
        ASSERT_TRUE(meter.Connected());
        function.Initialise();
        function.Activate();
    }

    void TearDown() override
    {
        function.StopWorker();
        ClearViewFlags();
    }

    // Runs the worker until it has sent `readings` reading queries, then
    // suspends it and returns everything it sent.
    std::vector<std::string> RunCycles(int readings)
    {
        meter.ClearWrites();
        function.ResumeWorker();
        EXPECT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= readings; }));
        function.SuspendWorker();
        return meter.Writes();
    }

    ScriptedMeter meter;
    FakeFrontPanel panel;
    CZANFunctionDCV function{&panel};
};

}  // namespace

TEST_F(WorkerTest, ACycleWithNoViewShownIsOneReadingQuery)
{
    const auto cycles = Cycles(RunCycles(5));
    ASSERT_GE(cycles.size(), 5u);
    for (const auto& cycle : cycles) {
        EXPECT_EQ(cycle, std::vector<std::string>{"DATA:LAST?"});
    }
    EXPECT_EQ(function.GetReadingText(), "+1.23456700E+00");
}

TEST_F(WorkerTest, AutomaticRangeAddsOneRangeQueryPerCycle)
{
    function.SetRangeMode("Auto");
    meter.SetReply("VOLT:DC:RANGE?", "+2.000000E+01\n");
    const auto cycles = Cycles(RunCycles(5));
    ASSERT_GE(cycles.size(), 5u);
    for (const auto& cycle : cycles) {
        EXPECT_EQ(cycle, (std::vector<std::string>{"DATA:LAST?", "VOLT:DC:RANGE?"}));
    }
    EXPECT_EQ(function.GetRangeText(), "20V");
}

TEST_F(WorkerTest, ViewDataIsFetchedOnlyWhileItsViewIsShown)
{
    const std::vector<std::string> math = {"CALCulate:AVERage:ALL?", "CALCulate:AVERage:PTPeak?",
                                           "CALCulate:AVERage:COUNt?"};
    const std::vector<std::string> trend = {"CALCulate:TRENd:CHARt:MODe?",
                                            "CALCulate:TRENd:CHARt:DATA?"};
    const std::vector<std::string> histogram = {"CALCulate:TRANsform:HISTogram:ALL?",
                                                "CALCulate:TRANsform:HISTogram:RANGe:AUTO?"};
    const struct {
        bool math, trend, histogram;
        std::vector<std::vector<std::string>> parts;
    } cases[] = {
        {true, false, false, {math}},
        {false, true, false, {trend}},
        {false, false, true, {histogram}},
        {true, true, true, {trend, histogram, math}},
        {false, false, false, {}},
    };
    for (const auto& c : cases) {
        mathViewShown = c.math;
        trendViewShown = c.trend;
        histogramViewShown = c.histogram;
        std::vector<std::string> expected = {"DATA:LAST?"};
        for (const auto& part : c.parts) {
            expected.insert(expected.end(), part.begin(), part.end());
        }
        const auto cycles = Cycles(RunCycles(3));
        ASSERT_GE(cycles.size(), 3u);
        for (const auto& cycle : cycles) {
            EXPECT_EQ(cycle, expected) << c.math << c.trend << c.histogram;
        }
    }
}

TEST_F(WorkerTest, StatisticsFetchFillsTheBlockWithOverloadTexts)
{
    meter.SetReply("CALCulate:AVERage:ALL?", "+1.5E+00,+2.0E-03,+9.9E+37,-1.0E+00\n");
    meter.SetReply("CALCulate:AVERage:PTPeak?", "+9.90000000E+37\n");
    meter.SetReply("CALCulate:AVERage:COUNt?", "+1.27000000E+02\n");
    mathViewShown = true;
    RunCycles(2);
    StatisticsBlock block = function.GetStatistics();
    EXPECT_EQ(block.average, "+1.5E+00");
    EXPECT_EQ(block.standardDeviation, "+2.0E-03");
    EXPECT_EQ(block.maximum, "Overload");
    EXPECT_EQ(block.minimum, "-1.0E+00");
    EXPECT_EQ(block.span, "Overload");
    EXPECT_EQ(block.samples, 127);

    // A cut reply keeps the block as it was.
    meter.SetReply("CALCulate:AVERage:ALL?", "+7.0E+00,+1.0E-03\n");
    RunCycles(2);
    block = function.GetStatistics();
    EXPECT_EQ(block.average, "+1.5E+00");
    EXPECT_EQ(block.samples, 127);
}

TEST_F(WorkerTest, NothingIsSentOnceSuspendWorkerHasReturned)
{
    panel.AcknowledgeReadingsOf(&function);
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 3; }));
    {
        // The user-interface thread holds the lock, so the worker ends its
        // cycle, pauses, posts and then waits for the lock. Suspending now
        // must keep it from running one more cycle once it gets the lock.
        CZANFunction::PauseGuard paused(function);
        const int posted = panel.Count(WM_PANEL_READING);
        // The worker's next message comes after its 200 ms pause, right
        // before it asks for the lock. If it does not come, the worker had
        // already posted it before `posted` was read and is waiting for the
        // lock: the same situation.
        panel.WaitForCount(WM_PANEL_READING, posted + 1, std::chrono::seconds(2));
        function.SuspendWorker();
    }
    const auto sent = meter.Writes().size();
    ASSERT_TRUE(WaitUntil([&] { return function.IsWorkerParked(); }));
    EXPECT_EQ(meter.Writes().size(), sent);
    EXPECT_TRUE(function.IsWorkerRunning());
}

TEST_F(WorkerTest, SuspendDuringAnApplyHandlerWaitsForTheWholeCycle)
{
    Handshake rangeSent;
    StopWorkerAtExit stop(function);
    meter.SetReplyFunction("VOLT:DC:RANGE 2", [&](const std::string&) -> std::optional<std::string> {
        rangeSent.Arrive();
        return std::nullopt;
    });
    // Range (300 ms pause after its command) and Speed are both pending.
    function.PressKey(0);
    function.PressKey(2);  // "2V"
    function.PressKey(1);
    function.PressKey(2);  // "Fast"
    meter.ClearWrites();
    function.ResumeWorker();
    rangeSent.WaitForArrival();
    rangeSent.Release();
    function.SuspendWorker();  // returns only after the cycle has ended
    const auto writes = meter.Writes();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back(), "VOLT:DC:NPLC 0.3");
    EXPECT_EQ(meter.Count("DATA:LAST?"), 1);
    EXPECT_EQ(function.GetPendingCount("Range"), 0);
    EXPECT_EQ(function.GetPendingCount("Speed"), 0);
}

TEST_F(WorkerTest, AnEmptyReadingEndsTheWorkerAndResumeStartsANewOne)
{
    std::atomic<int> readings{0};
    StopWorkerAtExit stop(function);  // `readings` must outlive the worker
    meter.SetReplyFunction("DATA:LAST?", [&](const std::string&) -> std::optional<std::string> {
        // The third reading query gets an empty reply.
        return ++readings == 3 ? std::string() : std::string("+5.0E-01 VDC\n");
    });
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return !function.IsWorkerRunning(); }));
    EXPECT_EQ(meter.Count("DATA:LAST?"), 3);
    EXPECT_EQ(function.GetReadingText(), "+5.0E-01");  // the display keeps the last reading

    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 6; }));
    EXPECT_TRUE(function.IsWorkerRunning());
}

TEST_F(WorkerTest, AnEmptyRangeReplyInAutomaticRangeEndsTheWorker)
{
    function.SetRangeMode("Auto");
    meter.SetReply("VOLT:DC:RANGE?", "");
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return !function.IsWorkerRunning(); }));
    EXPECT_EQ(meter.Writes(), (std::vector<std::string>{"DATA:LAST?", "VOLT:DC:RANGE?"}));
}

TEST_F(WorkerTest, ClearingRunningEndsTheWorkerAfterItsCycle)
{
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 2; }));
    function.RequestWorkerStop();
    ASSERT_TRUE(WaitUntil([&] { return !function.IsWorkerRunning(); }));
}

TEST_F(WorkerTest, ReadingMessagesAreCoalescedUntilThePanelAcknowledges)
{
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 10; }));
    EXPECT_EQ(panel.Count(WM_PANEL_READING), 1);

    function.AcknowledgeReading();
    ASSERT_TRUE(panel.WaitForCount(WM_PANEL_READING, 2));
    const int before = meter.Count("DATA:LAST?");
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= before + 5; }));
    EXPECT_EQ(panel.Count(WM_PANEL_READING), 2);
}

TEST_F(WorkerTest, TheStandardWorkerPostsTwicePerCycleToAPromptPanel)
{
    panel.AcknowledgeReadingsOf(&function);
    const auto cycles = Cycles(RunCycles(5));
    // Every finished cycle posted after its fetch and at its end.
    EXPECT_GE(panel.Count(WM_PANEL_READING), 2 * (static_cast<int>(cycles.size()) - 1));
    EXPECT_LE(panel.Count(WM_PANEL_READING), 2 * static_cast<int>(cycles.size()));
}

TEST_F(WorkerTest, DestroyingAFunctionStopsAndJoinsItsWorker)
{
    for (const bool suspended : {false, true}) {
        auto other = std::make_unique<CZANFunctionDCV>(&panel);
        other->Initialise();
        other->ResumeWorker();
        meter.ClearWrites();
        ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 2; }));
        if (suspended) {
            other->SuspendWorker();
            ASSERT_TRUE(WaitUntil([&] { return other->IsWorkerParked(); }));
        }
        other.reset();  // returns only once the worker has ended
    }
    // The explicit stop, as an owner would call it before destruction.
    function.ResumeWorker();
    function.StopWorker();
    EXPECT_FALSE(function.IsWorkerRunning());
}

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

}  // namespace

TEST_F(WorkerTest, ThePollFloorSpacesCyclesAgainstAMeterThatAnswersAtOnce)
{
    // The scripted meter answers without any delay: only the floor paces.
    constexpr unsigned kFloorMs = 40;
    constexpr int kCycles = 6;
    function.SetPollFloor(kFloorMs);
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 1; }));
    const int first = meter.Count("DATA:LAST?");
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= first + kCycles; }));
    // kCycles more cycles need at least kCycles floors (the first may have
    // begun just before `start`, hence one floor of slack).
    EXPECT_GE(MillisecondsSince(start), static_cast<long long>((kCycles - 1) * kFloorMs));
}

TEST_F(WorkerTest, SuspendIsNotDelayedByThePollFloor)
{
    // A long floor: a suspension that waited for it would take that long.
    constexpr unsigned kFloorMs = 600;
    function.SetPollFloor(kFloorMs);
    function.ResumeWorker();
    ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 2; }));
    const Clock::time_point start = Clock::now();
    function.SuspendWorker();
    EXPECT_LT(MillisecondsSince(start), static_cast<long long>(kFloorMs / 2));
    const int sent = meter.Count("DATA:LAST?");
    // Parked before its next cycle, which therefore never sends.
    ASSERT_TRUE(WaitUntil([&] { return function.IsWorkerParked(); }));
    EXPECT_EQ(meter.Count("DATA:LAST?"), sent);
}

TEST_F(WorkerTest, OnlyAWorkerEndedByAFailedFetchTellsThePanel)
{
    const struct {
        const char* name;
        const char* reading;
        const char* range;
        bool autoRange;
        bool clearRunning;
        int expectedEndMessages;
    } cases[] = {
        {"empty reading", "", "+2.000000E+01\n", false, false, 1},
        {"empty range reply while ranging automatically", "+1.0E+00 VDC\n", "", true, false, 1},
        {"running cleared", "+1.0E+00 VDC\n", "+2.000000E+01\n", false, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFrontPanel own;
        CZANFunctionDCV subject{&own};
        subject.Initialise();
        subject.Activate();
        if (c.autoRange) {
            subject.SetRangeMode("Auto");
        }
        meter.ClearWrites();
        meter.SetReply("DATA:LAST?", c.reading);
        meter.SetReply("VOLT:DC:RANGE?", c.range);
        subject.ResumeWorker();
        if (c.clearRunning) {
            ASSERT_TRUE(WaitUntil([&] { return meter.Count("DATA:LAST?") >= 2; }));
            subject.RequestWorkerStop();
        }
        ASSERT_TRUE(WaitUntil([&] { return !subject.IsWorkerRunning(); }));
        EXPECT_EQ(own.Count(WM_PANEL_WORKER_ENDED), c.expectedEndMessages);
        subject.StopWorker();
    }
}
