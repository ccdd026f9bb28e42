#pragma once

#include <cstdint>

namespace voltora::platform {

// Suspends the calling thread for at least `milliseconds`.
void SleepMs(unsigned milliseconds);

// Milliseconds since an arbitrary fixed point of this process, monotonic.
std::uint32_t ProcessClockMs();

}  // namespace voltora::platform
