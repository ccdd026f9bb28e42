#include "visa/RpcClient.h"

#include "protocol/XdrProc.h"

#include <rpc/pmap_prot.h>

#include <algorithm>
#include <cstring>

#include <netinet/in.h>

namespace voltora::visa {
namespace {

constexpr std::size_t kMarkSize = 4;
// Room for the call header and small arguments; grown for long writes.
constexpr std::size_t kInitialOutbox = 4096;
// The largest call or reply accepted: the protocol's largest data block
// (64 MiB) and its headers.
constexpr std::size_t kMaxRecord = (std::size_t{64} << 20) + 4096;
// Bytes asked of the connection per receive.
constexpr std::size_t kReceiveRoom = 16 * 1024;
// A portmapper GETPORT reply: the RPC header and one word.
constexpr std::size_t kPortReplyLimit = RpcClient::kReplyHeaderRoom + 4;

// An enumerated field decoded from the peer, as the integer it holds.
template <typename Enum>
std::int32_t AsInteger(const Enum& field)
{
    static_assert(sizeof(Enum) == sizeof(std::int32_t));
    std::int32_t value = 0;
    std::memcpy(&value, &field, sizeof(value));
    return value;
}

}  // namespace

RpcClient::RpcClient() : outbox_(kInitialOutbox), inbox_(kMaxRecord)
{
    // Transaction ids only need to differ between the calls of this
    // connection; a start from the clock keeps them apart across
    // connections too, which helps when reading a capture.
    nextXid_ = static_cast<std::uint32_t>(Clock::now().time_since_epoch().count());
}

RpcClient::~RpcClient() = default;

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
    made->program_ = program;
    made->version_ = version;
    client = std::move(made);
    return VI_SUCCESS;
}

std::size_t RpcClient::EncodeCall(std::uint32_t xid, rpcproc_t procedure, xdrproc_t encodeArgs,
                                  void* args)
{
    rpc_msg call{};
    call.rm_xid = xid;
    call.rm_direction = CALL;
    call.rm_call.cb_rpcvers = RPC_MSG_VERSION;
    call.rm_call.cb_prog = program_;
    call.rm_call.cb_vers = version_;
    call.rm_call.cb_proc = procedure;
    call.rm_call.cb_cred = _null_auth;
    call.rm_call.cb_verf = _null_auth;
    for (int attempt = 0;; ++attempt) {
        XDR xdrs;
        xdrmem_create(&xdrs, outbox_.data() + kMarkSize,
                      static_cast<u_int>(outbox_.size() - kMarkSize), XDR_ENCODE);
        const bool encoded = xdr_callmsg(&xdrs, &call) && encodeArgs(&xdrs, args);
        const std::size_t size = xdr_getpos(&xdrs);
        xdr_destroy(&xdrs);
        if (encoded) {
            protocol::WriteRecordMark(outbox_.data(), static_cast<std::uint32_t>(size));
            return kMarkSize + size;
        }
        if (attempt > 0) {
            return 0;
        }
        // Out of room (a long write), or arguments that do not encode at
        // all: measure them, and try once more in a buffer that fits.
        const std::size_t header = xdr_sizeof(protocol::XdrProc<xdr_callmsg>(), &call);
        const std::size_t body = xdr_sizeof(encodeArgs, args);
        const std::size_t needed = kMarkSize + header + body;
        if (header == 0 || body == 0 || needed <= outbox_.size() || needed > kMaxRecord) {
            return 0;
        }
        outbox_.resize(needed);
    }
}

