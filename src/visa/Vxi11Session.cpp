#include "visa/Vxi11Session.h"

#include "protocol/VxiProtocol.h"
#include "protocol/XdrProc.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <vector>

namespace voltora::visa {
namespace {

namespace vxi11 = protocol::vxi11;

using Clock = std::chrono::steady_clock;

std::uint32_t Milliseconds(std::chrono::milliseconds timeout)
{
    return static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(timeout.count(), 0, std::numeric_limits<std::uint32_t>::max()));
}

std::int32_t NextClientId()
{
    static std::atomic<std::int32_t> next{1};
    return next.fetch_add(1);
}

}  // namespace

ViStatus Vxi11ErrorStatus(std::int32_t error)
{
    switch (error) {
    case vxi11::kNoError:
        return VI_SUCCESS;
    case vxi11::kIoTimeout:
        return VI_ERROR_TMO;
    case vxi11::kDeviceNotAccessible:
    case vxi11::kInvalidAddress:
        return VI_ERROR_RSRC_NFOUND;
    case vxi11::kDeviceLockedByAnotherLink:
        return VI_ERROR_RSRC_BUSY;
    case vxi11::kOutOfResources:
        return VI_ERROR_ALLOC;
    case vxi11::kInvalidLinkId:
        return VI_ERROR_CONN_LOST;
    case vxi11::kOperationNotSupported:
        return VI_ERROR_NSUP_OPER;
    default:
        return VI_ERROR_IO;
    }
}

Vxi11Session::~Vxi11Session() = default;

ViStatus Vxi11Session::Open(const Endpoint& endpoint, std::chrono::milliseconds timeout,
                            std::unique_ptr<IVisaSession>& session)
{
    const auto deadline = Clock::now() + timeout;
    std::uint16_t port = endpoint.corePort;
    ViStatus status = VI_SUCCESS;
    if (port == 0) {
        status = LookUpRpcPort(endpoint.host, endpoint.portmapperPort, vxi11::kCoreProgram,
                               vxi11::kCoreVersion, deadline, port);
    }
    if (status != VI_SUCCESS) {
        return status;
    }
    if (port == 0) {
        // The host answers but has no instrument registered.
        return VI_ERROR_RSRC_NFOUND;
    }
    std::unique_ptr<Vxi11Session> made(new Vxi11Session());
    status = RpcClient::Connect(endpoint.host, port, vxi11::kCoreProgram, vxi11::kCoreVersion,
                                deadline, made->rpc_);
    if (status != VI_SUCCESS) {
        return status;
    }
    std::string device = endpoint.device;
    vxi11::CreateLinkParms parms;
    parms.clientId = NextClientId();
    parms.lockDevice = 0;
    parms.lockTimeout = 0;
    parms.device = device.data();
    vxi11::CreateLinkResp reply;
    status =
        made->rpc_->Call(vxi11::kCreateLink, protocol::XdrProc<vxi11::XdrCreateLinkParms>(), &parms,
                         protocol::XdrProc<vxi11::XdrCreateLinkResp>(), &reply, deadline);
    if (status != VI_SUCCESS) {
        return status;
    }
    if (reply.error != vxi11::kNoError) {
        return Vxi11ErrorStatus(reply.error);
    }
    made->link_ = reply.lid;
    // The protocol promises at least 1024; a server that says less is taken
    // at that floor rather than sending one byte at a time.
    made->maxReceiveSize_ = std::max<std::uint32_t>(reply.maxRecvSize, 1024);
    made->closeTimeout_ = std::min(timeout, std::chrono::milliseconds(1000));
    if (reply.abortPort != 0) {
        // Without an abort channel the link still works; a read that times
        // out then cannot stop the instrument's reply.
        const auto abortDeadline = std::min(deadline, Clock::now() + made->closeTimeout_);
        if (RpcClient::Connect(endpoint.host, reply.abortPort, vxi11::kAbortProgram,
                               vxi11::kAbortVersion, abortDeadline,
                               made->abort_) != VI_SUCCESS) {
            made->abort_.reset();
        }
    }
    session = std::move(made);
    return VI_SUCCESS;
}

bool Vxi11Session::BeginCall()
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (closed_) {
        return false;
    }
    callRunning_ = true;
    return true;
}

void Vxi11Session::EndCall()
{
    std::lock_guard<std::mutex> guard(mutex_);
    callRunning_ = false;
}

ViStatus Vxi11Session::Write(const ViByte* data, std::size_t size, std::size_t& written,
                             std::chrono::milliseconds timeout)
{
    written = 0;
    if (!BeginCall()) {
        return VI_ERROR_CONN_LOST;
    }
    const auto deadline = Clock::now() + timeout;
    ViStatus status = VI_SUCCESS;
    do {
        const std::size_t chunk = std::min<std::size_t>(size - written, maxReceiveSize_);
        const bool last = written + chunk == size;
        vxi11::DeviceWriteParms parms;
        parms.lid = link_;
        parms.ioTimeout = Milliseconds(timeout);
        parms.lockTimeout = 0;
        parms.flags = last ? vxi11::kFlagEnd : 0;
        parms.dataLength = static_cast<u_int>(chunk);
        parms.data = reinterpret_cast<char*>(const_cast<ViByte*>(data + written));
        vxi11::DeviceWriteResp reply;
        status =
            rpc_->Call(vxi11::kDeviceWrite, protocol::XdrProc<vxi11::XdrDeviceWriteParms>(), &parms,
                       protocol::XdrProc<vxi11::XdrDeviceWriteResp>(), &reply, deadline);
        if (status == VI_SUCCESS && reply.error != vxi11::kNoError) {
            status = Vxi11ErrorStatus(reply.error);
        }
        if (status == VI_SUCCESS && (reply.size == 0 || reply.size > chunk)) {
            // A device that takes nothing (or claims more than it was sent)
            // would make this loop forever or skip bytes.
            status = VI_ERROR_IO;
        }
        if (status != VI_SUCCESS) {
            break;
        }
        written += reply.size;
    } while (written < size);
    EndCall();
    return status;
}

