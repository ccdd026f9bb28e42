#pragma once

#include "visa/TcpConnection.h"
#include "visa/visa.h"

#include <rpc/rpc.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace voltora::visa {

// An ONC RPC client over one TCP connection of our own, so that connecting,
// sending and waiting for replies are all bounded by deadlines, and another
// thread can break a call in progress (Interrupt). A reply that arrives after
// its call timed out carries an old transaction id and is skipped by the RPC
// library, so it is never taken for the reply to a later call.
class RpcClient {
public:
    using Clock = std::chrono::steady_clock;

    ~RpcClient();

    // Connects to host:port and sets up a client of program/version.
    static ViStatus Connect(const std::string& host, std::uint16_t port, rpcprog_t program,
                            rpcvers_t version, Clock::time_point deadline,
                            std::unique_ptr<RpcClient>& client);

    // One call, bounded by `deadline`. VI_SUCCESS, VI_ERROR_TMO,
    // VI_ERROR_CONN_LOST (connection gone or interrupted) or VI_ERROR_IO
    // (the server refused the call or sent something undecodable).
    ViStatus Call(rpcproc_t procedure, xdrproc_t encodeArgs, void* args, xdrproc_t decodeResult,
                  void* result, Clock::time_point deadline);

    // Breaks a call in progress in another thread; later calls fail.
    void Interrupt() { connection_->Interrupt(); }

private:
    RpcClient() = default;

    std::unique_ptr<TcpConnection> connection_;
    CLIENT* client_ = nullptr;
};

// Asks the portmapper at host:portmapperPort for the TCP port of
// program/version. `port` is 0 when the program is not registered.
ViStatus LookUpRpcPort(const std::string& host, std::uint16_t portmapperPort, rpcprog_t program,
                       rpcvers_t version, std::chrono::steady_clock::time_point deadline,
                       std::uint16_t& port);

}  // namespace voltora::visa
