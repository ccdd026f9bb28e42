#pragma once

#include "sim/server/ServedMeter.h"
#include "sim/server/StopSignal.h"

#include <rpc/rpc.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>

namespace voltora::sim {

// Serves the meter as a VXI-11 instrument (core channel over TCP) through
// the RPC library's server side, optionally registered with the host's
// rpcbind so that clients find it by the portmapper. The RPC library keeps
// its server state per process, so a process runs one of these at a time.
// Requests are handled one at a time, in order of arrival.
class Vxi11Server {
public:
    // Largest chunk of a message this server accepts in one device_write.
    static constexpr std::uint32_t kMaxReceiveSize = 4096;

    Vxi11Server(ServedMeter& meter, const StopSignal& stop);
    ~Vxi11Server();
    Vxi11Server(const Vxi11Server&) = delete;
    Vxi11Server& operator=(const Vxi11Server&) = delete;

    bool Listen(const std::string& address, std::uint16_t port, std::string& error);
    // Registers the core channel's port with rpcbind (replacing any earlier
    // registration of the program, such as one left by a killed server).
    bool Register(std::string& error);
    std::uint16_t Port() const { return port_; }

    // Serves until the stop signal.
    void Run();

private:
    struct Link {
        std::string incoming;  // message chunks received so far, without END
        std::string output;    // the reply not yet read
        std::size_t outputOffset = 0;
        std::chrono::steady_clock::time_point readyAt{};
        ServedReply shape;     // how the current reply is to be sent
        bool firstChunkSent = false;
    };

    static void Dispatch(svc_req* request, SVCXPRT* transport);
    void Handle(svc_req* request, SVCXPRT* transport);
    void CreateLink(SVCXPRT* transport);
    void DeviceWrite(SVCXPRT* transport);
    void DeviceRead(SVCXPRT* transport);
    void ReplyError(SVCXPRT* transport, xdrproc_t decodeArgs, void* args);
    Link* FindLink(std::int32_t lid);

    ServedMeter& meter_;
    const StopSignal& stop_;
    int listenFd_ = -1;
    SVCXPRT* listener_ = nullptr;
    std::uint16_t port_ = 0;
    bool registered_ = false;
    std::map<std::int32_t, Link> links_;
    std::int32_t nextLink_ = 1;
};

}  // namespace voltora::sim
