// The RPC record stream and the decoding of replies a VXI-11 client reads:
// bytes arrive in pieces of any size, whole records come out, and each is
// decoded as the client decodes a reply.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "protocol/RpcRecordStream.h"
#include "protocol/VxiProtocol.h"
#include "protocol/XdrProc.h"

#include <rpc/rpc.h>

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace voltora::protocol;
using voltora::fuzz::Check;

namespace {

void DecodeReply(const char* data, std::size_t size, int kind)
{
    char verifier[MAX_AUTH_BYTES];
    char readData[256];
    vxi11::DeviceReadResp read;
    read.data = readData;
    read.capacity = sizeof readData;
    vxi11::CreateLinkResp link;
    vxi11::DeviceWriteResp write;
    u_long port = 0;
    rpc_msg reply{};
    reply.acpted_rply.ar_verf = _null_auth;
    reply.acpted_rply.ar_verf.oa_base = verifier;
    switch (kind % 4) {
    case 0:
        reply.acpted_rply.ar_results.where = reinterpret_cast<caddr_t>(&read);
        reply.acpted_rply.ar_results.proc = XdrProc<vxi11::XdrDeviceReadResp>();
        break;
    case 1:
        reply.acpted_rply.ar_results.where = reinterpret_cast<caddr_t>(&link);
        reply.acpted_rply.ar_results.proc = XdrProc<vxi11::XdrCreateLinkResp>();
        break;
    case 2:
        reply.acpted_rply.ar_results.where = reinterpret_cast<caddr_t>(&write);
        reply.acpted_rply.ar_results.proc = XdrProc<vxi11::XdrDeviceWriteResp>();
        break;
    default:
        reply.acpted_rply.ar_results.where = reinterpret_cast<caddr_t>(&port);
        reply.acpted_rply.ar_results.proc = XdrProc<xdr_u_long>();
        break;
    }
    XDR xdrs;
    xdrmem_create(&xdrs, const_cast<char*>(data), static_cast<u_int>(size), XDR_DECODE);
    const bool decoded = xdr_replymsg(&xdrs, &reply);
    xdr_destroy(&xdrs);
    if (decoded && kind % 4 == 0) {
        Check(read.data == readData);
        Check(read.dataLength <= read.capacity);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    voltora::fuzz::FuzzInput input(bytes, size);
    const std::size_t limit = 16 + input.Byte() * 64;
    const int kind = input.Byte();
    RpcRecordStream stream(limit);
    std::size_t given = 0;
    std::size_t taken = 0;
    while (!input.Empty()) {
        const std::string_view piece = input.Bytes(1 + input.Byte() % 64);
        std::size_t room = 0;
        char* space = stream.Space(piece.size(), room);
        Check(room >= piece.size());
        std::memcpy(space, piece.data(), piece.size());
        stream.Commit(piece.size());
        given += piece.size();
        for (;;) {
            const char* data = nullptr;
            std::size_t record = 0;
            const auto result = stream.NextRecord(data, record);
            if (result != RpcRecordStream::Result::Complete) {
                if (result == RpcRecordStream::Result::TooLarge) {
                    return 0;  // the client gives the connection up here
                }
                break;
            }
            Check(record <= limit);
            DecodeReply(data, record, kind);
            stream.Consume();
            taken += record;
        }
        Check(stream.Buffered() + taken <= given);
    }
    return 0;
}
