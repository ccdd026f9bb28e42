#pragma once

#include "sim/SimulatedMeter.h"
#include "sim/server/ServedMeter.h"
#include "sim/server/SocketServer.h"
#include "sim/server/StopSignal.h"

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace voltora::app::testing {

// voltora-sim's raw-socket server inside the test process, on 127.0.0.1:
// the simulated meter behind a real TCP link, with the server's fault modes.
// Destroying it is pulling the meter off the network (every connection is
// closed); a new one on the same port is the meter back.
class SocketMeter {
public:
    explicit SocketMeter(std::uint16_t port = 0, sim::FaultOptions faults = {})
        : meter(std::make_shared<sim::SimulatedMeter>(NoiselessAtOnce())),
          served([m = meter](std::string_view message) { return m->Execute(message); }, std::move(faults),
                 std::chrono::microseconds(0), false),
          server(served, stop)
    {
        listening = server.Listen("127.0.0.1", port, error);
        if (listening) {
            thread = std::thread([this] { server.Run(); });
        }
    }
    ~SocketMeter()
    {
        stop.Stop();
        if (thread.joinable()) {
            thread.join();
        }
    }
    SocketMeter(const SocketMeter&) = delete;
    SocketMeter& operator=(const SocketMeter&) = delete;

    bool Listening() const { return listening; }
    const std::string& Error() const { return error; }
    std::uint16_t Port() const { return server.Port(); }
    std::string Resource() const { return "TCPIP0::127.0.0.1::" + std::to_string(Port()) + "::SOCKET"; }

private:
    static sim::SimulatedMeterOptions NoiselessAtOnce()
    {
        sim::SimulatedMeterOptions options;
        options.noiseScale = 0.0;
        options.replyLatency = std::chrono::microseconds(0);
        return options;
    }

    std::shared_ptr<sim::SimulatedMeter> meter;
    sim::ServedMeter served;
    sim::StopSignal stop;
    sim::SocketServer server;
    std::string error;
    bool listening = false;
    std::thread thread;
};

}  // namespace voltora::app::testing
