#pragma once

#include <cstdlib>

namespace voltora::fuzz {

// A property every input must keep; a broken one aborts, which libFuzzer
// reports as a crash and keeps the input.
inline void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace voltora::fuzz
