#include "sim/server/RpcServerChannel.h"

#include "protocol/XdrProc.h"
#include "sim/server/StopSignal.h"

#include <algorithm>
#include <cerrno>

#include <poll.h>
#include <sys/socket.h>

namespace voltora::sim {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMarkSize = 4;
constexpr std::size_t kReceiveRoom = 16 * 1024;

int PollMilliseconds(Clock::time_point deadline)
{
    if (deadline == Clock::time_point::max()) {
        return -1;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

std::vector<char> Encode(rpc_msg& reply)
{
    const unsigned long size = xdr_sizeof(protocol::XdrProc<xdr_replymsg>(), &reply);
    if (size == 0) {
        return {};
    }
    std::vector<char> record(kMarkSize + size);
    XDR xdrs;
    xdrmem_create(&xdrs, record.data() + kMarkSize, static_cast<u_int>(size), XDR_ENCODE);
    const bool encoded = xdr_replymsg(&xdrs, &reply);
    const std::size_t used = xdr_getpos(&xdrs);
    xdr_destroy(&xdrs);
    if (!encoded) {
        return {};
    }
    record.resize(kMarkSize + used);
    protocol::WriteRecordMark(record.data(), static_cast<std::uint32_t>(used));
    return record;
}

rpc_msg AcceptedReply(std::uint32_t xid)
{
    rpc_msg reply{};
    reply.rm_xid = xid;
    reply.rm_direction = REPLY;
    reply.rm_reply.rp_stat = MSG_ACCEPTED;
    reply.acpted_rply.ar_verf = _null_auth;
    return reply;
}

}  // namespace

bool DecodeRpcCall(const char* data, std::size_t size, RpcCall& call, XDR& xdrs)
{
    // Credentials and verifiers are read into these and ignored: every
    // caller is served alike.
    thread_local char credentials[MAX_AUTH_BYTES];
    thread_local char verifier[MAX_AUTH_BYTES];
    rpc_msg message{};
    message.rm_call.cb_cred.oa_base = credentials;
    message.rm_call.cb_verf.oa_base = verifier;
    xdrmem_create(&xdrs, const_cast<char*>(data), static_cast<u_int>(size), XDR_DECODE);
    if (size < 8) {
        return false;
    }
    // The version is checked before the rest: a call of another RPC
    // version is answered with a denial, which needs only its id.
    call.xid = protocol::ReadWord(data);
    if (protocol::ReadWord(data + 4) != CALL) {
        return false;
    }
    if (!xdr_callmsg(&xdrs, &message)) {
        if (size >= 12 && protocol::ReadWord(data + 8) != RPC_MSG_VERSION) {
            call.rpcVersionOk = false;
            return true;
        }
        return false;
    }
    call.rpcVersionOk = message.rm_call.cb_rpcvers == RPC_MSG_VERSION;
    call.program = message.rm_call.cb_prog;
    call.version = message.rm_call.cb_vers;
    call.procedure = message.rm_call.cb_proc;
    return true;
}

std::vector<char> EncodeRpcReply(std::uint32_t xid, xdrproc_t encode, void* result)
{
    rpc_msg reply = AcceptedReply(xid);
    reply.acpted_rply.ar_stat = SUCCESS;
    reply.acpted_rply.ar_results.where = static_cast<caddr_t>(result);
    reply.acpted_rply.ar_results.proc = encode;
    return Encode(reply);
}

std::vector<char> EncodeRpcError(std::uint32_t xid, accept_stat status, rpcvers_t version)
{
    rpc_msg reply = AcceptedReply(xid);
    reply.acpted_rply.ar_stat = status;
    if (status == PROG_MISMATCH) {
        reply.acpted_rply.ar_vers.low = version;
        reply.acpted_rply.ar_vers.high = version;
    } else {
        reply.acpted_rply.ar_results.where = nullptr;
        reply.acpted_rply.ar_results.proc = protocol::XdrNoData();
    }
    return Encode(reply);
}

std::vector<char> EncodeRpcVersionMismatch(std::uint32_t xid)
{
    rpc_msg reply{};
    reply.rm_xid = xid;
    reply.rm_direction = REPLY;
    reply.rm_reply.rp_stat = MSG_DENIED;
    reply.rjcted_rply.rj_stat = RPC_MISMATCH;
    reply.rjcted_rply.rj_vers.low = RPC_MSG_VERSION;
    reply.rjcted_rply.rj_vers.high = RPC_MSG_VERSION;
    return Encode(reply);
}

RpcServerChannel::RpcServerChannel(int fd, const StopSignal& stop, std::size_t maxRecord)
    : fd_(fd), stop_(stop), stream_(maxRecord)
{
}

bool RpcServerChannel::NextRecord(const char*& data, std::size_t& size,
                                  Clock::time_point deadline)
{
    for (;;) {
        switch (stream_.NextRecord(data, size)) {
        case protocol::RpcRecordStream::Result::Complete:
            return true;
        case protocol::RpcRecordStream::Result::TooLarge:
            return false;
        case protocol::RpcRecordStream::Result::NeedMore:
            break;
        }
        pollfd fds[2] = {{fd_, POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
        const int ready = poll(fds, 2, PollMilliseconds(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || fds[1].revents != 0) {
            return false;
        }
        std::size_t room = 0;
        char* space = stream_.Space(kReceiveRoom, room);
        const ssize_t got = recv(fd_, space, room, MSG_DONTWAIT);
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        stream_.Commit(static_cast<std::size_t>(got));
    }
}

bool RpcServerChannel::Send(const std::vector<char>& record, std::chrono::milliseconds limit)
{
    if (record.empty()) {
        return false;
    }
    // A client that stops reading must not hold this thread (and with it
    // the server's shutdown) in send for ever.
    const auto deadline = Clock::now() + limit;
    std::size_t sent = 0;
    while (sent < record.size()) {
        const ssize_t n = send(fd_, record.data() + sent, record.size() - sent,
                               MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        pollfd fds[2] = {{fd_, POLLOUT, 0}, {stop_.Fd(), POLLIN, 0}};
        const int ready = poll(fds, 2, PollMilliseconds(deadline));
        if (ready == 0 || fds[1].revents != 0 || (ready < 0 && errno != EINTR)) {
            return false;
        }
    }
    return true;
}

}  // namespace voltora::sim