ViStatus Vxi11Session::Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                            std::chrono::milliseconds timeout)
{
    received = 0;
    end = false;
    if (!BeginCall()) {
        return VI_ERROR_CONN_LOST;
    }
    const auto deadline = Clock::now() + timeout;
    vxi11::DeviceReadParms parms;
    parms.lid = link_;
    parms.requestSize = static_cast<std::uint32_t>(
        std::min<std::size_t>(size, std::numeric_limits<std::int32_t>::max()));
    parms.ioTimeout = Milliseconds(timeout);
    parms.lockTimeout = 0;
    parms.flags = 0;
    vxi11::DeviceReadResp reply;
    // The reply's bytes are decoded straight into the caller's buffer.
    reply.data = reinterpret_cast<char*>(buffer);
    reply.capacity = parms.requestSize;
    // The reply holds at most the bytes asked for, behind its header, error,
    // reason, length and padding.
    const std::size_t replyLimit = RpcClient::kReplyHeaderRoom + 16 + parms.requestSize;
    ViStatus status =
        rpc_->Call(vxi11::kDeviceRead, protocol::XdrProc<vxi11::XdrDeviceReadParms>(), &parms,
                   protocol::XdrProc<vxi11::XdrDeviceReadResp>(), &reply, deadline, replyLimit);
    if (status == VI_ERROR_TMO) {
        // The instrument is still inside this device_read, and may yet
        // send (part of) its reply: stop it, so that this reply cannot be
        // taken for the answer to the next query.
        AbortRead(size);
    }
    EndCall();
    if (status != VI_SUCCESS) {
        return status;
    }
    received = reply.dataLength;
    end = (reply.reason & (vxi11::kReasonEnd | vxi11::kReasonTermChar)) != 0;
    if (reply.error != vxi11::kNoError) {
        end = false;
        return Vxi11ErrorStatus(reply.error);
    }
    return VI_SUCCESS;
}

void Vxi11Session::AbortRead(std::size_t size)
{
    if (abort_ == nullptr) {
        return;
    }
    // Bounded like destroy_link: the read already used up its time.
    const auto deadline = Clock::now() + closeTimeout_;
    std::int32_t link = link_;
    std::int32_t error = 0;
    if (abort_->Call(vxi11::kDeviceAbort, protocol::XdrProc<vxi11::XdrInt32>(), &link,
                     protocol::XdrProc<vxi11::XdrInt32>(), &error, deadline) != VI_SUCCESS ||
        error != vxi11::kNoError) {
        return;
    }
    // The aborted device_read answers first on the core channel (and is
    // skipped as a late reply); reads that do not wait then take whatever
    // the instrument still holds of the reply, until it has nothing more.
    std::vector<char> discard(std::clamp<std::size_t>(size, 1024, 64 * 1024));
    for (int round = 0; round < 64 && Clock::now() < deadline; ++round) {
        vxi11::DeviceReadParms parms;
        parms.lid = link_;
        parms.requestSize = static_cast<std::uint32_t>(discard.size());
        parms.ioTimeout = 0;
        vxi11::DeviceReadResp reply;
        reply.data = discard.data();
        reply.capacity = parms.requestSize;
        if (rpc_->Call(vxi11::kDeviceRead, protocol::XdrProc<vxi11::XdrDeviceReadParms>(), &parms,
                       protocol::XdrProc<vxi11::XdrDeviceReadResp>(), &reply,
                       deadline) != VI_SUCCESS ||
            reply.error != vxi11::kNoError || (reply.reason & vxi11::kReasonEnd) != 0) {
            return;
        }
    }
}

ViStatus Vxi11Session::Clear(std::chrono::milliseconds timeout)
{
    if (!BeginCall()) {
        return VI_ERROR_CONN_LOST;
    }
    vxi11::DeviceGenericParms parms;
    parms.lid = link_;
    parms.flags = 0;
    parms.lockTimeout = 0;
    parms.ioTimeout = Milliseconds(timeout);
    std::int32_t error = 0;
    ViStatus status =
        rpc_->Call(vxi11::kDeviceClear, protocol::XdrProc<vxi11::XdrDeviceGenericParms>(), &parms,
                   protocol::XdrProc<vxi11::XdrInt32>(), &error, Clock::now() + timeout);
    EndCall();
    if (status == VI_SUCCESS) {
        status = Vxi11ErrorStatus(error);
    }
    return status;
}

void Vxi11Session::Close()
{
    bool interruptCall = false;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_) {
            return;
        }
        closed_ = true;
        interruptCall = callRunning_;
    }
    if (interruptCall) {
        // A call is blocked in another thread: breaking the connection wakes
        // it at once, and the instrument drops the link with the connection.
        rpc_->Interrupt();
        if (abort_ != nullptr) {
            abort_->Interrupt();
        }
        return;
    }
    std::int32_t link = link_;
    std::int32_t error = 0;
    rpc_->Call(vxi11::kDestroyLink, protocol::XdrProc<vxi11::XdrInt32>(), &link,
               protocol::XdrProc<vxi11::XdrInt32>(), &error, Clock::now() + closeTimeout_);
    rpc_->Interrupt();
    if (abort_ != nullptr) {
        abort_->Interrupt();
    }
}

}  // namespace voltora::visa
