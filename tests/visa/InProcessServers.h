#pragma once

#include "sim/server/ServedMeter.h"
#include "sim/server/SocketServer.h"
#include "sim/server/StopSignal.h"
#include "sim/server/Vxi11Server.h"
#include "visa/VisaBackend.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace voltora::testing {

// A portmapper of our own on a free loopback port, answering every GETPORT
// with one port (0: "not registered"), or staying silent.
class FakePortmapper {
public:
    enum class Mode { Answer, Silent };

    FakePortmapper(Mode mode, std::uint16_t answer);
    ~FakePortmapper();

    std::uint16_t Port() const { return port_; }
    // Number of requests received so far.
    int Requests() const { return requests_.load(); }

private:
    void Run();

    Mode mode_;
    std::uint16_t answer_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<int> requests_{0};
    sim::StopSignal stop_;
    std::thread thread_;
};

// The network servers of voltora-sim run inside the test process around a
// handler the test chooses, with a fake portmapper pointing at the VXI-11
// server and a VXI-11 back-end that asks that portmapper registered in
// front of the process's back-ends. No rpcbind is involved.
class InProcessServers {
public:
    InProcessServers(sim::ServedMeter::Handler handler, sim::FaultOptions faults = {});
    ~InProcessServers();

    bool Ready() const { return ready_; }
    std::string SocketResource() const;
    static constexpr const char* kVxi11Resource = "TCPIP0::127.0.0.1::inst0::INSTR";
    std::uint16_t Vxi11Port() const { return vxi11_.Port(); }
    sim::Vxi11Server& Vxi11() { return vxi11_; }

private:
    sim::StopSignal stop_;
    sim::ServedMeter meter_;
    sim::SocketServer socket_;
    sim::Vxi11Server vxi11_;
    std::unique_ptr<FakePortmapper> portmapper_;
    std::shared_ptr<visa::IVisaBackend> backend_;
    std::thread socketThread_;
    std::thread vxi11Thread_;
    bool ready_ = false;
};

}  // namespace voltora::testing
