#pragma once

namespace voltora::functions {

// The cycles a function's worker can run. All take the function's lock for
// the cycle, fetch the reading, fetch the data of the shown views, apply the
// pending settings, release the lock, pause 200 ms while pauseRequested is
// set and post WM_PANEL_READING; they differ in these steps:
enum class WorkerKind {
    Standard,     // + WM_PANEL_READING right after the fetch; + auto-range step
    Quiet,        // + auto-range step
    Continuity,   // nothing more
    Diode,        // + WM_PANEL_READING after the fetch; + a second fetch after the view data
    Temperature,  // as Continuity, with the function's own fetch of its two values
};

}  // namespace voltora::functions
