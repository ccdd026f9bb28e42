#pragma once

#include <atomic>

namespace voltora::functions {

// Process-wide flags written by the views on the user-interface thread and
// read by the workers at the next cycle.
extern std::atomic<bool> mathViewShown;       // the worker fetches statistics
extern std::atomic<bool> trendViewShown;      // the worker fetches trend data
extern std::atomic<bool> histogramViewShown;  // the worker fetches histogram data
// The trend starts afresh: it holds one value 0 until the meter's statistics
// count is above 0 again. Set by a new sample count and by the views.
extern std::atomic<bool> trendRestartPending;

}  // namespace voltora::functions
