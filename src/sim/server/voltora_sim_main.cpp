// voltora-sim: serves the simulated ZAN meter on the network, over VXI-11 and
// a raw socket, so that any VISA client can talk to it without hardware.

#include "sim/CommandContext.h"
#include "sim/SimulatedMeter.h"
#include "sim/server/PortmapperResponder.h"
#include "sim/server/SimServerOptions.h"
#include "sim/server/SocketServer.h"
#include "sim/server/StopSignal.h"
#include "sim/server/Vxi11Server.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

voltora::sim::StopSignal* g_stop = nullptr;

extern "C" void OnStopSignal(int)
{
    if (g_stop != nullptr) {
        g_stop->Stop();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace voltora::sim;
    SimServerOptions options;
    std::string error;
    if (!ParseSimServerOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "voltora-sim: %s\n%s", error.c_str(), SimServerUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(SimServerUsage(), stdout);
        return 0;
    }

    SimulatedMeterOptions meterOptions;
    meterOptions.seed = options.seed;
    meterOptions.noiseScale = options.noiseScale;
    // The servers add the latency themselves, on the way out.
    meterOptions.replyLatency = std::chrono::microseconds(0);
    auto meter = std::make_shared<SimulatedMeter>(meterOptions);
    ServedMeter served([meter](std::string_view message) { return meter->Execute(message); },
                       options.faults, options.latency, options.transcript);
    served.SetOverlongHandler([meter] { meter->ReportError(error::kTooMuchData, "Too much data"); });

    StopSignal stop;
    g_stop = &stop;
    struct sigaction action{};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<SocketServer> socketServer;
    std::unique_ptr<Vxi11Server> vxi11Server;
    std::unique_ptr<PortmapperResponder> portmapper;
    if (options.serveSocket) {
        SocketServerLimits limits;
        limits.maxConnections = options.maxClients;
        limits.sendTimeout = options.sendTimeout;
        socketServer = std::make_unique<SocketServer>(served, stop, limits);
        if (!socketServer->Listen(options.address, options.socketPort, error)) {
            std::fprintf(stderr, "voltora-sim: raw socket: %s\n", error.c_str());
            return 1;
        }
    }
    if (options.serveVxi11) {
        vxi11Server = std::make_unique<Vxi11Server>(served, stop);
        vxi11Server->SetOverlongHandler([meter] { meter->ReportError(-223, "Too much data"); });
        if (!vxi11Server->Listen(options.address, options.vxi11Port, error)) {
            std::fprintf(stderr, "voltora-sim: VXI-11: %s\n", error.c_str());
            return 1;
        }
        if (options.registerWithRpcbind && !vxi11Server->Register(error)) {
            std::fprintf(stderr, "voltora-sim: VXI-11: %s\n", error.c_str());
            return 1;
        }
        if (options.ownPortmapper) {
            portmapper = std::make_unique<PortmapperResponder>(stop);
            if (!portmapper->Listen(options.address, vxi11Server->Port(), error)) {
                std::fprintf(stderr, "voltora-sim: portmapper: %s\n", error.c_str());
                return 1;
            }
        }
    }

    std::printf("ready socket=%u vxi11=%u\n",
                socketServer ? static_cast<unsigned>(socketServer->Port()) : 0u,
                vxi11Server ? static_cast<unsigned>(vxi11Server->Port()) : 0u);
    std::fflush(stdout);

    std::thread socketThread;
    if (socketServer) {
        socketThread = std::thread([&] { socketServer->Run(); });
    }
    std::thread portmapperThread;
    if (portmapper) {
        portmapperThread = std::thread([&] { portmapper->Run(); });
    }
    if (vxi11Server) {
        vxi11Server->Run();
    } else {
        while (!stop.WaitFor(std::chrono::hours(1))) {
        }
    }
    if (socketThread.joinable()) {
        socketThread.join();
    }
    if (portmapperThread.joinable()) {
        portmapperThread.join();
    }
    // Unregisters from rpcbind before the process ends.
    vxi11Server.reset();
    socketServer.reset();
    g_stop = nullptr;
    std::fprintf(stderr, "voltora-sim: stopped\n");
    return 0;
}
