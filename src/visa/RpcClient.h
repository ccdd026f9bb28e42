#pragma once

#include "protocol/RpcRecordStream.h"
#include "visa/TcpConnection.h"
#include "visa/visa.h"

#include <rpc/rpc.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace voltora::visa {

// An ONC RPC client over one TCP connection of our own. Calls are encoded
// with the RPC library's XDR routines, framed as one record and sent with a
// single send; replies are read into a record stream and decoded there. So
// a call costs one send and (usually) one receive, every wait is bounded by
// the call's deadline, and another thread can break a call in progress
// (Interrupt). A reply that arrives after its call timed out carries an old
// transaction id and is skipped, so it is never taken for the reply to a
// later call.
class RpcClient {
public:
    using Clock = std::chrono::steady_clock;

    ~RpcClient();

    // Connects to host:port for calls to program/version.
    static ViStatus Connect(const std::string& host, std::uint16_t port, rpcprog_t program,
                            rpcvers_t version, Clock::time_point deadline,
                            std::unique_ptr<RpcClient>& client);

    // Room for a reply's RPC header: transaction id, direction, status,
    // the largest verifier and the accept status.
    static constexpr std::size_t kReplyHeaderRoom = 512;
    // The reply limit of calls that name none: any reply of a call without
    // bulk data fits.
    static constexpr std::size_t kDefaultReplyLimit = 64 * 1024;

    // One call, bounded by `deadline`. VI_SUCCESS, VI_ERROR_TMO,
    // VI_ERROR_CONN_LOST (connection gone or interrupted) or VI_ERROR_IO
    // (the server refused the call or sent something undecodable). A reply
    // record longer than `replyLimit` bytes (its record marks counted) is
    // not received further: the call fails with VI_ERROR_IO and ends the
    // connection, so a peer cannot make the client hold more than the call
    // can legitimately return.
    ViStatus Call(rpcproc_t procedure, xdrproc_t encodeArgs, void* args, xdrproc_t decodeResult,
                  void* result, Clock::time_point deadline,
                  std::size_t replyLimit = kDefaultReplyLimit);

    // Breaks a call in progress in another thread; later calls fail.
    void Interrupt() { connection_->Interrupt(); }

private:
    RpcClient();

    // Encodes the call into outbox_ behind its record mark; the encoded
    // size including the mark, or 0 when the arguments cannot be encoded.
    std::size_t EncodeCall(std::uint32_t xid, rpcproc_t procedure, xdrproc_t encodeArgs,
                           void* args);
    // Sends the call and receives its reply.
    ViStatus Exchange(rpcproc_t procedure, xdrproc_t encodeArgs, void* args,
                      xdrproc_t decodeResult, void* result, Clock::time_point deadline);
    // Receives until a whole reply record is in the stream.
    ViStatus ReceiveRecord(const char*& data, std::size_t& size, Clock::time_point deadline);

    std::unique_ptr<TcpConnection> connection_;
    rpcprog_t program_ = 0;
    rpcvers_t version_ = 0;
    std::uint32_t nextXid_ = 0;
    // The largest reply limit of earlier calls that ended before their
    // reply came: that reply may still arrive and must pass to be skipped.
    std::size_t lateReplyLimit_ = 0;
    std::vector<char> outbox_;
    protocol::RpcRecordStream inbox_;
};

// Asks the portmapper at host:portmapperPort for the TCP port of
// program/version. `port` is 0 when the program is not registered.
ViStatus LookUpRpcPort(const std::string& host, std::uint16_t portmapperPort, rpcprog_t program,
                       rpcvers_t version, std::chrono::steady_clock::time_point deadline,
                       std::uint16_t& port);

}  // namespace voltora::visa
