// Acquisition control of the panel: function changes, run/stop,
// resynchronising after a connect, stopping at a disconnect, closing, and
// the commands that the views have the panel send for them.

#include "panel/CFrontPanel.h"

#include "panel/CFrontPanelControls.h"

#include "functions/CZANFunction.h"
#include "functions/MathSettings.h"
#include "link/IConnection.h"
#include "platform/Clock.h"
#include "scpi/AcquisitionCommands.h"
#include "scpi/MathCommands.h"

#include <QGuiApplication>

namespace {

constexpr unsigned kPanelCommandPauseMs = 100;
constexpr unsigned kFunctionSelectPauseMs = 1000;
constexpr unsigned kTriggerCountPauseMs = 50;
constexpr unsigned kLimitPauseMs = 100;

constexpr const char* kRefreshCommand = "REFresh";
constexpr const char* kPanelCodeCommand = "$$SY_FP 21,0";

}  // namespace

bool CFrontPanel::IsConnected() const
{
    return connection.IsConnected();
}

void CFrontPanel::SendPanelCommand(const std::string& text)
{
    connection.Write(text.c_str());
    voltora::platform::SleepMs(kPanelCommandPauseMs);
}

void CFrontPanel::ShowStopped()
{
    if (controls->stop == nullptr) {
        return;
    }
    if (linkState == LinkState::LinkLost) {
        controls->stop->SetText(QString::fromLatin1(kNoLinkText));
        controls->stop->SetVisible(true);
        return;
    }
    controls->stop->SetText(QString::fromLatin1(kStoppedText));
    controls->stop->SetVisible(!running);
}

void CFrontPanel::SetLinkState(LinkState state)
{
    const LinkState previous = linkState;
    linkState = state;
    if (state == LinkState::LinkLost) {
        // The worker has ended or fails at once: keep it from starting over.
        current->SuspendWorker();
    }
    if (state != LinkState::Connected) {
        // Whatever was stored before is no reading of a live link.
        running = false;
        ForgetReadings();
    }
    // "Stopped" keeps its state at a plain disconnect; "No link" is shown
    // while the link is lost and gives way to "Stopped" afterwards.
    if (state == LinkState::LinkLost || previous == LinkState::LinkLost) {
        ShowStopped();
    }
    RefreshDisplay();
}

void CFrontPanel::ForgetReadings()
{
    liveFunction = current;
    liveMark = current->ReadingCount();
}

bool CFrontPanel::HasLiveReading() const
{
    return linkState != LinkState::LinkLost && IsConnected() && current == liveFunction &&
           current->ReadingCount() != liveMark;
}

void CFrontPanel::OnWorkerEnded()
{
    // Only the current function's worker matters, and only while the
    // connection is open (a worker of a closed session ends quietly).
    if (!IsConnected() || linkState == LinkState::LinkLost || current->IsWorkerRunning()) {
        return;
    }
    emit WorkerEnded();
}

void CFrontPanel::SwitchFunction(const std::string& keyWord)
{
    CZANFunction* const found = functions.Find(keyWord);
    if (found == nullptr) {
        return;
    }
    if (running && found == current) {
        return;
    }
    current->SuspendWorker();
    current = found;
    ForgetReadings();
    if (!IsConnected()) {
        return;
    }
    // The pauses below let the window paint (the main window makes pauses
    // on this thread run its event loop); keys clicked meanwhile wait.
    struct BusyScope {
        explicit BusyScope(CFrontPanel& panel) : panel(panel), outer(panel.busy)
        {
            if (!outer) {
                panel.busy = true;
                QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            }
        }
        ~BusyScope()
        {
            if (!outer) {
                QGuiApplication::restoreOverrideCursor();
                panel.busy = false;
                panel.ScheduleQueuedKeys();
            }
        }
        CFrontPanel& panel;
        bool outer;
    } scope(*this);
    if (!running) {
        Initiate();
        running = true;
        ShowStopped();
    }
    SetFunction(keyWord);
    voltora::platform::SleepMs(kFunctionSelectPauseMs);
    current->LoadSettings();
    // The link may have been lost (and closed) during the change.
    if (!IsConnected()) {
        return;
    }
    current->ResumeWorker();
}

