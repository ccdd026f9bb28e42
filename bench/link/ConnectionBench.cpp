// Round trip of one query through CConectWithNI to the in-process simulated
// meter with no link latency: the cost of our own layers.

#include "link/CConectWithNI.h"
#include "sim/backend/SimulatedMeterBackend.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

void OpenSimulatedMeter()
{
    voltora::sim::SimulatedMeterBackend::Instance()->ResetMeter(
        voltora::sim::SimulatedMeterOptions{1, 1.0, std::chrono::microseconds(0)});
    if (!CConectWithNI::Instance()->IsConnected() &&
        !CConectWithNI::Instance()->Open(voltora::sim::SimulatedMeterBackend::kResource)) {
        std::fprintf(stderr, "cannot open the simulated meter\n");
        std::exit(1);
    }
}

void BM_QueryLastReading(benchmark::State& state)
{
    OpenSimulatedMeter();
    char buffer[32];
    for (auto _ : state) {
        unsigned count = 0;
        CConectWithNI::Instance()->Query("DATA:LAST?", buffer, sizeof buffer, &count);
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_QueryLastReading);

void BM_QueryRange(benchmark::State& state)
{
    OpenSimulatedMeter();
    char buffer[32];
    for (auto _ : state) {
        unsigned count = 0;
        CConectWithNI::Instance()->Query("VOLT:DC:RANGE?", buffer, sizeof buffer, &count);
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_QueryRange);

}  // namespace

BENCHMARK_MAIN();
