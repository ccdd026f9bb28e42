#include "platform/WorkerThread.h"

#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using voltora::platform::WorkerThread;
using voltora::testing::WaitUntil;

TEST(WorkerThread, IsCreatedSuspendedAndRunsNothingUntilResumed)
{
    std::atomic<int> calls{0};
    WorkerThread thread([&](WorkerThread&) { ++calls; });
    ASSERT_TRUE(thread.IsCreated());
    ASSERT_TRUE(WaitUntil([&] { return thread.IsParked(); }));
    EXPECT_EQ(calls.load(), 0);
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_EQ(thread.SuspendCount(), 1);

    EXPECT_EQ(thread.Resume(), 1);
    ASSERT_TRUE(WaitUntil([&] { return !thread.IsRunning(); }));
    EXPECT_EQ(calls.load(), 1);
}

TEST(WorkerThread, SuspendAndResumeReportThePreviousCount)
{
    WorkerThread thread([](WorkerThread& self) {
        while (self.WaitWhileSuspended()) {
            std::this_thread::yield();
        }
    });
    EXPECT_EQ(thread.Suspend(), 1);
    EXPECT_EQ(thread.Suspend(), 2);
    EXPECT_EQ(thread.Resume(), 3);
    EXPECT_EQ(thread.Resume(), 2);
    EXPECT_EQ(thread.Resume(), 1);
    // Resuming a thread that is not suspended changes nothing and reports 0.
    EXPECT_EQ(thread.Resume(), 0);
    EXPECT_EQ(thread.SuspendCount(), 0);
}

TEST(WorkerThread, RoutineStopsAtItsSuspensionPointOnlyWhileSuspended)
{
    std::atomic<int> passes{0};
    WorkerThread thread([&](WorkerThread& self) {
        while (self.WaitWhileSuspended()) {
            ++passes;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    thread.Resume();
    ASSERT_TRUE(WaitUntil([&] { return passes.load() > 3; }));
    thread.Suspend();
    ASSERT_TRUE(WaitUntil([&] { return thread.IsParked(); }));
    const int frozen = passes.load();
    // Parked means it stands at the suspension point: no further pass until resumed.
    EXPECT_TRUE(thread.IsParked());
    EXPECT_EQ(passes.load(), frozen);
    thread.Resume();
    ASSERT_TRUE(WaitUntil([&] { return passes.load() > frozen + 3; }));
}

TEST(WorkerThread, StopRequestEndsASuspendedRoutineWithoutResume)
{
    std::atomic<bool> started{false};
    std::atomic<bool> reachedEnd{false};
    WorkerThread thread([&](WorkerThread& self) {
        started = true;
        while (self.WaitWhileSuspended()) {
        }
        reachedEnd = true;
    });
    thread.Resume();
    ASSERT_TRUE(WaitUntil([&] { return started.load(); }));
    thread.Suspend();
    ASSERT_TRUE(WaitUntil([&] { return thread.IsParked(); }));
    thread.RequestStop();
    thread.Join();
    EXPECT_TRUE(reachedEnd.load());
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(thread.StopRequested());
}

TEST(WorkerThread, DestroyingANeverResumedThreadDoesNotRunTheRoutine)
{
    std::atomic<int> calls{0};
    {
        WorkerThread thread([&](WorkerThread&) { ++calls; });
    }
    EXPECT_EQ(calls.load(), 0);
}
