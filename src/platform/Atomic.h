#pragma once

#include <atomic>
#include <cstdint>

namespace voltora::platform {

// Adds `delta` to `target` as one atomic step and returns the new value, as
// the platform's interlocked 32-bit addition does.
inline std::int32_t AtomicAdd32(std::atomic<std::int32_t>& target, std::int32_t delta)
{
    return target.fetch_add(delta) + delta;
}

}  // namespace voltora::platform
