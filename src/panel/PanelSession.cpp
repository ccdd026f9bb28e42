// The session controller of the front panel: function changes, run/stop,
// resynchronising after a connect, stopping at a disconnect and closing.

#include "panel/PanelSession.h"

#include "panel/FunctionTable.h"

#include "functions/CZANFunction.h"
#include "link/IConnection.h"
#include "platform/Clock.h"
#include "scpi/AcquisitionCommands.h"

using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

constexpr unsigned kPanelCommandPauseMs = 100;
constexpr unsigned kFunctionSelectPauseMs = 1000;
constexpr unsigned kTriggerCountPauseMs = 50;

constexpr const char* kRefreshCommand = "REFresh";
constexpr const char* kPanelCodeCommand = "$$SY_FP 21,0";

}  // namespace

namespace voltora::panel {

PanelSession::PanelSession(IConnection& connection, FunctionTable& functions, Listener& listener)
    : connection_(connection), functions_(functions), listener_(listener), current_(functions.Find("VOLT"))
{
}

bool PanelSession::IsConnected() const
{
    return connection_.IsConnected();
}

void PanelSession::SendPanelCommand(const std::string& text)
{
    connection_.Write(text.c_str());
    voltora::platform::SleepMs(kPanelCommandPauseMs);
}

bool PanelSession::SetLinkState(LinkState state)
{
    const LinkState previous = linkState_;
    linkState_ = state;
    if (state == LinkState::LinkLost) {
        // The worker has ended or fails at once: keep it from starting over.
        current_->SuspendWorker();
    }
    if (state != LinkState::Connected) {
        // Whatever was stored before is no reading of a live link.
        running_ = false;
        ForgetReadings();
    }
    // "Stopped" keeps its state at a plain disconnect; "No link" is shown
    // while the link is lost and gives way to "Stopped" afterwards.
    return state == LinkState::LinkLost || previous == LinkState::LinkLost;
}

void PanelSession::ForgetReadings()
{
    liveFunction_ = current_;
    liveMark_ = current_->ReadingCount();
}

bool PanelSession::HasLiveReading() const
{
    return linkState_ != LinkState::LinkLost && IsConnected() && current_ == liveFunction_ &&
           current_->ReadingCount() != liveMark_;
}

bool PanelSession::WorkerEndedOnLink() const
{
    // Only the current function's worker matters, and only while the
    // connection is open (a worker of a closed session ends quietly).
    return IsConnected() && linkState_ != LinkState::LinkLost && !current_->IsWorkerRunning();
}

void PanelSession::SwitchFunction(const std::string& keyWord)
{
    CZANFunction* const found = functions_.Find(keyWord);
    if (found == nullptr) {
        return;
    }
    if (running_ && found == current_) {
        return;
    }
    current_->SuspendWorker();
    current_ = found;
    ForgetReadings();
    if (!IsConnected()) {
        return;
    }
    // The pauses below let the window paint (the main window makes pauses
    // on this thread run its event loop); the listener holds keys clicked
    // meanwhile.
    struct BusyScope {
        explicit BusyScope(PanelSession& owner) : session(owner), outer(owner.busy_)
        {
            if (!outer) {
                session.busy_ = true;
                session.listener_.BusyChanged(true);
            }
        }
        ~BusyScope()
        {
            if (!outer) {
                session.busy_ = false;
                session.listener_.BusyChanged(false);
            }
        }
        PanelSession& session;
        bool outer;
    } scope(*this);
    if (!running_) {
        Initiate();
        running_ = true;
        listener_.RunStateChanged();
    }
    SetFunction(keyWord);
    voltora::platform::SleepMs(kFunctionSelectPauseMs);
    current_->LoadSettings();
    // The link may have been lost (and closed) during the change.
    if (!IsConnected()) {
        return;
    }
    current_->ResumeWorker();
}

bool PanelSession::RunStop()
{
    if (!IsConnected()) {
        return false;
    }
    if (running_) {
        current_->SuspendWorker();
        SendPanelCommand(kRefreshCommand);
        SendPanelCommand(kPanelCodeCommand);
        running_ = false;
    } else {
        current_->ResumeWorker();
        Initiate();
        running_ = true;
    }
    return true;
}

void PanelSession::Resynchronise()
{
    const std::string keyWord = QueryFunction();
    SetTriggerCountInfinite();
    voltora::platform::SleepMs(kTriggerCountPauseMs);
    SwitchFunction(keyWord);
    current_->Activate();
}

void PanelSession::Stop()
{
    running_ = false;
    current_->SuspendWorker();
    SendPanelCommand(kRefreshCommand);
}

void PanelSession::ClearCurrentRunningFlag()
{
    current_->RequestWorkerStop();
}

void PanelSession::CloseSession()
{
    if (!IsConnected()) {
        return;
    }
    ClearCurrentRunningFlag();
    connection_.Write(kRefreshCommand);
    connection_.Close();
}

}  // namespace voltora::panel
