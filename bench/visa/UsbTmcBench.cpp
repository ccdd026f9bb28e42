// One query ("DATA:LAST?" and its reply) through the VISA functions: over a
// virtual USB-TMC meter on a umockdev bus (our USB-TMC session, libusb, the
// usbdevfs ioctls answered by the virtual device; no real bus), beside the
// same query to the in-process simulated meter with no reply latency.
// Starts itself again under umockdev-wrapper when needed.

#include "sim/SimulatedMeter.h"
#include "sim/backend/SimulatedMeterBackend.h"
#include "usbmock/VirtualUsbBus.h"
#include "visa/visa.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using voltora::usbmock::VirtualDeviceSpec;
using voltora::usbmock::VirtualUsbBus;

ViSession OpenSession(const char* resource)
{
    ViSession rm = 0;
    ViSession session = 0;
    viOpenDefaultRM(&rm);
    // A freshly plugged device may take a moment to be listed.
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (viOpen(rm, resource, 0, 0, &session) == VI_SUCCESS) {
            return session;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::fprintf(stderr, "cannot open %s\n", resource);
    std::exit(1);
}

void Query(benchmark::State& state, ViSession session)
{
    static const char kQuery[] = "DATA:LAST?";
    ViByte reply[64];
    for (auto _ : state) {
        ViUInt32 count = 0;
        if (viWrite(session, reinterpret_cast<ViConstBuf>(kQuery), sizeof(kQuery) - 1, &count) !=
                VI_SUCCESS ||
            viRead(session, reply, sizeof(reply), &count) != VI_SUCCESS) {
            state.SkipWithError("query failed");
            return;
        }
        benchmark::DoNotOptimize(count);
    }
}

ViSession highSpeed = 0;
ViSession fullSpeed = 0;
ViSession inProcess = 0;

void BM_QueryVirtualUsbHighSpeed(benchmark::State& state) { Query(state, highSpeed); }
void BM_QueryVirtualUsbFullSpeed(benchmark::State& state) { Query(state, fullSpeed); }
void BM_QueryInProcess(benchmark::State& state) { Query(state, inProcess); }

BENCHMARK(BM_QueryInProcess)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QueryVirtualUsbHighSpeed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QueryVirtualUsbFullSpeed)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (!VirtualUsbBus::Available()) {
        std::vector<char*> args{const_cast<char*>("umockdev-wrapper")};
        for (int i = 0; i < argc; ++i) {
            args.push_back(argv[i]);
        }
        args.push_back(nullptr);
        execvp("umockdev-wrapper", args.data());
        std::perror("cannot run umockdev-wrapper");
        return 1;
    }
    VirtualUsbBus bus;
    VirtualDeviceSpec high;
    high.serial = "BENCH512";
    VirtualDeviceSpec full;
    full.serial = "BENCH64";
    full.highSpeed = false;
    const voltora::sim::SimulatedMeterOptions noLatency{1, 1.0, std::chrono::microseconds(0)};
    bus.AddMeter(high, voltora::usbmock::MeterResponder(
                           std::make_shared<voltora::sim::SimulatedMeter>(noLatency)));
    bus.AddMeter(full, voltora::usbmock::MeterResponder(
                           std::make_shared<voltora::sim::SimulatedMeter>(noLatency)));
    voltora::sim::SimulatedMeterBackend::Instance()->ResetMeter(noLatency);
    highSpeed = OpenSession("USB0::0x5A4E::0x0105::BENCH512::INSTR");
    fullSpeed = OpenSession("USB0::0x5A4E::0x0105::BENCH64::INSTR");
    inProcess = OpenSession(voltora::sim::SimulatedMeterBackend::kResource);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    viClose(highSpeed);
    viClose(fullSpeed);
    viClose(inProcess);
    return 0;
}