ViStatus RpcClient::ReceiveRecord(const char*& data, std::size_t& size,
                                  Clock::time_point deadline)
{
    for (;;) {
        switch (inbox_.NextRecord(data, size)) {
        case protocol::RpcRecordStream::Result::Complete:
            return VI_SUCCESS;
        case protocol::RpcRecordStream::Result::TooLarge:
            // The stream cannot be followed past this record.
            connection_->Interrupt();
            return VI_ERROR_IO;
        case protocol::RpcRecordStream::Result::NeedMore:
            break;
        }
        std::size_t room = 0;
        char* space = inbox_.Space(kReceiveRoom, room);
        std::size_t received = 0;
        const ViStatus status = connection_->ReceiveSome(space, room, received, deadline);
        if (status != VI_SUCCESS) {
            return status;
        }
        inbox_.Commit(received);
    }
}

ViStatus RpcClient::Call(rpcproc_t procedure, xdrproc_t encodeArgs, void* args,
                         xdrproc_t decodeResult, void* result, Clock::time_point deadline,
                         std::size_t replyLimit)
{
    if (connection_->IsInterrupted()) {
        return VI_ERROR_CONN_LOST;
    }
    replyLimit = std::min(replyLimit, kMaxRecord);
    inbox_.SetMaxRecordSize(std::max(replyLimit, lateReplyLimit_));
    const ViStatus outcome = Exchange(procedure, encodeArgs, args, decodeResult, result,
                                      deadline);
    if (outcome == VI_ERROR_TMO) {
        lateReplyLimit_ = std::max(lateReplyLimit_, replyLimit);
    }
    return outcome;
}

ViStatus RpcClient::Exchange(rpcproc_t procedure, xdrproc_t encodeArgs, void* args,
                             xdrproc_t decodeResult, void* result, Clock::time_point deadline)
{
    const std::uint32_t xid = nextXid_++;
    const std::size_t callSize = EncodeCall(xid, procedure, encodeArgs, args);
    if (callSize == 0) {
        return VI_ERROR_IO;
    }
    ViStatus status = connection_->SendAll(outbox_.data(), callSize, nullptr, 0, deadline);
    if (status != VI_SUCCESS) {
        return status;  // a call cut off part-way has ended the connection
    }
    for (;;) {
        const char* data = nullptr;
        std::size_t size = 0;
        status = ReceiveRecord(data, size, deadline);
        if (status != VI_SUCCESS) {
            return status;
        }
        if (size < sizeof(std::uint32_t) || protocol::ReadWord(data) != xid) {
            // The late reply to an earlier call (or a record too short to
            // be a reply): never decoded into this call's result.
            inbox_.Consume();
            continue;
        }
        // Replies come in the order of the calls: no earlier one is late any
        // more.
        lateReplyLimit_ = 0;
        char verifier[MAX_AUTH_BYTES];
        rpc_msg reply{};
        reply.acpted_rply.ar_verf = _null_auth;
        reply.acpted_rply.ar_verf.oa_base = verifier;
        reply.acpted_rply.ar_results.where = static_cast<caddr_t>(result);
        reply.acpted_rply.ar_results.proc = decodeResult;
        XDR xdrs;
        xdrmem_create(&xdrs, const_cast<char*>(data), static_cast<u_int>(size), XDR_DECODE);
        const bool decoded = xdr_replymsg(&xdrs, &reply);
        xdr_destroy(&xdrs);
        inbox_.Consume();
        // The status words are whatever the peer sent: read as integers,
        // since a value outside the enumerations is undefined as an enum.
        if (!decoded || AsInteger(reply.rm_direction) != REPLY) {
            return VI_ERROR_IO;
        }
        if (AsInteger(reply.rm_reply.rp_stat) != MSG_ACCEPTED ||
            AsInteger(reply.acpted_rply.ar_stat) != SUCCESS) {
            // Denied (authentication, version) or not carried out (no such
            // program or procedure, undecodable arguments, server error).
            return VI_ERROR_IO;
        }
        return VI_SUCCESS;
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
    status = portmapper->Call(PMAPPROC_GETPORT, protocol::XdrProc<xdr_pmap>(), &query,
                              protocol::XdrProc<xdr_u_long>(), &found, deadline, kPortReplyLimit);
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
