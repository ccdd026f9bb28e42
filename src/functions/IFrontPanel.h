#pragma once

#include <string>

class IConnection;

// Window messages of the front panel (both parameters 0 unless said).
inline constexpr int WM_PANEL_READING = 2024;   // a worker has a new reading
inline constexpr int WM_PANEL_SYNC = 2025;      // connected: resynchronise with the meter
inline constexpr int WM_PANEL_STOP = 2026;      // disconnecting: stop the worker
inline constexpr int WM_PANEL_SENSOR = 2027;    // temperature sensor chosen in its dialog
inline constexpr int WM_PANEL_SOFTKEYS = 2030;  // redraw the soft keys
inline constexpr int WM_PANEL_DISPLAY = 2031;   // redraw value, range and unit
inline constexpr int WM_PANEL_WORKER_ENDED = 2032;  // a worker ended on a failed fetch

// What the measurement functions may ask of the front panel. The panel owns
// the function objects and implements this on its user-interface thread.
//
// Threads: PostMessage and PostRelValue are called from worker threads while
// they hold a function's lock; they must queue their work for the panel's
// thread and return without waiting for it (the panel's thread may itself be
// waiting for that lock). The other operations are called on the panel's
// thread only.
//
// WM_PANEL_READING is coalesced by the sender: a function posts it only while
// no earlier one of its own is unhandled. The panel therefore calls
// CZANFunction::AcknowledgeReading on the current function when it handles
// WM_PANEL_READING, before it reads the function's texts (a reading stored
// after the acknowledgement is then announced by a new message). ResumeWorker
// also clears the mark, so a message lost at a function change does not
// silence the function.
class IFrontPanel {
public:
    virtual ~IFrontPanel() = default;

    // Queues window message `message` (WM_PANEL_*) for the panel; never waits.
    virtual void PostMessage(int message) = 0;

    // Shows the relative (null) state and value in the math view.
    virtual void ShowRelValue(const std::string& state, const std::string& value) = 0;
    // The same, from a worker thread: hands copies of the texts to the panel's
    // thread, which shows them as ShowRelValue does; never waits.
    virtual void PostRelValue(const std::string& state, const std::string& value) = 0;

    // Gives the unit text ("V", "A", "$OHM$", "dB", ...) to the bar meter,
    // trend chart, histogram and math view.
    virtual void SetViewsUnit(const std::string& unit) = 0;

    // Opens the temperature sensor dialog (creates it on first use).
    virtual void OpenSensorDialog() = 0;

    // The session with the meter the panel works on. Any thread; it
    // outlives the function objects.
    virtual IConnection& Connection() = 0;
};
