#pragma once

namespace voltora::app {

// Pauses of the user-interface thread that keep the window painting.
//
// The fixed pauses after commands (a function change waits a second before
// it reads the settings back) run on the user-interface thread. Installed,
// every such pause runs the thread's event loop for its duration instead of
// sleeping: windows repaint and workers' messages are handled, while the
// user's clicks and keys wait until the pause and the sequence around it
// have ended (Qt delivers them afterwards, in order). The order of commands
// and the length of each pause stay exactly as they were.
class UiPause {
public:
    // Makes platform::SleepMs on the calling (user-interface) thread pause
    // this way until Uninstall.
    static void Install();
    static void Uninstall();

    // Pauses `milliseconds` as described above.
    static void Run(unsigned milliseconds);
    // Whether the calling thread is inside such a pause now.
    static bool Active();
};

}  // namespace voltora::app
