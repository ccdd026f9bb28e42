// The worker thread of a function: its cycle and how the user-interface
// thread suspends, resumes and stops it.

#include "functions/CZANFunction.h"

#include "functions/ReadingLog.h"
#include "functions/ViewData.h"
#include "functions/ViewFlags.h"
#include "platform/Clock.h"
#include "scpi/AcquisitionCommands.h"

#include <chrono>
#include <mutex>
#include <thread>

using namespace voltora::scpi;

namespace {

// The steps in which the worker kinds differ.
struct CycleShape {
    bool postAfterFetch;
    bool autoRangeStep;
    bool secondFetch;
};

CycleShape ShapeOf(WorkerKind kind)
{
    switch (kind) {
    case WorkerKind::Standard:
        return {true, true, false};
    case WorkerKind::Quiet:
        return {false, true, false};
    case WorkerKind::Diode:
        return {true, false, true};
    case WorkerKind::Continuity:
    case WorkerKind::Temperature:
        break;
    }
    return {false, false, false};
}

// The function whose worker runs on this thread, if any.
thread_local const CZANFunction* workerOfThisThread = nullptr;

constexpr unsigned kPauseAfterCycleMs = 200;

std::atomic<unsigned> defaultPollFloorMs{CZANFunction::kDefaultPollFloorMs};

}  // namespace

void CZANFunction::StartWorkerOfKind(WorkerKind kind, boost::function<bool()> fetch)
{
    // The previous thread, if any, has ended (ResumeWorker replaces only an
    // ended worker); destroying it joins it.
    thread.reset();
    thread = std::make_unique<voltora::platform::WorkerThread>(
        [this, kind, fetch = std::move(fetch)](voltora::platform::WorkerThread& self) {
            RunWorker(self, kind, fetch);
        });
}

void CZANFunction::RunWorker(voltora::platform::WorkerThread& self, WorkerKind kind,
                             const boost::function<bool()>& fetch)
{
    workerOfThisThread = this;
    const CycleShape shape = ShapeOf(kind);
    const auto fetchOnce = [&] {
        if (!(fetch ? fetch() : FetchReading())) {
            // The meter stopped answering: a reading log in progress ends
            // with a line saying so.
            voltora::functions::EndActiveReadingLog(voltora::functions::kLinkLostReason);
            return false;
        }
        ++readingCount;
        LogLatestReading();
        return true;
    };
    // A failed fetch ends the worker; the panel is told so that it can show
    // what happened instead of the last reading.
    const auto endOnFailure = [&] { PostPanelMessage(WM_PANEL_WORKER_ENDED); };
    using Clock = std::chrono::steady_clock;
    Clock::time_point nextCycle = Clock::now();

    while (running) {
        // A meter that answers at once must not be polled flat out: a cycle
        // starts no sooner than the poll floor after the previous one. The
        // wait is outside the lock, so a suspension still takes effect
        // before the next cycle.
        const Clock::time_point now = Clock::now();
        if (now < nextCycle) {
            std::this_thread::sleep_for(nextCycle - now);
        }
        {
            std::unique_lock<voltora::platform::CriticalSection> guard(lock);
            // Suspension is checked with the lock held: SuspendWorker changes
            // the count only while it holds the lock, so a worker that was
            // waiting for the lock does not run a cycle after it.
            if (self.IsSuspendRequested()) {
                guard.unlock();
                if (!self.WaitWhileSuspended()) {
                    return;
                }
                continue;
            }
            nextCycle = Clock::now() + std::chrono::milliseconds(pollFloorMs.load());
            if (!fetchOnce()) {
                endOnFailure();
                return;
            }
            if (shape.postAfterFetch) {
                PostReadingMessage();
            }
            FetchViewData();
            if (shape.secondFetch && !fetchOnce()) {
                endOnFailure();
                return;
            }
            if (shape.autoRangeStep && GetRangeModeText() == "Auto" && !UpdateAutoRange()) {
                endOnFailure();
                return;
            }
            ApplyPendingSettings();
        }
        if (pauseRequested) {
            // Lets a user-interface thread that waits for the lock have it
            // before the next cycle takes it again.
            voltora::platform::SleepMs(kPauseAfterCycleMs);
        }
        PostReadingMessage();
    }
}

void CZANFunction::LogLatestReading()
{
    // Only queued here: the log's own thread formats and writes it.
    if (const auto log = voltora::functions::ActiveReadingLog()) {
        log->Submit(name.Get(), GetReadingText(), GetBaseUnit(), GetRangeText());
    }
}

void CZANFunction::FetchViewData()
{
    if (trendViewShown) {
        FetchTrendData(*this);
    }
    if (histogramViewShown) {
        FetchHistogramData();
    }
    if (mathViewShown) {
        FetchStatistics();
    }
}

bool CZANFunction::FetchReadingWith(TextQuery query)
{
    const std::string text = query();
    if (text.empty()) {
        return false;
    }
    SetReadingText(text);
    return true;
}

void CZANFunction::PostReadingMessage()
{
    // At most one unhandled WM_PANEL_READING per function: the panel reads
    // the latest texts when it handles it, so more would only queue up.
    if (!readingPostPending.exchange(true)) {
        PostPanelMessage(WM_PANEL_READING);
    }
}

void CZANFunction::PostPanelMessage(int message)
{
    if (panel != nullptr) {
        panel->PostMessage(message);
    }
}

void CZANFunction::AcknowledgeReading()
{
    readingPostPending = false;
}

bool CZANFunction::IsWorkerThread() const
{
    return workerOfThisThread == this;
}

void CZANFunction::SuspendWorker()
{
    PauseGuard paused(*this);
    if (thread) {
        thread->Suspend();
    }
}

void CZANFunction::ResumeWorker()
{
    if (!thread || !thread->IsRunning()) {
        StartWorker();
    }
    if (!thread) {
        return;
    }
    // The marks are reset before the worker may run again: reset after the
    // resume, they could wipe out a reading message the worker had already
    // posted, and the next reading would then be posted a second time
    // without the panel's acknowledgement.
    readingPostPending = false;
    pauseRequested = false;
    elapsedOrigin = voltora::platform::ProcessClockMs();
    int previous;
    do {
        previous = thread->Resume();
        if (previous == -1) {
            return;
        }
    } while (previous != 0);
}

void CZANFunction::StopWorker()
{
    running = false;
    if (thread) {
        thread->RequestStop();
        thread->Join();
    }
}

bool CZANFunction::IsWorkerRunning() const
{
    return thread && thread->IsRunning();
}

bool CZANFunction::IsWorkerParked() const
{
    return thread && thread->IsParked();
}

void CZANFunction::SetDefaultPollFloor(unsigned milliseconds)
{
    defaultPollFloorMs = milliseconds;
}

unsigned CZANFunction::DefaultPollFloor()
{
    return defaultPollFloorMs.load();
}
