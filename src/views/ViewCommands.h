#pragma once

#include <functional>

class IViewHost;
class QWidget;

// The commands the views send to the meter themselves. Each runs on the
// user-interface thread under the current function's lock with its
// pauseRequested flag set, so that it does not interleave with the worker's
// exchange, and is followed by a pause of 100 ms before the lock is released.
namespace voltora::views {

// Runs `command` that way; does nothing when the host has no current function.
void SendLocked(IViewHost& host, const std::function<void()>& command);

// "Clear Readings" of the math view and the trend chart: clears the meter's
// statistics, makes the trend start afresh and restarts its elapsed time.
void ClearReadings(IViewHost& host);

// Tells the user in a modal message box over `parent` that the bound typed
// is not a number (kTypedNumberMessage); nothing is sent.
void RefuseTypedNumber(QWidget* parent);

}  // namespace voltora::views
