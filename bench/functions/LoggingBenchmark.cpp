// What continuous logging costs the worker: the time of one worker cycle
// (DC voltage, no view shown, fixed range) with logging off and on, in the
// same run, against a meter that answers at once and one that takes 1 ms;
// and the cost of queueing one reading.

#include "FakeFrontPanel.h"
#include "MeterFixture.h"

#include "functions/CZANFunctionDCV.h"
#include "functions/ReadingLog.h"
#include "functions/ViewFlags.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

using namespace voltora::functions;

namespace {

constexpr int kCyclesPerIteration = 200;

std::string LogPath()
{
    return "/tmp/voltora-bench-log-" + std::to_string(getpid()) + ".csv";
}

// args: 0 logging off / 1 on; reply latency in microseconds.
void WorkerCycle(benchmark::State& state)
{
    const bool logging = state.range(0) != 0;
    const auto latency = std::chrono::microseconds(state.range(1));
    mathViewShown = trendViewShown = histogramViewShown = false;
    testing::ScriptedMeter meter;
    std::atomic<long> readings{0};
    meter.SetReplyFunction("DATA:LAST?", [&](const std::string&) -> std::optional<std::string> {
        if (latency.count() > 0) {
            std::this_thread::sleep_for(latency);
        }
        readings.fetch_add(1, std::memory_order_relaxed);
        return std::string("+1.23456700E+00 VDC\n");
    });
    testing::FakeFrontPanel panel;
    CZANFunctionDCV function(&panel);
    function.Initialise();
    function.Activate();

    std::shared_ptr<ReadingLog> log;
    if (logging) {
        std::string error;
        log = ReadingLog::Create(LogPath(), LogHeader("bench", "bench"), {}, {}, error);
        SetActiveReadingLog(log);
    }
    function.ResumeWorker();
    for (auto _ : state) {
        const long target = readings.load() + kCyclesPerIteration;
        while (readings.load() < target) {
            std::this_thread::yield();
        }
    }
    function.SuspendWorker();
    function.StopWorker();
    if (log) {
        SetActiveReadingLog(nullptr);
        log->Stop("benchmark done");
        state.counters["rows"] = static_cast<double>(log->RowsWritten());
        state.counters["dropped"] = static_cast<double>(log->Dropped());
        std::remove(LogPath().c_str());
    }
    // Each iteration is kCyclesPerIteration cycles: the time column divided
    // by it is the time of one cycle; this is the rate of cycles.
    state.counters["cycles_per_s"] = benchmark::Counter(
        kCyclesPerIteration, benchmark::Counter::kIsIterationInvariantRate);
}

void QueueOneReading(benchmark::State& state)
{
    std::string error;
    ReadingLog::Options options;
    options.queueCapacity = 1u << 20;
    auto log = ReadingLog::Create(LogPath(), LogHeader("bench", "bench"), options, {}, error);
    for (auto _ : state) {
        log->Submit("DC Voltage", "+1.23456700E+00", "V", "2V");
    }
    log->Stop("benchmark done");
    state.counters["dropped"] = static_cast<double>(log->Dropped());
    std::remove(LogPath().c_str());
}

void FormatOneRow(benchmark::State& state)
{
    LogReading reading;
    reading.wallTime = std::chrono::system_clock::now();
    reading.seconds = 12.5;
    reading.function = "DC Voltage";
    reading.reading = "+1.23456700E+00";
    reading.unit = "V";
    reading.range = "2V";
    for (auto _ : state) {
        benchmark::DoNotOptimize(LogRow(reading));
    }
}

}  // namespace

BENCHMARK(WorkerCycle)
    ->ArgNames({"logging", "latency_us"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1000})
    ->Args({1, 1000})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(QueueOneReading)->Unit(benchmark::kNanosecond);
BENCHMARK(FormatOneRow)->Unit(benchmark::kNanosecond);
BENCHMARK_MAIN();
