// The commands a function sends outside the worker's pending settings: the
// settings read-back, the relative value, sample count, trend mode and
// statistics.

#include "functions/CZANFunction.h"

#include "functions/MathSettings.h"
#include "functions/StatisticsReply.h"
#include "functions/ViewFlags.h"
#include "functions/IFrontPanel.h"
#include "link/IConnection.h"
#include "platform/CNumbers.h"
#include "platform/Clock.h"
#include "scpi/AcquisitionCommands.h"
#include "scpi/InstrumentExchange.h"
#include "scpi/MathCommands.h"
#include "scpi/TrendHistogramCommands.h"


#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

using namespace voltora::functions;

using voltora::platform::SleepMs;
using namespace voltora::scpi;

namespace {

constexpr unsigned kDataPointsPollMs = 200;

// A reply without the line end the meter puts after it.
std::string_view WithoutLineEnd(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

// ---- Settings read-back -------------------------------------------------------------

void CZANFunction::LoadSettings()
{
    ClearPending();
    voltora::functions::MathSettings limits;
    limits.limitState = QueryLimitState();
    limits.lowerLimit = QueryLimitLower();
    limits.upperLimit = QueryLimitUpper();
    voltora::functions::SetMathSettings(limits);
    PublishRel();
    WaitForStoredReadings();
}

void CZANFunction::WaitForStoredReadings()
{
    // The meter needs a moment after a function change before it holds a
    // reading. The wait is bounded and ends when the connection is closed,
    // so a silent meter cannot hang the user interface.
    // A function without a panel has no session to wait on.
    IConnection* const connection = panel != nullptr ? &panel->Connection() : nullptr;
    const std::uint32_t start = voltora::platform::ProcessClockMs();
    while (QueryDataPoints() == 0) {
        if (connection == nullptr || !connection->IsConnected() || connection->HasFailed()) {
            return;
        }
        if (voltora::platform::ProcessClockMs() - start >= dataPointsWaitLimitMs) {
            return;
        }
        SleepMs(kDataPointsPollMs);
    }
}

// ---- Relative value ---------------------------------------------------------------------

void CZANFunction::PublishRel()
{
    const std::string state = relState.Get();
    const std::string value = relValue.Get();
    if (panel != nullptr) {
        // On the worker the lock is held and the panel's thread may be
        // waiting for it: hand the texts over without waiting.
        if (IsWorkerThread()) {
            panel->PostRelValue(state, value);
        } else {
            panel->ShowRelValue(state, value);
        }
    }
    elapsedOrigin = voltora::platform::ProcessClockMs();
}

void CZANFunction::SendRelValue(const std::string& text, double low, double high,
                                TextCommand setNullValue, TextQuery queryNullValue)
{
    double x = voltora::platform::CAtof(text);
    if (std::isnan(x)) {
        x = 0.0;  // "nan" would otherwise be sent as the null value
    }
    x = std::clamp(x, low, high);
    const std::string value = voltora::platform::CFormat("%.12f", x);
    PauseGuard paused(*this);
    setNullValue(value);
    SleepMs(100);
    relValue = queryNullValue();
    PublishRel();
    SleepMs(200);
}

void CZANFunction::ApplyRelWith(TextCommand setNull, TextQuery queryNull, TextQuery queryNullValue,
                                int relItemId)
{
    const std::string state = relState.Get();
    setNull(state);
    SleepMs(200);
    const std::string reported = queryNull();
    if (reported == state) {
        relValue = queryNullValue();
        PublishRel();
        SleepMs(200);
        return;
    }
    // The meter refused the change: show what it reports.
    relState = reported;
    if (CZANMenuItem* item = Item(relItemId)) {
        item->ShowLeftRight(reported);
    }
    PostPanelMessage(WM_PANEL_SOFTKEYS);
}

// ---- Statistics -------------------------------------------------------------------------------

bool CZANFunction::FetchStatistics()
{
    char buffer[voltora::scpi::kStatisticsReplySize];
    unsigned size = sizeof buffer;
    QueryStatisticsAll(buffer, size);
    // Only what a successful query returned counts (size is 0 otherwise):
    // bytes a failed read left in the buffer are not a reply.
    StatisticsBlock block;
    if (!voltora::functions::ParseStatisticsReply(std::string_view(buffer, strnlen(buffer, size)), block)) {
        // A failed or cut transfer: keep the block the math view shows.
        return false;
    }
    block.span = voltora::functions::OverloadOrText(WithoutLineEnd(QueryPeakToPeak()));
    block.samples = voltora::scpi::TruncateToInt(QueryStatisticsCount());

    std::lock_guard<std::mutex> guard(statisticsMutex);
    statistics = std::move(block);
    return true;
}

// ---- Acquisition commands of the user-interface thread ------------------------------------

void CZANFunction::SetSamplesPerTrigger(const std::string& text)
{
    PauseGuard paused(*this);
    SetSampleCount(text);
    SleepMs(50);
    Initiate();
    trendRestartPending = true;
    elapsedOrigin = voltora::platform::ProcessClockMs();
}

void CZANFunction::SetTrendMode(const std::string& text)
{
    PauseGuard paused(*this);
    SetTrendChartMode(text);
    SleepMs(100);
}
