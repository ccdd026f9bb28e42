#include "platform/WorkerThread.h"

#include <system_error>

namespace voltora::platform {

WorkerThread::WorkerThread(Routine routine) : routine_(std::move(routine))
{
    try {
        thread_ = std::thread(&WorkerThread::Body, this);
        created_ = true;
    } catch (const std::system_error&) {
        // No thread: every control operation reports failure.
        std::lock_guard<std::mutex> guard(mutex_);
        running_ = false;
    }
}

WorkerThread::~WorkerThread()
{
    RequestStop();
    Join();
}

int WorkerThread::Suspend()
{
    if (!created_) {
        return -1;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    return suspendCount_++;
}

int WorkerThread::Resume()
{
    if (!created_) {
        return -1;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    const int previous = suspendCount_;
    if (suspendCount_ > 0) {
        --suspendCount_;
        if (suspendCount_ == 0) {
            wake_.notify_all();
        }
    }
    return previous;
}

int WorkerThread::SuspendCount() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return suspendCount_;
}

bool WorkerThread::IsRunning() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return running_;
}

bool WorkerThread::IsParked() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return parked_;
}

void WorkerThread::RequestStop()
{
    std::lock_guard<std::mutex> guard(mutex_);
    stopRequested_ = true;
    wake_.notify_all();
}

bool WorkerThread::StopRequested() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return stopRequested_;
}

void WorkerThread::Join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

bool WorkerThread::IsSuspendRequested() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return suspendCount_ > 0 || stopRequested_;
}

bool WorkerThread::WaitWhileSuspended()
{
    std::unique_lock<std::mutex> guard(mutex_);
    parked_ = true;
    wake_.wait(guard, [this] { return suspendCount_ == 0 || stopRequested_; });
    parked_ = false;
    return !stopRequested_;
}

void WorkerThread::Body()
{
    if (WaitWhileSuspended()) {
        routine_(*this);
    }
    std::lock_guard<std::mutex> guard(mutex_);
    running_ = false;
    parked_ = false;
}

}  // namespace voltora::platform
