#include "visa/RpcClient.h"

#include <rpc/pmap_prot.h>

#include <algorithm>
#include <csignal>
#include <ctime>

#include <netinet/in.h>
#include <pthread.h>
#include <sys/socket.h>

namespace voltora::visa {
namespace {

// The RPC library writes with write(), which raises SIGPIPE when the peer has
// gone; by default that ends the process. The signal is blocked in this
// thread for the length of a call, and one raised meanwhile is taken off
// before the mask is restored, so a lost connection is just a failed call.
class ScopedSigpipeBlock {
public:
    ScopedSigpipeBlock()
    {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
    }

    ~ScopedSigpipeBlock()
    {
        if (sigismember(&previous_, SIGPIPE)) {
            return;  // it was blocked before: leave it to the thread's owner
        }
        sigset_t pending;
        if (sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE)) {
            const timespec noWait{};
            while (sigtimedwait(&pipe_, nullptr, &noWait) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }

    ScopedSigpipeBlock(const ScopedSigpipeBlock&) = delete;
    ScopedSigpipeBlock& operator=(const ScopedSigpipeBlock&) = delete;

private:
    sigset_t pipe_;
    sigset_t previous_;
};

}  // namespace

RpcClient::~RpcClient()
{
    if (client_ != nullptr) {
        clnt_destroy(client_);
    }
}

ViStatus RpcClient::Connect(const std::string& host, std::uint16_t port, rpcprog_t program,
                            rpcvers_t version, Clock::time_point deadline,
                            std::unique_ptr<RpcClient>& client)
{
    std::unique_ptr<RpcClient> made(new RpcClient());
    made->connection_ = std::make_unique<TcpConnection>();
    const ViStatus status = made->connection_->Connect(host, port, deadline);
    if (status != VI_SUCCESS) {
        return status;
    }
    // The RPC library does its own reading and writing on the (blocking)
    // socket; it waits for replies with poll() and a time-out, and its
    // writes are bounded by the socket's send time-out, set before each call.
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof(peer);
    if (getpeername(made->connection_->Fd(), reinterpret_cast<sockaddr*>(&peer), &peerLength) !=
        0) {
        return VI_ERROR_CONN_LOST;
    }
    netbuf address{};
    address.buf = &peer;
    address.len = peerLength;
    address.maxlen = sizeof(peer);
    made->client_ = clnt_vc_create(made->connection_->Fd(), &address, program, version, 0, 0);
    if (made->client_ == nullptr) {
        return VI_ERROR_SYSTEM_ERROR;
    }
    // The connection object owns the socket.
    clnt_control(made->client_, CLSET_FD_NCLOSE, nullptr);
    client = std::move(made);
    return VI_SUCCESS;
}

ViStatus RpcClient::Call(rpcproc_t procedure, xdrproc_t encodeArgs, void* args,
                         xdrproc_t decodeResult, void* result, Clock::time_point deadline)
{
    if (connection_->IsInterrupted()) {
        return VI_ERROR_CONN_LOST;
    }
    // At least 1 ms: a zero wait means "send and do not wait" to the library.
    const auto wait = std::max(std::chrono::milliseconds(MillisecondsUntil(deadline)),
                               std::chrono::milliseconds(1));
    connection_->SetSendTimeout(static_cast<int>(wait.count()));
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(wait.count() / 1000);
    limit.tv_usec = static_cast<suseconds_t>((wait.count() % 1000) * 1000);
    clnt_control(client_, CLSET_TIMEOUT, reinterpret_cast<char*>(&limit));
    ScopedSigpipeBlock noSigpipe;
    const clnt_stat status =
        clnt_call(client_, procedure, encodeArgs, static_cast<caddr_t>(args), decodeResult,
                  static_cast<caddr_t>(result), limit);
    switch (status) {
    case RPC_SUCCESS:
        return VI_SUCCESS;
    case RPC_TIMEDOUT:
        return connection_->IsInterrupted() ? VI_ERROR_CONN_LOST : VI_ERROR_TMO;
    case RPC_CANTSEND:
    case RPC_CANTRECV:
        // A send that blocked until its time-out ran out is a time-out too.
        if (!connection_->IsInterrupted() && Clock::now() >= deadline) {
            return VI_ERROR_TMO;
        }
        return VI_ERROR_CONN_LOST;
    default:
        return connection_->IsInterrupted() ? VI_ERROR_CONN_LOST : VI_ERROR_IO;
    }
}

ViStatus LookUpRpcPort(const std::string& host, std::uint16_t portmapperPort, rpcprog_t program,
                       rpcvers_t version, std::chrono::steady_clock::time_point deadline,
                       std::uint16_t& port)
{
    port = 0;
    std::unique_ptr<RpcClient> portmapper;
    ViStatus status = RpcClient::Connect(host, portmapperPort, PMAPPROG, PMAPVERS, deadline,
                                         portmapper);
    if (status != VI_SUCCESS) {
        return status;
    }
    pmap query{};
    query.pm_prog = program;
    query.pm_vers = version;
    query.pm_prot = IPPROTO_TCP;
    query.pm_port = 0;
    u_long found = 0;
    status = portmapper->Call(PMAPPROC_GETPORT, reinterpret_cast<xdrproc_t>(xdr_pmap), &query,
                              reinterpret_cast<xdrproc_t>(xdr_u_long), &found, deadline);
    if (status != VI_SUCCESS) {
        return status;
    }
    if (found > 65535) {
        return VI_ERROR_IO;
    }
    port = static_cast<std::uint16_t>(found);
    return VI_SUCCESS;
}

}  // namespace voltora::visa
