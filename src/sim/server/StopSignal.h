#pragma once

#include <chrono>

namespace voltora::sim {

// A stop request the server threads can wait on together with their sockets
// (its descriptor becomes readable). Stop() is safe in a signal handler.
class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void Stop();
    bool Stopped() const;
    int Fd() const { return fd_; }

    // Waits `duration` unless a stop comes first; true when stopped.
    bool WaitFor(std::chrono::microseconds duration) const;

private:
    int fd_;
};

}  // namespace voltora::sim
