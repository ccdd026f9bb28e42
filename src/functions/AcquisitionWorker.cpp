#include "functions/AcquisitionWorker.h"

#include "platform/Clock.h"

#include <chrono>
#include <mutex>
#include <thread>
#include <utility>

namespace voltora::functions {

namespace {

// The worker whose thread this is, if any.
thread_local const AcquisitionWorker* workerOfThisThread = nullptr;

constexpr unsigned kPauseAfterCycleMs = 200;

std::atomic<unsigned> defaultPollFloorMs{AcquisitionWorker::kDefaultPollFloorMs};

}  // namespace

AcquisitionWorker::AcquisitionWorker(Announce announce) : announce_(std::move(announce)) {}

AcquisitionWorker::~AcquisitionWorker()
{
    Stop();
}

void AcquisitionWorker::Arm()
{
    running_ = true;
    pauseRequested_ = false;
}

void AcquisitionWorker::Start(Cycle cycle)
{
    thread_.reset();
    thread_ = std::make_unique<platform::WorkerThread>(
        [this, cycle = std::move(cycle)](platform::WorkerThread& self) { Run(self, cycle); });
}

void AcquisitionWorker::Run(platform::WorkerThread& self, const Cycle& cycle)
{
    workerOfThisThread = this;
    using Clock = std::chrono::steady_clock;
    Clock::time_point nextCycle = Clock::now();

    while (running_) {
        // A meter that answers at once must not be polled flat out: a cycle
        // starts no sooner than the poll floor after the previous one. The
        // wait is outside the lock, so a suspension still takes effect
        // before the next cycle.
        const Clock::time_point now = Clock::now();
        if (now < nextCycle) {
            std::this_thread::sleep_for(nextCycle - now);
        }
        {
            std::unique_lock<platform::CriticalSection> guard(lock_);
            // Suspension is checked with the lock held: Suspend changes the
            // count only while it holds the lock, so a worker that was
            // waiting for the lock does not run a cycle after it.
            if (self.IsSuspendRequested()) {
                guard.unlock();
                if (!self.WaitWhileSuspended()) {
                    return;
                }
                continue;
            }
            nextCycle = Clock::now() + std::chrono::milliseconds(pollFloorMs_.load());
            if (!cycle()) {
                return;
            }
        }
        if (pauseRequested_) {
            // Lets a user-interface thread that waits for the lock have it
            // before the next cycle takes it again.
            platform::SleepMs(kPauseAfterCycleMs);
        }
        AnnounceReading();
    }
}

void AcquisitionWorker::Suspend()
{
    PauseGuard paused(*this);
    if (thread_) {
        thread_->Suspend();
    }
}

bool AcquisitionWorker::Resume()
{
    if (!thread_) {
        return false;
    }
    // The marks are reset before the worker may run again: reset after the
    // resume, they could wipe out an announcement the worker had already
    // posted, and the next reading would then be announced a second time
    // without the panel's acknowledgement.
    announcementPending_ = false;
    pauseRequested_ = false;
    int previous;
    do {
        previous = thread_->Resume();
        if (previous == -1) {
            return false;
        }
    } while (previous != 0);
    return true;
}

void AcquisitionWorker::RequestStop()
{
    running_ = false;
}

void AcquisitionWorker::Stop()
{
    running_ = false;
    if (thread_) {
        thread_->RequestStop();
        thread_->Join();
    }
}

bool AcquisitionWorker::IsRunning() const
{
    return thread_ && thread_->IsRunning();
}

bool AcquisitionWorker::IsParked() const
{
    return thread_ && thread_->IsParked();
}

bool AcquisitionWorker::IsCurrentThread() const
{
    return workerOfThisThread == this;
}

void AcquisitionWorker::AnnounceReading()
{
    if (!announcementPending_.exchange(true) && announce_) {
        announce_();
    }
}

void AcquisitionWorker::AcknowledgeReading()
{
    announcementPending_ = false;
}

void AcquisitionWorker::SetDefaultPollFloor(unsigned milliseconds)
{
    defaultPollFloorMs = milliseconds;
}

unsigned AcquisitionWorker::DefaultPollFloor()
{
    return defaultPollFloorMs.load();
}

AcquisitionWorker::PauseGuard::PauseGuard(AcquisitionWorker& worker) : worker_(worker)
{
    worker_.pauseRequested_ = true;
    worker_.lock_.lock();
}

AcquisitionWorker::PauseGuard::~PauseGuard()
{
    worker_.lock_.unlock();
    worker_.pauseRequested_ = false;
}

}  // namespace voltora::functions