void CFrontPanel::ScheduleQueuedKeys()
{
    // A change started by a key handles the keys queued during it as soon
    // as it returns (Notify); one started otherwise (resynchronising after
    // a connect) leaves them to the event loop.
    if (!queuedKeys.empty()) {
        QMetaObject::invokeMethod(this, [this] { HandleQueuedKeys(); }, Qt::QueuedConnection);
    }
}

void CFrontPanel::HandleQueuedKeys()
{
    while (!busy && !queuedKeys.empty()) {
        const QString next = queuedKeys.front();
        queuedKeys.pop_front();
        HandleKey(next);
    }
}

void CFrontPanel::RunStop()
{
    if (!IsConnected()) {
        return;
    }
    if (running) {
        current->SuspendWorker();
        SendPanelCommand(kRefreshCommand);
        SendPanelCommand(kPanelCodeCommand);
        running = false;
    } else {
        current->ResumeWorker();
        Initiate();
        running = true;
    }
    ShowStopped();
}

void CFrontPanel::Resynchronise()
{
    const std::string keyWord = QueryFunction();
    SetTriggerCountInfinite();
    voltora::platform::SleepMs(kTriggerCountPauseMs);
    SwitchFunction(keyWord);
    current->Activate();
    RefreshDisplay();
    RefreshSoftKeys();
    views.LoadMathSettings();
    views.LoadDbSettings(current->GetMathInfo());
}

void CFrontPanel::Stop()
{
    running = false;
    current->SuspendWorker();
    SendPanelCommand(kRefreshCommand);
}

void CFrontPanel::ClearCurrentRunningFlag()
{
    current->running = false;
}

void CFrontPanel::CloseSession()
{
    if (!IsConnected()) {
        return;
    }
    ClearCurrentRunningFlag();
    connection.Write(kRefreshCommand);
    connection.Close();
}

void CFrontPanel::ApplySampleCount(const std::string& text)
{
    current->SetSamplesPerTrigger(text);
}

// ---- What the views ask --------------------------------------------------------------------

std::string CFrontPanel::CurrentFunctionName()
{
    return current->name.Get();
}

std::string CFrontPanel::CurrentRangeText()
{
    return current->GetRangeText();
}

void CFrontPanel::ApplyMathMode(int state)
{
    current->SetMathMode(state);
    SetViewsUnit(state != 0 ? current->GetMathInfo().unitText : std::string("V"));
    RefreshDisplay();
}

void CFrontPanel::ApplyMathUnit(const std::string& text)
{
    current->SetMathUnitText(text);
    RefreshDisplay();
}

void CFrontPanel::ApplyRelValue(const std::string& text)
{
    current->SetRelValue(text);
}

void CFrontPanel::SetLimitLow(double value)
{
    CZANFunction::PauseGuard paused(*current);
    SetLimitLower(value);
    voltora::platform::SleepMs(kLimitPauseMs);
    voltora::functions::MathSettings settings = voltora::functions::GetMathSettings();
    settings.lowerLimit = QueryLimitLower();
    voltora::functions::SetMathSettings(settings);
}

void CFrontPanel::SetLimitHigh(double value)
{
    CZANFunction::PauseGuard paused(*current);
    SetLimitUpper(value);
    voltora::platform::SleepMs(kLimitPauseMs);
    voltora::functions::MathSettings settings = voltora::functions::GetMathSettings();
    settings.upperLimit = QueryLimitUpper();
    voltora::functions::SetMathSettings(settings);
}

void CFrontPanel::ApplyTrendMode(const std::string& text)
{
    current->SetTrendMode(text);
}

void CFrontPanel::RestartElapsedTime()
{
    current->RestartElapsedTime();
}
