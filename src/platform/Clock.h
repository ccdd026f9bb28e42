#pragma once

#include <cstdint>
#include <functional>

namespace voltora::platform {

// Suspends the calling thread for at least `milliseconds`. On the thread
// that installed a pause with SetPauseForThisThread, runs that pause instead.
void SleepMs(unsigned milliseconds);

// Makes SleepMs on the calling thread run `pause` (which must last at least
// the given time), for example a user-interface thread that keeps its
// window painting while it waits. Other threads keep sleeping. An empty
// function restores plain sleeping. Call it from the thread it applies to.
void SetPauseForThisThread(std::function<void(unsigned)> pause);

// Milliseconds since an arbitrary fixed point of this process, monotonic.
std::uint32_t ProcessClockMs();

}  // namespace voltora::platform
