#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace voltora::platform {

// A thread that is created suspended and is suspended and resumed by count,
// like the threads of the desktop platform the program was designed on.
//
// Suspension is cooperative: the routine stops only at its suspension points
// (WaitWhileSuspended). The thread itself passes one before it calls the
// routine, so a newly created thread runs nothing until its first Resume.
// A routine that must never be frozen in the middle of a piece of work checks
// IsSuspendRequested at the start of that piece, under the same lock that
// the suspending thread holds while it calls Suspend; then, once Suspend has
// returned, the routine does no more work until Resume.
class WorkerThread {
public:
    using Routine = std::function<void(WorkerThread& self)>;

    // Starts the thread with a suspend count of 1. If the thread cannot be
    // created, IsCreated is false and Suspend and Resume report -1.
    explicit WorkerThread(Routine routine);
    // Asks the routine to stop (RequestStop) and waits for the thread to end.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    bool IsCreated() const { return created_; }

    // Adds 1 to the suspend count; returns the previous count, -1 on failure.
    int Suspend();
    // Takes 1 from the suspend count unless it is 0; returns the previous
    // count (0: the thread was not suspended), -1 on failure. When the count
    // reaches 0 a routine waiting at a suspension point goes on.
    int Resume();
    int SuspendCount() const;

    // True until the routine has returned.
    bool IsRunning() const;
    // True while the routine stands at a suspension point (for tests that
    // must know the thread has really stopped).
    bool IsParked() const;

    // Makes every suspension point return false at once, now and later, so
    // that the routine can end; resuming is not needed.
    void RequestStop();
    bool StopRequested() const;
    // Waits until the routine has returned. Never call it from the thread itself.
    void Join();

    // For the routine: whether it should stop at its next suspension point.
    bool IsSuspendRequested() const;
    // For the routine: waits while the suspend count is above 0. Returns true
    // to go on, false when a stop was requested.
    bool WaitWhileSuspended();

private:
    void Body();

    Routine routine_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    int suspendCount_ = 1;
    bool stopRequested_ = false;
    bool running_ = true;
    bool parked_ = false;
    bool created_ = false;
    std::thread thread_;
};

}  // namespace voltora::platform
