#pragma once

#include <chrono>
#include <thread>

namespace voltora::testing {

// Polls `condition` until it holds or `limit` passes, pausing `step` between
// polls (and calling `between()` there, e.g. to run a thread's pending
// events); the condition's last value. A test that waits for another
// thread's work waits for its visible result with this, never for a fixed
// time.
template <typename Condition, typename Between>
bool WaitUntil(Condition&& condition, std::chrono::milliseconds limit,
               std::chrono::milliseconds step, Between&& between)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return condition();
        }
        between();
        std::this_thread::sleep_for(step);
    }
    return true;
}

template <typename Condition>
bool WaitUntil(Condition&& condition, std::chrono::milliseconds limit = std::chrono::seconds(20),
               std::chrono::milliseconds step = std::chrono::milliseconds(1))
{
    return WaitUntil(condition, limit, step, [] {});
}

}  // namespace voltora::testing
