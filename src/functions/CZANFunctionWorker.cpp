// What one worker cycle of a function does, and the function's control of
// its worker.

#include "functions/CZANFunction.h"

#include "functions/ReadingLog.h"
#include "functions/ViewData.h"
#include "functions/ViewFlags.h"
#include "platform/Clock.h"
#include "scpi/AcquisitionCommands.h"

using namespace voltora::scpi;
using namespace voltora::functions;

namespace {

// The steps in which the worker kinds differ.
struct CycleShape {
    bool postAfterFetch;
    bool autoRangeStep;
    bool secondFetch;
};

CycleShape ShapeOf(WorkerKind kind)
{
    switch (kind) {
    case WorkerKind::Standard:
        return {true, true, false};
    case WorkerKind::Quiet:
        return {false, true, false};
    case WorkerKind::Diode:
        return {true, false, true};
    case WorkerKind::Continuity:
    case WorkerKind::Temperature:
        break;
    }
    return {false, false, false};
}

}  // namespace

void CZANFunction::StartWorkerOfKind(WorkerKind kind, boost::function<bool()> fetch)
{
    worker.Start([this, kind, fetch = std::move(fetch)] { return RunCycle(kind, fetch); });
}

bool CZANFunction::FetchOnce(const boost::function<bool()>& fetch)
{
    if (!(fetch ? fetch() : FetchReading())) {
        // The meter stopped answering: a reading log in progress ends with a
        // line saying so.
        voltora::functions::EndActiveReadingLog(voltora::functions::kLinkLostReason);
        return false;
    }
    worker.CountReading();
    LogLatestReading();
    return true;
}

bool CZANFunction::RunCycle(WorkerKind kind, const boost::function<bool()>& fetch)
{
    const CycleShape shape = ShapeOf(kind);
    const bool completed = [&] {
        if (!FetchOnce(fetch)) {
            return false;
        }
        if (shape.postAfterFetch) {
            PostReadingMessage();
        }
        FetchViewData();
        if (shape.secondFetch && !FetchOnce(fetch)) {
            return false;
        }
        if (shape.autoRangeStep && GetRangeModeText() == "Auto" && !UpdateAutoRange()) {
            return false;
        }
        ApplyPendingSettings();
        return true;
    }();
    if (!completed) {
        // A failed fetch ends the worker; the panel is told so that it can
        // show what happened instead of the last reading.
        PostPanelMessage(WM_PANEL_WORKER_ENDED);
    }
    return completed;
}

void CZANFunction::LogLatestReading()
{
    // Only queued here: the log's own thread formats and writes it.
    if (const auto log = voltora::functions::ActiveReadingLog()) {
        log->Submit(name.Get(), GetReadingText(), GetBaseUnit(), GetRangeText());
    }
}

void CZANFunction::FetchViewData()
{
    if (trendViewShown) {
        FetchTrendData(*this);
    }
    if (histogramViewShown) {
        FetchHistogramData();
    }
    if (mathViewShown) {
        FetchStatistics();
    }
}

bool CZANFunction::FetchReadingWith(TextQuery query)
{
    const std::string text = query();
    if (text.empty()) {
        return false;
    }
    SetReadingText(text);
    return true;
}

void CZANFunction::PostReadingMessage()
{
    worker.AnnounceReading();
}

void CZANFunction::PostPanelMessage(int message)
{
    if (panel != nullptr) {
        panel->PostMessage(message);
    }
}

void CZANFunction::AcknowledgeReading()
{
    worker.AcknowledgeReading();
}

bool CZANFunction::IsWorkerThread() const
{
    return worker.IsCurrentThread();
}

void CZANFunction::SuspendWorker()
{
    worker.Suspend();
}

void CZANFunction::ResumeWorker()
{
    // A worker that has ended is replaced by a new one.
    if (!worker.IsRunning()) {
        StartWorker();
    }
    elapsedOrigin = voltora::platform::ProcessClockMs();
    worker.Resume();
}

void CZANFunction::StopWorker()
{
    worker.Stop();
}

bool CZANFunction::IsWorkerRunning() const
{
    return worker.IsRunning();
}

bool CZANFunction::IsWorkerParked() const
{
    return worker.IsParked();
}

void CZANFunction::SetDefaultPollFloor(unsigned milliseconds)
{
    voltora::functions::AcquisitionWorker::SetDefaultPollFloor(milliseconds);
}

unsigned CZANFunction::DefaultPollFloor()
{
    return voltora::functions::AcquisitionWorker::DefaultPollFloor();
}
