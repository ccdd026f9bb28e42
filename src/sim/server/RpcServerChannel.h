#pragma once

#include "protocol/RpcRecordStream.h"

#include <rpc/rpc.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace voltora::sim {

class StopSignal;

// One decoded ONC RPC call: its header, and an XDR stream over the record
// positioned at the call's arguments.
struct RpcCall {
    std::uint32_t xid = 0;
    rpcprog_t program = 0;
    rpcvers_t version = 0;
    rpcproc_t procedure = 0;
    // False when the record is no RPC version 2 call.
    bool rpcVersionOk = true;
};

// Decodes the header of the call in `data`; the arguments can then be
// decoded from `xdrs`, which the caller destroys. False when the record is
// not a call at all (it is then ignored, as a server must).
bool DecodeRpcCall(const char* data, std::size_t size, RpcCall& call, XDR& xdrs);

// The record (with its mark) that answers call `xid`: accepted with
// `result` encoded by `encode`, or accepted with `status` != SUCCESS
// (PROG_MISMATCH names `version` as the only one served), or denied for an
// RPC version other than 2. Empty when the result cannot be encoded.
std::vector<char> EncodeRpcReply(std::uint32_t xid, xdrproc_t encode, void* result);
std::vector<char> EncodeRpcError(std::uint32_t xid, accept_stat status, rpcvers_t version = 0);
std::vector<char> EncodeRpcVersionMismatch(std::uint32_t xid);

// One TCP connection of an RPC server: whole call records in, reply records
// out, every wait ended by the stop signal and every send bounded in time.
class RpcServerChannel {
public:
    RpcServerChannel(int fd, const StopSignal& stop, std::size_t maxRecord);

    // Waits for the next whole call record. False when the client closed
    // the connection, sent a record over the limit, the wait passed
    // `deadline`, or the server is stopping.
    bool NextRecord(const char*& data, std::size_t& size,
                    std::chrono::steady_clock::time_point deadline =
                        std::chrono::steady_clock::time_point::max());
    // Drops the record NextRecord() returned.
    void Consume() { stream_.Consume(); }
    // Sends one reply record within `limit`; false when it could not.
    bool Send(const std::vector<char>& record,
              std::chrono::milliseconds limit = std::chrono::seconds(10));

    int Fd() const { return fd_; }

private:
    int fd_;
    const StopSignal& stop_;
    protocol::RpcRecordStream stream_;
};

}  // namespace voltora::sim
