// Cost of the simulated meter's replies and of producing readings.

#include "sim/SimulatedMeter.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>

namespace {

using voltora::sim::SimulatedMeter;
using voltora::sim::SimulatedMeterOptions;

// A meter on a hand-moved clock, with no reply latency.
struct BenchMeter {
    BenchMeter()
        : time(std::make_shared<std::atomic<long long>>(0)),
          meter(Options(), [t = time] { return std::chrono::nanoseconds(t->load()); })
    {
    }

    static SimulatedMeterOptions Options()
    {
        SimulatedMeterOptions options;
        options.replyLatency = std::chrono::microseconds(0);
        return options;
    }

    void AdvanceSeconds(double seconds) { *time += static_cast<long long>(seconds * 1e9); }

    std::shared_ptr<std::atomic<long long>> time;
    SimulatedMeter meter;
};

// A meter that has acquired two minutes of fast readings (about 18,000).
std::unique_ptr<BenchMeter> FullMeter()
{
    auto bench = std::make_unique<BenchMeter>();
    bench->meter.Execute("VOLT:DC:NPLC 0.3");
    bench->meter.Execute("INIT");
    bench->AdvanceSeconds(120);
    bench->meter.Execute("ABORt");
    return bench;
}

void RunQuery(benchmark::State& state, BenchMeter& bench, const char* query)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto reply = bench.meter.Execute(query);
        bytes = reply->size();
        benchmark::DoNotOptimize(reply);
        if (state.iterations() % 4096 == 0) {
            bench.meter.ClearTranscript();
        }
    }
    state.counters["reply_bytes"] = static_cast<double>(bytes);
}

void BM_DataLast(benchmark::State& state)
{
    BenchMeter bench;
    bench.AdvanceSeconds(1);
    RunQuery(state, bench, "DATA:LAST?");
}
BENCHMARK(BM_DataLast);

// Polled once a millisecond while acquiring fast: each query also produces
// the readings that fell due since the previous one.
void BM_DataLastWhileAcquiring(benchmark::State& state)
{
    BenchMeter bench;
    bench.meter.Execute("VOLT:DC:NPLC 0.3");
    for (auto _ : state) {
        bench.AdvanceSeconds(0.001);
        benchmark::DoNotOptimize(bench.meter.Execute("DATA:LAST?"));
        if (state.iterations() % 4096 == 0) {
            bench.meter.ClearTranscript();
        }
    }
}
BENCHMARK(BM_DataLastWhileAcquiring);

void BM_TrendRecent400(benchmark::State& state)
{
    auto bench = FullMeter();
    bench->meter.Execute("CALC:TREN:CHAR:MOD REC");
    RunQuery(state, *bench, "CALCulate:TRENd:CHARt:DATA?");
}
BENCHMARK(BM_TrendRecent400);

void BM_TrendAll400(benchmark::State& state)
{
    auto bench = FullMeter();
    bench->meter.Execute("CALC:TREN:CHAR:MOD ALL");
    RunQuery(state, *bench, "CALCulate:TRENd:CHARt:DATA?");
}
BENCHMARK(BM_TrendAll400);

void BM_Fetch10000(benchmark::State& state)
{
    auto bench = FullMeter();
    RunQuery(state, *bench, "FETCh?");
}
BENCHMARK(BM_Fetch10000);

void BM_HistogramAll(benchmark::State& state)
{
    auto bench = FullMeter();
    RunQuery(state, *bench, "CALCulate:TRANsform:HISTogram:ALL?");
}
BENCHMARK(BM_HistogramAll);

void BM_StatisticsAll(benchmark::State& state)
{
    auto bench = FullMeter();
    RunQuery(state, *bench, "CALCulate:AVERage:ALL?");
}
BENCHMARK(BM_StatisticsAll);

// Producing readings: one minute of fast acquisition (about 9,000 readings)
// per iteration, each going to memory, statistics, trend and histogram.
void BM_AcquireOneMinuteFast(benchmark::State& state)
{
    BenchMeter bench;
    bench.meter.Execute("VOLT:DC:NPLC 0.3");
    bench.meter.Execute("INIT");
    for (auto _ : state) {
        bench.AdvanceSeconds(60);
        benchmark::DoNotOptimize(bench.meter.Execute("DATA:POINts?"));
    }
    state.counters["readings_per_s"] =
        benchmark::Counter(9000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AcquireOneMinuteFast)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
