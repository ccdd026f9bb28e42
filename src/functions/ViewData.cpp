// Trend and histogram data: the worker's fetches, the reply parsers and the
// hand-over of finished snapshots to the user-interface thread.

#include "functions/ViewData.h"

#include "functions/CZANFunction.h"
#include "functions/ViewFlags.h"
#include "platform/CNumbers.h"
#include "platform/Clock.h"
#include "scpi/MathCommands.h"
#include "scpi/TrendHistogramCommands.h"

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>
#include <boost/range/iterator_range.hpp>

#include <cstring>
#include <mutex>
#include <utility>

using namespace voltora::scpi;

namespace voltora::functions {
namespace {

using Field = boost::iterator_range<const char*>;

constexpr double kOverloadLevel = 9.9e37;
constexpr int kFineBins = 400;  // bins of a histogram in automatic range

// A snapshot written by one worker at a time and read by the user-interface
// thread. The writer fills a record of its own and swaps it in whole; the
// readers copy the published record under a short lock.
template <typename Snapshot>
class SnapshotExchange {
public:
    // The writer's record; only while the caller holds WriterMutex().
    Snapshot& Back() { return back_; }
    std::mutex& WriterMutex() { return writer_; }

    void Publish()
    {
        std::lock_guard<std::mutex> guard(published_);
        std::swap(back_, latest_);
        ++number_;
    }

    std::uint64_t Read(Snapshot& out)
    {
        std::lock_guard<std::mutex> guard(published_);
        if (number_ != 0) {
            out = latest_;
        }
        return number_;
    }

    std::uint64_t Number()
    {
        std::lock_guard<std::mutex> guard(published_);
        return number_;
    }

private:
    std::mutex writer_;     // one fetch at a time (it also guards the reply buffer)
    std::mutex published_;  // short: swap or copy only
    Snapshot back_;
    Snapshot latest_;
    std::uint64_t number_ = 0;
};

SnapshotExchange<TrendSnapshot>& TrendExchange()
{
    static SnapshotExchange<TrendSnapshot> exchange;
    return exchange;
}

SnapshotExchange<HistogramSnapshot>& HistogramExchange()
{
    static SnapshotExchange<HistogramSnapshot> exchange;
    return exchange;
}

std::string_view WithoutLineEnd(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits at every "," (empty fields kept) into ranges of `text`.
void SplitFields(std::string_view text, std::vector<Field>& fields)
{
    fields.clear();
    boost::algorithm::split(fields, boost::make_iterator_range(text.data(), text.data() + text.size()),
                            boost::algorithm::is_any_of(","));
}

// The same cut for the trend reply, which can be 1 MiB long: is_any_of looks
// every character up in a set, which alone costs more than a millisecond on
// such a reply; a one-character range test cuts at the same places.
void SplitLargeReply(std::string_view text, std::vector<Field>& fields)
{
    fields.clear();
    boost::algorithm::split(fields, boost::make_iterator_range(text.data(), text.data() + text.size()),
                            boost::algorithm::is_from_range(',', ','));
}

double NumberOf(const Field& field)
{
    return platform::CAtof(std::string_view(field.begin(), field.size()));
}

int IntegerOf(const Field& field)
{
    return platform::CAtoi(std::string_view(field.begin(), field.size()));
}

// The reply text in a buffer the query zeroed first: up to the first zero
// byte, never past the buffer.
std::string_view ReplyText(const char* buffer, unsigned capacity)
{
    return std::string_view(buffer, strnlen(buffer, capacity));
}

}  // namespace

void ParseTrendReply(std::string_view reply, bool cutByBuffer, bool modeAll, TrendSnapshot& out)
{
    // Reused between calls: a full reply has some 65,000 fields.
    thread_local std::vector<Field> fields;
    SplitLargeReply(reply, fields);
    if (cutByBuffer && fields.size() > 1 && (reply.empty() || reply.back() != '\n')) {
        fields.pop_back();  // the buffer ended inside this value
    }
    const std::size_t count = fields.size();
    out.count = static_cast<int>(count);
    out.values.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        out.values[i] = NumberOf(fields[modeAll ? i : count - 1 - i]);
    }
    double minimum = out.values[0];
    double maximum = out.values[0];
    for (std::size_t i = 1; i < count; ++i) {
        const double value = out.values[i];
        if (value > -kOverloadLevel && value < minimum) {
            minimum = value;
        }
        if (value < kOverloadLevel && value > maximum) {
            maximum = value;
        }
    }
    out.minimum = minimum;
    out.maximum = maximum;
}

bool ParseHistogramReply(std::string_view reply, int autoRange, HistogramSnapshot& out)
{
    thread_local std::vector<Field> fields;
    SplitFields(WithoutLineEnd(reply), fields);
    const std::size_t n = fields.size();
    // Lower, upper, readings, below, the bins, above: five fields at least.
    if (n < 5) {
        return false;
    }
    out.lower = NumberOf(fields[0]);
    out.upper = NumberOf(fields[1]);
    out.readingCount = IntegerOf(fields[2]);
    out.belowCount = IntegerOf(fields[3]);
    out.aboveCount = IntegerOf(fields[n - 1]);
    out.autoRange = autoRange;

    if (autoRange != 0) {
        // The meter reports 400 fine bins; fewer readings get coarser bins.
        int binCount = 100;
        if (out.readingCount <= 100) {
            binCount = 10;
        } else if (out.readingCount <= 500) {
            binCount = 20;
        } else if (out.readingCount <= 1000) {
            binCount = 40;
        }
        const int group = kFineBins / binCount;
        if (n < static_cast<std::size_t>(4 + kFineBins + 1)) {
            return false;  // fewer fine bins than the grouping reads
        }
        out.binCount = binCount;
        out.bins.assign(static_cast<std::size_t>(binCount), 0.0);
        for (int b = 0; b < binCount; ++b) {
            double sum = 0.0;
            for (int k = 0; k < group; ++k) {
                sum += IntegerOf(fields[static_cast<std::size_t>(4 + b * group + k)]);
            }
            out.bins[static_cast<std::size_t>(b)] = sum;
        }
    } else {
        const std::size_t binCount = n - 5;
        out.binCount = static_cast<int>(binCount);
        out.bins.resize(binCount);
        for (std::size_t i = 0; i < binCount; ++i) {
            out.bins[i] = IntegerOf(fields[4 + i]);
        }
    }
    return true;
}

std::uint64_t ReadTrendSnapshot(TrendSnapshot& out)
{
    return TrendExchange().Read(out);
}

std::uint64_t TrendSnapshotNumber()
{
    return TrendExchange().Number();
}

std::uint64_t ReadHistogramSnapshot(HistogramSnapshot& out)
{
    return HistogramExchange().Read(out);
}

std::uint64_t HistogramSnapshotNumber()
{
    return HistogramExchange().Number();
}

}  // namespace voltora::functions

