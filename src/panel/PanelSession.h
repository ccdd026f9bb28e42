#pragma once

#include "panel/PanelDisplay.h"

#include <cstdint>
#include <string>

class CZANFunction;
class IConnection;

namespace voltora::panel {

class FunctionTable;

// The panel's session with the meter: which function is current, whether
// acquisition runs, the link as the user sees it, which readings count as
// live, and the command sequences of function changes, run/stop,
// resynchronising after a connect, stopping at a disconnect and closing.
// It draws nothing: what the display must show again is told to its
// listener. User-interface thread only.
class PanelSession {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        // Acquisition started during a function change ("Stopped" goes away
        // before the change's pauses let the window paint).
        virtual void RunStateChanged() = 0;
        // A function change that pauses begins (true) or has ended (false).
        virtual void BusyChanged(bool busy) = 0;
    };

    // `connection` and `functions` (built) outlive the session; the DC
    // voltage function starts current.
    PanelSession(IConnection& connection, FunctionTable& functions, Listener& listener);

    IConnection& Connection() const { return connection_; }
    bool IsConnected() const;
    CZANFunction* Current() const { return current_; }
    bool IsRunning() const { return running_; }
    bool IsBusy() const { return busy_; }
    LinkState GetLinkState() const { return linkState_; }

    // Records the link state; leaving Connected suspends nothing but makes
    // acquisition stopped and every stored reading not live, LinkLost keeps
    // the current worker from starting over. True when the run marker must
    // be drawn again ("No link" appears or gives way).
    bool SetLinkState(LinkState state);
    // Whether the current function shows a reading the meter sent in this
    // connection since the function became current.
    bool HasLiveReading() const;
    // From now on only readings fetched later count as live.
    void ForgetReadings();
    // The current worker ended: true when that means the link is lost (it
    // ended on a failed fetch while the connection is open and the link was
    // not already lost).
    bool WorkerEndedOnLink() const;

    // Makes the function of `keyWord` current; when connected also selects it
    // on the meter, reloads its settings and resumes its worker.
    void SwitchFunction(const std::string& keyWord);
    // Connected: stops (suspends the worker, "REFresh", "$$SY_FP 21,0") or
    // starts acquisition. True when the run state changed.
    bool RunStop();
    // After a connect: the meter's function becomes current, with infinite
    // triggering.
    void Resynchronise();
    // Disconnecting: the worker is suspended and "REFresh" sent.
    void Stop();
    // Clears the current function's running flag so that its worker ends
    // after the cycle in progress.
    void ClearCurrentRunningFlag();
    // Connected: the current worker ends after its cycle, "REFresh" is sent
    // and the connection closed; otherwise nothing.
    void CloseSession();
    // Writes `text` to the meter, then pauses 100 ms.
    void SendPanelCommand(const std::string& text);

private:
    IConnection& connection_;
    FunctionTable& functions_;
    Listener& listener_;
    CZANFunction* current_ = nullptr;
    bool running_ = false;
    bool busy_ = false;
    LinkState linkState_ = LinkState::Disconnected;
    const CZANFunction* liveFunction_ = nullptr;
    std::uint32_t liveMark_ = 0;
};

}  // namespace voltora::panel
