// Speed of the worker's view-data fetches and of the reading formatter.

#include "MeterFixture.h"

#include "functions/CZANFunctionDCV.h"
#include "functions/ReadingFormat.h"
#include "functions/ViewData.h"
#include "functions/ViewFlags.h"
#include "scpi/TrendHistogramCommands.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

using namespace voltora::functions;
using namespace voltora::scpi;

namespace {

// A trend reply of meter-style values; with `fill` it is exactly as long as
// the trend buffer (about 65,000 values) and ends in its line feed.
std::string TrendReply(std::size_t values, bool fill)
{
    std::string reply;
    char text[32];
    for (std::size_t i = 0; fill || i < values; ++i) {
        std::snprintf(text, sizeof text, "%+.8E,", 1.0 + static_cast<double>(i % 1000) * 1e-4);
        if (fill && reply.size() + 17 > voltora::scpi::kTrendBufferCapacity) {
            break;
        }
        reply += text;
    }
    reply.back() = '\n';
    if (fill) {
        reply.insert(reply.size() - 1, voltora::scpi::kTrendBufferCapacity - reply.size(), '0');
    }
    return reply;
}

std::string HistogramReply(int bins)
{
    std::string reply = "-1.000000E+00,+1.000000E+00,5000,12";
    for (int i = 0; i < bins; ++i) {
        reply += "," + std::to_string(i % 37);
    }
    return reply + ",7\n";
}

void ParseTrend(benchmark::State& state, bool fill)
{
    const std::string reply = TrendReply(400, fill);
    TrendSnapshot snapshot;
    for (auto _ : state) {
        ParseTrendReply(reply, fill, false, snapshot);
        benchmark::DoNotOptimize(snapshot.values.data());
    }
    state.counters["values"] = snapshot.count;
}

void FetchTrend(benchmark::State& state, bool fill)
{
    testing::ScriptedMeter meter;
    meter.SetReply("CALCulate:TRENd:CHARt:DATA?", TrendReply(400, fill));
    meter.SetReply("CALCulate:TRENd:CHARt:MODe?", "REC\n");
    CZANFunctionDCV function(nullptr);
    function.Initialise();
    trendRestartPending = false;
    for (auto _ : state) {
        std::lock_guard<voltora::platform::CriticalSection> guard(function.CycleLock());
        FetchTrendData(function);
    }
    TrendSnapshot snapshot;
    ReadTrendSnapshot(snapshot);
    state.counters["values"] = snapshot.count;
}

void FetchHistogram(benchmark::State& state)
{
    testing::ScriptedMeter meter;
    meter.SetReply("CALCulate:TRANsform:HISTogram:ALL?", HistogramReply(400));
    meter.SetReply("CALCulate:TRANsform:HISTogram:RANGe:AUTO?", "1\n");
    for (auto _ : state) {
        FetchHistogramData();
    }
    HistogramSnapshot snapshot;
    ReadHistogramSnapshot(snapshot);
    state.counters["bins"] = snapshot.binCount;
}

void ParseHistogram(benchmark::State& state)
{
    const std::string reply = HistogramReply(400);
    HistogramSnapshot snapshot;
    for (auto _ : state) {
        ParseHistogramReply(reply, 1, snapshot);
        benchmark::DoNotOptimize(snapshot.bins.data());
    }
}

void Format(benchmark::State& state, const char* value, const char* range)
{
    ReadingFormat format;
    format.valueText = value;
    format.rangeText = range;
    for (auto _ : state) {
        FormatReading(format);
        benchmark::DoNotOptimize(format.signedText.data());
    }
}

}  // namespace

BENCHMARK_CAPTURE(FetchTrend, full_buffer, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FetchTrend, points_400, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ParseTrend, full_buffer, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ParseTrend, points_400, false)->Unit(benchmark::kMicrosecond);
BENCHMARK(FetchHistogram)->Unit(benchmark::kMicrosecond);
BENCHMARK(ParseHistogram)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Format, range_2V, "+1.23456789E+00", "2V");
BENCHMARK_CAPTURE(Format, range_200mV, "+1.23456789E-02", "200mV");
BENCHMARK_CAPTURE(Format, automatic, "+1.23456789E-03", "");

BENCHMARK_MAIN();
