#pragma once

#include "platform/CriticalSection.h"
#include "platform/WorkerThread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace voltora::functions {

// The thread that polls the meter for one function, and how the
// user-interface thread suspends, resumes and stops it.
//
// Each cycle runs with the cycle lock held; between cycles the worker waits
// for the poll floor, pauses while the user-interface thread asks for the
// lock (PauseGuard) and announces the reading. The worker knows nothing of
// what a cycle does: its owner hands it the cycle and the announcement.
class AcquisitionWorker {
public:
    // One cycle, run with the cycle lock held; false ends the worker.
    using Cycle = std::function<bool()>;
    // Tells the panel a reading is ready (posts its reading message).
    using Announce = std::function<void()>;

    // A few tens of updates a second are all a display can show; a real
    // meter measures 5 to 150 readings a second.
    static constexpr unsigned kDefaultPollFloorMs = 20;

    explicit AcquisitionWorker(Announce announce);
    // Stops and joins the thread.
    ~AcquisitionWorker();
    AcquisitionWorker(const AcquisitionWorker&) = delete;
    AcquisitionWorker& operator=(const AcquisitionWorker&) = delete;

    // Lets a thread run again: the run flag set, no pause asked for.
    void Arm();
    // Creates the thread running `cycle`, suspended. A previous thread has
    // ended by then (only an ended worker is replaced); it is joined first.
    void Start(Cycle cycle);
    // Waits until the worker is between cycles, then suspends it: once this
    // has returned the worker sends nothing until Resume.
    void Suspend();
    // Clears the announcement mark and the pause request, then resumes the
    // thread. False without a thread or when the thread cannot be resumed.
    bool Resume();
    // The worker ends after its current cycle; nothing is waited for.
    void RequestStop();
    // RequestStop, then wakes and joins the thread. Not with the cycle lock held.
    void Stop();

    // Whether the worker is to go on running: set by Arm, cleared by
    // RequestStop and Stop.
    bool IsRunRequested() const { return running_.load(); }
    // Whether the thread exists and has not ended.
    bool IsRunning() const;
    // Whether the thread stands at its suspension point.
    bool IsParked() const;
    // True on this worker's thread.
    bool IsCurrentThread() const;
    // Whether the user-interface thread has asked for the cycle lock.
    bool IsPauseRequested() const { return pauseRequested_.load(); }
    // Held by the worker for each whole cycle.
    platform::CriticalSection& CycleLock() { return lock_; }

    // Announces a reading unless the previous announcement is still
    // unhandled: the panel reads the latest texts when it handles one, so
    // more would only queue up.
    void AnnounceReading();
    // The panel handled the announcement: the next one may go out.
    void AcknowledgeReading();
    // Counts a fetched reading; the count only ever grows.
    void CountReading() { ++readingCount_; }
    std::uint32_t ReadingCount() const { return readingCount_.load(); }

    // The shortest time from the start of one cycle to the start of the next.
    void SetPollFloor(unsigned milliseconds) { pollFloorMs_ = milliseconds; }
    unsigned PollFloor() const { return pollFloorMs_.load(); }
    // The poll floor of workers created from now on.
    static void SetDefaultPollFloor(unsigned milliseconds);
    static unsigned DefaultPollFloor();

    // Sets the pause request and takes the cycle lock for the user-interface
    // thread's own commands; releases both at the end.
    class PauseGuard {
    public:
        explicit PauseGuard(AcquisitionWorker& worker);
        ~PauseGuard();
        PauseGuard(const PauseGuard&) = delete;
        PauseGuard& operator=(const PauseGuard&) = delete;

    private:
        AcquisitionWorker& worker_;
    };

private:
    void Run(platform::WorkerThread& self, const Cycle& cycle);

    const Announce announce_;
    std::unique_ptr<platform::WorkerThread> thread_;
    platform::CriticalSection lock_;
    std::atomic<bool> running_{false};
    std::atomic<bool> pauseRequested_{false};
    std::atomic<bool> announcementPending_{false};
    std::atomic<std::uint32_t> readingCount_{0};
    std::atomic<unsigned> pollFloorMs_{DefaultPollFloor()};
};

}  // namespace voltora::functions
