#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace voltora::platform {
namespace {

// The thread with a pause of its own; only that thread reads or writes the
// pause function, every other thread only compares the id.
std::atomic<std::thread::id> pausingThread{};
std::function<void(unsigned)>& InstalledPause()
{
    static std::function<void(unsigned)> pause;
    return pause;
}

}  // namespace

void SleepMs(unsigned milliseconds)
{
    if (pausingThread.load() == std::this_thread::get_id() && InstalledPause()) {
        InstalledPause()(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetPauseForThisThread(std::function<void(unsigned)> pause)
{
    if (pause) {
        InstalledPause() = std::move(pause);
        pausingThread = std::this_thread::get_id();
    } else {
        pausingThread = std::thread::id{};
        InstalledPause() = nullptr;
    }
}

std::uint32_t ProcessClockMs()
{
    static const auto origin = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::steady_clock::now() - origin;
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

}  // namespace voltora::platform
