// The panel's session operations, handed to its session controller with
// the drawing each needs, and the commands that the views have the panel
// send for them.

#include "panel/CFrontPanel.h"

#include "functions/CZANFunction.h"
#include "functions/MathSettings.h"
#include "platform/Clock.h"
#include "scpi/MathCommands.h"

#include <QGuiApplication>
#include <QMetaObject>

using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

constexpr unsigned kLimitPauseMs = 100;

}  // namespace

void CFrontPanel::SendPanelCommand(const std::string& text)
{
    session->SendPanelCommand(text);
}

void CFrontPanel::ShowStopped()
{
    display->ShowRunState(session->GetLinkState(), session->IsRunning());
}

void CFrontPanel::RunStateChanged()
{
    ShowStopped();
}

void CFrontPanel::BusyChanged(bool busy)
{
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        return;
    }
    QGuiApplication::restoreOverrideCursor();
    ScheduleQueuedKeys();
}

void CFrontPanel::SetLinkState(LinkState state)
{
    if (session->SetLinkState(state)) {
        ShowStopped();
    }
    RefreshDisplay();
}

bool CFrontPanel::HasLiveReading() const
{
    return session->HasLiveReading();
}

void CFrontPanel::OnWorkerEnded()
{
    if (session->WorkerEndedOnLink()) {
        emit WorkerEnded();
    }
}

void CFrontPanel::SwitchFunction(const std::string& keyWord)
{
    session->SwitchFunction(keyWord);
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
    while (!IsBusy() && !queuedKeys.empty()) {
        const QString next = queuedKeys.front();
        queuedKeys.pop_front();
        HandleKey(next);
    }
}

void CFrontPanel::RunStop()
{
    if (session->RunStop()) {
        ShowStopped();
    }
}

void CFrontPanel::Resynchronise()
{
    session->Resynchronise();
    RefreshDisplay();
    RefreshSoftKeys();
    views.LoadMathSettings();
    views.LoadDbSettings(Current().GetMathInfo());
}

void CFrontPanel::Stop()
{
    session->Stop();
}

void CFrontPanel::ClearCurrentRunningFlag()
{
    session->ClearCurrentRunningFlag();
}

void CFrontPanel::CloseSession()
{
    session->CloseSession();
}

void CFrontPanel::ApplySampleCount(const std::string& text)
{
    Current().SetSamplesPerTrigger(text);
}

// ---- Drawing -------------------------------------------------------------------------------

void CFrontPanel::RefreshDisplay()
{
    display->Refresh(Current(), shift, HasLiveReading());
}

void CFrontPanel::RefreshSoftKeys()
{
    display->RefreshSoftKeys(Current());
}

void CFrontPanel::RefreshEntryPopup()
{
    display->RefreshEntryPopup(Current());
}

// ---- What the views ask --------------------------------------------------------------------

std::string CFrontPanel::CurrentFunctionName()
{
    return Current().name.Get();
}

std::string CFrontPanel::CurrentRangeText()
{
    return Current().GetRangeText();
}

void CFrontPanel::ApplyMathMode(int state)
{
    Current().SetMathMode(state);
    SetViewsUnit(state != 0 ? Current().GetMathInfo().unitText : std::string("V"));
    RefreshDisplay();
}

void CFrontPanel::ApplyMathUnit(const std::string& text)
{
    Current().SetMathUnitText(text);
    RefreshDisplay();
}

void CFrontPanel::ApplyRelValue(const std::string& text)
{
    Current().SetRelValue(text);
}

void CFrontPanel::SetLimitLow(double value)
{
    CZANFunction::PauseGuard paused(Current());
    SetLimitLower(value);
    voltora::platform::SleepMs(kLimitPauseMs);
    voltora::functions::MathSettings settings = voltora::functions::GetMathSettings();
    settings.lowerLimit = QueryLimitLower();
    voltora::functions::SetMathSettings(settings);
}

void CFrontPanel::SetLimitHigh(double value)
{
    CZANFunction::PauseGuard paused(Current());
    SetLimitUpper(value);
    voltora::platform::SleepMs(kLimitPauseMs);
    voltora::functions::MathSettings settings = voltora::functions::GetMathSettings();
    settings.upperLimit = QueryLimitUpper();
    voltora::functions::SetMathSettings(settings);
}

void CFrontPanel::ApplyTrendMode(const std::string& text)
{
    Current().SetTrendMode(text);
}

void CFrontPanel::RestartElapsedTime()
{
    Current().RestartElapsedTime();
}