void FetchTrendData(CZANFunction& function)
{
    using namespace voltora::functions;
    auto& exchange = TrendExchange();
    std::lock_guard<std::mutex> writer(exchange.WriterMutex());

    const std::string mode = QueryTrendChartMode();
    const unsigned capacity = voltora::scpi::kTrendBufferCapacity;
    std::string_view reply;
    bool fetched = false;
    if (!trendRestartPending) {
        fetched = true;
    } else if (QueryStatisticsCount() > 0) {
        trendRestartPending = false;
        fetched = true;
    }
    if (fetched) {
        unsigned size = capacity;
        QueryTrendChartData(size);
        if (size == 0) {
            // The query failed (time-out, link closed): whatever part of a
            // reply reached the buffer is not the trend. Keep the last one.
            return;
        }
        reply = ReplyText(voltora::scpi::TrendBuffer(), size);
    }
    // Otherwise the trend restarts: an empty reply, one value 0.

    TrendSnapshot& snapshot = exchange.Back();
    ParseTrendReply(reply, reply.size() == capacity, mode == "ALL", snapshot);
    snapshot.rangeText = function.GetRangeText();
    snapshot.modeText = mode;
    snapshot.elapsedSeconds = static_cast<int>(
        (voltora::platform::ProcessClockMs() - function.GetElapsedOrigin()) / 1000);
    exchange.Publish();
}

void FetchHistogramData()
{
    using namespace voltora::functions;
    auto& exchange = HistogramExchange();
    std::lock_guard<std::mutex> writer(exchange.WriterMutex());

    const unsigned capacity = voltora::scpi::kHistogramBufferCapacity;
    unsigned size = capacity;
    QueryHistogramAll(size);
    const int autoRange = QueryHistogramRangeAuto();
    if (size == 0) {
        // A failed query: part of a reply may be in the buffer, and read as
        // a histogram its numbers land in the wrong fields. Keep the last one.
        return;
    }
    const std::string_view reply = ReplyText(voltora::scpi::HistogramBuffer(), size);
    // A reply that filled the buffer without its line end was cut: its last
    // fields, the count above the range among them, are lost. Keep the
    // previous histogram then, as for any reply with too few fields.
    if (reply.size() == capacity && reply.back() != '\n') {
        return;
    }
    if (ParseHistogramReply(reply, autoRange, exchange.Back())) {
        exchange.Publish();
    }
}
