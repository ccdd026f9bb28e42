#include "sim/server/Vxi11Server.h"

#include "protocol/VxiProtocol.h"
#include "protocol/XdrProc.h"
#include "sim/server/ListeningSocket.h"
#include "sim/server/RpcServerChannel.h"

#include <rpc/pmap_clnt.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace voltora::sim {
namespace {

namespace vxi11 = voltora::protocol::vxi11;
using Clock = std::chrono::steady_clock;

// A call record: the largest device_write chunk taken and its headers.
constexpr std::size_t kMaxCallRecord = 64 * 1024;
// Largest piece of a reply sent in one device_read.
constexpr std::size_t kMaxReadChunk = std::size_t{1} << 20;
// How long accepting pauses after running out of descriptors or memory.
constexpr std::chrono::milliseconds kAcceptBackOff{100};

template <typename T>
bool DecodeArgs(XDR& xdrs, bool_t (*routine)(XDR*, T*), T& args)
{
    return routine(&xdrs, &args) != 0;
}

std::vector<char> ReplyInt(std::uint32_t xid, std::int32_t value)
{
    return EncodeRpcReply(xid, protocol::XdrProc<vxi11::XdrInt32>(), &value);
}

}  // namespace

Vxi11Server::Vxi11Server(ServedMeter& meter, const StopSignal& stop)
    : meter_(meter), stop_(stop)
{
}

Vxi11Server::~Vxi11Server()
{
    if (registered_) {
        pmap_unset(vxi11::kCoreProgram, vxi11::kCoreVersion);
    }
    Reap(true);
    for (int fd : {listenFd_, abortFd_, unusedFd_}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

bool Vxi11Server::Listen(const std::string& address, std::uint16_t port, std::string& error)
{
    listenFd_ = ListenTcp(address, port, error);
    if (listenFd_ < 0) {
        return false;
    }
    abortFd_ = ListenTcp(address, 0, error);
    if (abortFd_ < 0) {
        return false;
    }
    // A deep queue of pending connections: a burst of clients connecting
    // at once is accepted at once instead of some waiting for a retry.
    listen(listenFd_, SOMAXCONN);
    listen(abortFd_, SOMAXCONN);
    // A port bound but never listened on, for an abort channel that cannot
    // be reached.
    unusedFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in unused{};
    unused.sin_family = AF_INET;
    unused.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (unusedFd_ >= 0 &&
        bind(unusedFd_, reinterpret_cast<sockaddr*>(&unused), sizeof(unused)) == 0) {
        unusedPort_ = LocalPort(unusedFd_);
    }
    port_ = LocalPort(listenFd_);
    abortPort_ = LocalPort(abortFd_);
    return true;
}

bool Vxi11Server::Register(std::string& error)
{
    pmap_unset(vxi11::kCoreProgram, vxi11::kCoreVersion);
    if (!pmap_set(vxi11::kCoreProgram, vxi11::kCoreVersion, IPPROTO_TCP, port_)) {
        error =
            "could not register with rpcbind (is it running? start it with \"rpcbind -w\" as "
            "root, or pass --no-rpcbind)";
        return false;
    }
    registered_ = true;
    return true;
}

std::size_t Vxi11Server::LinkCount() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return links_.size();
}

std::size_t Vxi11Server::PendingMessageBytes() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    std::size_t total = 0;
    for (const auto& [lid, link] : links_) {
        std::lock_guard<std::mutex> linkGuard(link->mutex);
        total += link->incoming.capacity() + link->output.capacity();
    }
    return total;
}

std::shared_ptr<Vxi11Server::Link> Vxi11Server::FindLink(std::int32_t lid) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    const auto found = links_.find(lid);
    return found == links_.end() ? nullptr : found->second;
}

void Vxi11Server::Run()
{
    for (;;) {
        Reap(false);
        pollfd fds[3] = {{listenFd_, POLLIN, 0}, {abortFd_, POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
        // Woken once a second at the least, so finished clients are reaped
        // even while nobody new connects.
        const int ready = poll(fds, 3, 1000);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (fds[2].revents != 0) {
            break;
        }
        if (fds[0].revents != 0) {
            Accept(listenFd_, false);
        }
        if (fds[1].revents != 0) {
            Accept(abortFd_, true);
        }
    }
    // Wake every client thread: waits in device_read end on the stop
    // signal, and reads on the sockets end with the shutdown.
    {
        std::lock_guard<std::mutex> guard(mutex_);
        for (auto& [lid, link] : links_) {
            std::lock_guard<std::mutex> linkGuard(link->mutex);
            link->wake.notify_all();
        }
    }
    for (Client& client : clients_) {
        shutdown(client.fd, SHUT_RDWR);
    }
    Reap(true);
}

void Vxi11Server::Accept(int listenFd, bool abortChannel)
{
    const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // Retrying at once would spin: give finished clients time to
            // leave and free their descriptors.
            Reap(false);
            stop_.WaitFor(kAcceptBackOff);
        }
        return;
    }
    if (clients_.size() >= kMaxConnections) {
        Reap(false);
    }
    if (clients_.size() >= kMaxConnections) {
        Refuse(fd);
        return;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    Client& client = clients_.emplace_back();
    client.fd = fd;
    client.thread = std::thread([this, &client, abortChannel] {
        if (abortChannel) {
            ServeAbort(client);
        } else {
            ServeCore(client);
        }
        client.done = true;
    });
}

void Vxi11Server::Refuse(int fd)
{
    // The client hears why: its first call (within a moment) is answered
    // "out of resources" (create_link) or "system error" (anything else),
    // then the connection closes.
    refused_.fetch_add(1);
    std::fprintf(stderr, "voltora-sim: VXI-11: refusing a client, %zu connections open\n",
                 clients_.size());
    RpcServerChannel channel(fd, stop_, kMaxCallRecord);
    const char* data = nullptr;
    std::size_t size = 0;
    if (channel.NextRecord(data, size, Clock::now() + std::chrono::milliseconds(200))) {
        RpcCall call;
        XDR xdrs;
        if (DecodeRpcCall(data, size, call, xdrs)) {
            if (call.program == vxi11::kCoreProgram && call.procedure == vxi11::kCreateLink) {
                vxi11::CreateLinkResp reply;
                reply.error = vxi11::kOutOfResources;
                channel.Send(
                    EncodeRpcReply(call.xid, protocol::XdrProc<vxi11::XdrCreateLinkResp>(), &reply),
                    std::chrono::milliseconds(200));
            } else {
                channel.Send(EncodeRpcError(call.xid, SYSTEM_ERR), std::chrono::milliseconds(200));
            }
        }
        xdr_destroy(&xdrs);
    }
    close(fd);
}

void Vxi11Server::Reap(bool all)
{
    for (auto it = clients_.begin(); it != clients_.end();) {
        if (all || it->done.load()) {
            if (it->thread.joinable()) {
                it->thread.join();
            }
            close(it->fd);
            it = clients_.erase(it);
        } else {
            ++it;
        }
    }
}

void Vxi11Server::ServeCore(Client& client)
{
    RpcServerChannel channel(client.fd, stop_, kMaxCallRecord);
    // The links this connection created: they end with it.
    std::vector<std::int32_t> own;
    const char* data = nullptr;
    std::size_t size = 0;
    while (channel.NextRecord(data, size)) {
        RpcCall call;
        XDR args;
        const bool isCall = DecodeRpcCall(data, size, call, args);
        std::vector<char> reply;
        bool closeNow = false;
        if (!isCall) {
            // Not a call: ignored, as RPC servers do.
        } else if (!call.rpcVersionOk) {
            reply = EncodeRpcVersionMismatch(call.xid);
        } else if (call.program != vxi11::kCoreProgram) {
            reply = EncodeRpcError(call.xid, PROG_UNAVAIL);
        } else if (call.version != vxi11::kCoreVersion) {
            reply = EncodeRpcError(call.xid, PROG_MISMATCH, vxi11::kCoreVersion);
        } else {
            switch (call.procedure) {
            case NULLPROC:
                reply = EncodeRpcReply(call.xid, protocol::XdrNoData(), nullptr);
                break;
            case vxi11::kCreateLink:
                reply = CreateLink(call, args, own);
                break;
            case vxi11::kDeviceWrite:
                reply = DeviceWrite(call, args);
                break;
            case vxi11::kDeviceRead:
                reply = DeviceRead(call, args, channel, closeNow);
                break;
            case vxi11::kDestroyLink: {
                std::int32_t lid = 0;
                if (!DecodeArgs(args, vxi11::XdrInt32, lid)) {
                    reply = EncodeRpcError(call.xid, GARBAGE_ARGS);
                    break;
                }
                std::size_t erased = 0;
                {
                    std::lock_guard<std::mutex> guard(mutex_);
                    erased = links_.erase(lid);
                }
                std::erase(own, lid);
                reply = ReplyInt(call.xid, erased > 0 ? vxi11::kNoError : vxi11::kInvalidLinkId);
                break;
            }
            default:
                reply = Generic(call, args);
                break;
            }
        }
        xdr_destroy(&args);
        channel.Consume();
        if (closeNow || (!reply.empty() && !channel.Send(reply))) {
            break;
        }
    }
    std::lock_guard<std::mutex> guard(mutex_);
    for (std::int32_t lid : own) {
        links_.erase(lid);
    }
}

void Vxi11Server::ServeAbort(Client& client)
{
    RpcServerChannel channel(client.fd, stop_, 1024);
    const char* data = nullptr;
    std::size_t size = 0;
    while (channel.NextRecord(data, size)) {
        RpcCall call;
        XDR args;
        const bool isCall = DecodeRpcCall(data, size, call, args);
        std::vector<char> reply;
        if (!isCall) {
        } else if (!call.rpcVersionOk) {
            reply = EncodeRpcVersionMismatch(call.xid);
        } else if (call.program != vxi11::kAbortProgram) {
            reply = EncodeRpcError(call.xid, PROG_UNAVAIL);
        } else if (call.version != vxi11::kAbortVersion) {
            reply = EncodeRpcError(call.xid, PROG_MISMATCH, vxi11::kAbortVersion);
        } else if (call.procedure == NULLPROC) {
            reply = EncodeRpcReply(call.xid, protocol::XdrNoData(), nullptr);
        } else if (call.procedure != vxi11::kDeviceAbort) {
            reply = EncodeRpcError(call.xid, PROC_UNAVAIL);
        } else {
            std::int32_t lid = 0;
            if (!DecodeArgs(args, vxi11::XdrInt32, lid)) {
                reply = EncodeRpcError(call.xid, GARBAGE_ARGS);
            } else {
                abortsReceived_.fetch_add(1);
                std::int32_t error = vxi11::kInvalidLinkId;
                if (auto link = FindLink(lid)) {
                    error = vxi11::kNoError;
                    if (abortBehaviour_ == AbortChannel::Serve) {
                        // The meter stops its reply: what was not read yet
                        // is dropped, and a waiting device_read ends.
                        std::lock_guard<std::mutex> guard(link->mutex);
                        link->abortRequested = true;
                        link->output.clear();
                        link->outputOffset = 0;
                        link->wake.notify_all();
                    }
                }
                if (abortBehaviour_ != AbortChannel::Silent) {
                    reply = ReplyInt(call.xid, error);
                }
            }
        }
        xdr_destroy(&args);
        channel.Consume();
        if (!reply.empty() && !channel.Send(reply)) {
            break;
        }
    }
}

std::vector<char> Vxi11Server::CreateLink(const RpcCall& call, XDR& args,
                                          std::vector<std::int32_t>& own)
{
    vxi11::CreateLinkParms parms;
    if (!DecodeArgs(args, vxi11::XdrCreateLinkParms, parms)) {
        xdr_free(protocol::XdrProc<vxi11::XdrCreateLinkParms>(), reinterpret_cast<char*>(&parms));
        return EncodeRpcError(call.xid, GARBAGE_ARGS);
    }
    const std::string device = parms.device != nullptr ? parms.device : "";
    xdr_free(protocol::XdrProc<vxi11::XdrCreateLinkParms>(), reinterpret_cast<char*>(&parms));
    vxi11::CreateLinkResp reply;
    // The meter is one device; like a LAN meter it answers to "inst0".
    if (device != "inst0") {
        reply.error = vxi11::kDeviceNotAccessible;
    } else if (own.size() >= 16) {
        // One connection has no use for more links than this.
        reply.error = vxi11::kOutOfResources;
    } else {
        std::lock_guard<std::mutex> guard(mutex_);
        reply.lid = nextLink_++;
        links_[reply.lid] = std::make_shared<Link>();
        own.push_back(reply.lid);
        reply.maxRecvSize = kMaxReceiveSize;
        reply.abortPort =
            abortBehaviour_ == AbortChannel::Unreachable ? unusedPort_ : abortPort_;
    }
    return EncodeRpcReply(call.xid, protocol::XdrProc<vxi11::XdrCreateLinkResp>(), &reply);
}

std::vector<char> Vxi11Server::DeviceWrite(const RpcCall& call, XDR& args)
{
    vxi11::DeviceWriteParms parms;
    if (!DecodeArgs(args, vxi11::XdrDeviceWriteParms, parms)) {
        xdr_free(protocol::XdrProc<vxi11::XdrDeviceWriteParms>(), reinterpret_cast<char*>(&parms));
        return EncodeRpcError(call.xid, GARBAGE_ARGS);
    }
    vxi11::DeviceWriteResp reply;
    std::optional<std::string> message;
    bool overlong = false;
    auto link = FindLink(parms.lid);
    if (link == nullptr) {
        reply.error = vxi11::kInvalidLinkId;
    } else if (parms.dataLength > kMaxReceiveSize) {
        reply.error = vxi11::kParameterError;
    } else {
        std::lock_guard<std::mutex> guard(link->mutex);
        if (link->incoming.size() + parms.dataLength > kMaxMessage) {
            // Taken and dropped: the client may go on sending, the meter
            // keeps nothing more of this message.
            link->overlong = true;
            std::string().swap(link->incoming);
        }
        if (!link->overlong) {
            link->incoming.append(parms.data, parms.dataLength);
        }
        reply.size = parms.dataLength;
        if ((parms.flags & vxi11::kFlagEnd) != 0) {
            overlong = link->overlong;
            link->overlong = false;
            if (!overlong) {
                message = std::move(link->incoming);
            }
            std::string().swap(link->incoming);
        }
    }
    xdr_free(protocol::XdrProc<vxi11::XdrDeviceWriteParms>(), reinterpret_cast<char*>(&parms));
    if (overlong && onOverlong_) {
        onOverlong_();
    }
    if (message) {
        while (!message->empty() && (message->back() == '\n' || message->back() == '\r')) {
            message->pop_back();
        }
        // The meter runs under its own lock; other links go on meanwhile.
        if (auto served = meter_.Execute(*message)) {
            std::lock_guard<std::mutex> guard(link->mutex);
            // A new query replaces a reply that was not read to its end.
            link->output = std::move(served->bytes);
            link->outputOffset = 0;
            link->readyAt = Clock::now() + served->delay;
            link->shape = std::move(*served);
            link->shape.bytes.clear();
            link->firstChunkSent = false;
            link->abortRequested = false;
        }
    }
    return EncodeRpcReply(call.xid, protocol::XdrProc<vxi11::XdrDeviceWriteResp>(), &reply);
}

std::vector<char> Vxi11Server::DeviceRead(const RpcCall& call, XDR& args,
                                          RpcServerChannel& channel, bool& closeNow)
{
    vxi11::DeviceReadParms parms;
    if (!DecodeArgs(args, vxi11::XdrDeviceReadParms, parms)) {
        return EncodeRpcError(call.xid, GARBAGE_ARGS);
    }
    vxi11::DeviceReadResp reply;
    auto link = FindLink(parms.lid);
    if (link == nullptr) {
        reply.error = vxi11::kInvalidLinkId;
        return EncodeRpcReply(call.xid, protocol::XdrProc<vxi11::XdrDeviceReadResp>(), &reply);
    }
    const auto ioTimeout =
        std::min<std::chrono::milliseconds>(std::chrono::milliseconds(parms.ioTimeout),
                                            kMaxIoTimeout);
    const auto ioDeadline = Clock::now() + ioTimeout;
    std::unique_lock<std::mutex> lock(link->mutex);
    link->abortRequested = false;
    // Waits until `until`; true when an abort or the server's stop ended it.
    const auto interruptedWait = [&](Clock::time_point until) {
        link->wake.wait_until(lock, until,
                              [&] { return link->abortRequested || stop_.Stopped(); });
        return link->abortRequested || stop_.Stopped();
    };
    const auto abortedReply = [&] {
        link->abortRequested = false;
        reply.error = vxi11::kAbort;
        return EncodeRpcReply(call.xid, protocol::XdrProc<vxi11::XdrDeviceReadResp>(), &reply);
    };
    if (link->outputOffset >= link->output.size()) {
        // Nothing to read: like a meter, wait out the caller's I/O time-out.
        if (interruptedWait(ioDeadline)) {
            return abortedReply();
        }
        reply.error = vxi11::kIoTimeout;
        return EncodeRpcReply(call.xid, protocol::XdrProc<vxi11::XdrDeviceReadResp>(), &reply);
    }
    const bool faulted = link->shape.chunkBytes > 0 || link->shape.closeMidReply ||
                         link->shape.delay > std::chrono::microseconds(0);
    // A hanging meter (a fault) keeps the caller waiting past its time-out;
    // a merely slow one answers with a time-out error when its reply is not
    // ready in time.
    if (!faulted && link->readyAt > ioDeadline) {
        if (interruptedWait(ioDeadline)) {
            return abortedReply();
        }
        reply.error = vxi11::kIoTimeout;
        return EncodeRpcReply(call.xid, protocol::XdrProc<vxi11::XdrDeviceReadResp>(), &reply);
    }
    const auto sendAt = link->firstChunkSent ? Clock::now() + link->shape.chunkPause
                                             : link->readyAt;
    if (interruptedWait(sendAt) || link->outputOffset >= link->output.size()) {
        return abortedReply();
    }
    std::size_t n = std::min<std::size_t>(link->output.size() - link->outputOffset,
                                          std::min<std::size_t>(parms.requestSize, kMaxReadChunk));
    if (link->shape.chunkBytes > 0) {
        n = std::min(n, link->shape.chunkBytes);
    }
    std::string piece = link->output.substr(link->outputOffset, n);
    link->outputOffset += n;
    link->firstChunkSent = true;
    if (link->outputOffset >= link->output.size()) {
        reply.reason = vxi11::kReasonEnd;
    } else if (n == parms.requestSize) {
        reply.reason = vxi11::kReasonRequestCount;
    }
    const bool closeMidReply = link->shape.closeMidReply;
    if (closeMidReply || link->outputOffset >= link->output.size()) {
        std::string().swap(link->output);
        link->outputOffset = 0;
    }
    lock.unlock();
    if (closeMidReply) {
        // Half a reply record on the wire, then the connection drops.
        const std::uint32_t length = 64;
        const std::uint32_t mark = htonl(0x80000000u | length);
        std::vector<char> record(4 + length / 2);
        std::memcpy(record.data(), &mark, sizeof(mark));
        channel.Send(record);
        shutdown(channel.Fd(), SHUT_RDWR);
        closeNow = true;
        return {};
    }
    reply.data = piece.data();
    reply.dataLength = static_cast<u_int>(piece.size());
    return EncodeRpcReply(call.xid, protocol::XdrProc<vxi11::XdrDeviceReadResp>(), &reply);
}

std::vector<char> Vxi11Server::Generic(const RpcCall& call, XDR& args)
{
    switch (call.procedure) {
    case vxi11::kDeviceReadStb: {
        vxi11::DeviceGenericParms parms;
        if (!DecodeArgs(args, vxi11::XdrDeviceGenericParms, parms)) {
            return EncodeRpcError(call.xid, GARBAGE_ARGS);
        }
        vxi11::DeviceReadStbResp reply;
        auto link = FindLink(parms.lid);
        reply.error = link ? vxi11::kNoError : vxi11::kInvalidLinkId;
        if (link) {
            std::lock_guard<std::mutex> guard(link->mutex);
            // Message available (bit 4) while a reply waits to be read.
            reply.stb = link->outputOffset < link->output.size() ? 0x10 : 0;
        }
        return EncodeRpcReply(call.xid, protocol::XdrProc<vxi11::XdrDeviceReadStbResp>(), &reply);
    }
    case vxi11::kDeviceClear: {
        vxi11::DeviceGenericParms parms;
        if (!DecodeArgs(args, vxi11::XdrDeviceGenericParms, parms)) {
            return EncodeRpcError(call.xid, GARBAGE_ARGS);
        }
        std::int32_t error = vxi11::kInvalidLinkId;
        if (auto link = FindLink(parms.lid)) {
            clearsReceived_.fetch_add(1);
            // The device clear of a meter: the input and output buffers
            // are emptied, a partly received message is forgotten.
            std::lock_guard<std::mutex> guard(link->mutex);
            std::string().swap(link->incoming);
            std::string().swap(link->output);
            link->outputOffset = 0;
            link->overlong = false;
            link->firstChunkSent = false;
            error = vxi11::kNoError;
        }
        return ReplyInt(call.xid, error);
    }
    case vxi11::kDeviceTrigger:
    case vxi11::kDeviceRemote:
    case vxi11::kDeviceLocal: {
        vxi11::DeviceGenericParms parms;
        if (!DecodeArgs(args, vxi11::XdrDeviceGenericParms, parms)) {
            return EncodeRpcError(call.xid, GARBAGE_ARGS);
        }
        return ReplyInt(call.xid, FindLink(parms.lid) ? vxi11::kNoError : vxi11::kInvalidLinkId);
    }
    case vxi11::kDeviceLock: {
        vxi11::DeviceLockParms parms;
        if (!DecodeArgs(args, vxi11::XdrDeviceLockParms, parms)) {
            return EncodeRpcError(call.xid, GARBAGE_ARGS);
        }
        return ReplyInt(call.xid, FindLink(parms.lid) ? vxi11::kNoError : vxi11::kInvalidLinkId);
    }
    case vxi11::kDeviceUnlock: {
        std::int32_t lid = 0;
        if (!DecodeArgs(args, vxi11::XdrInt32, lid)) {
            return EncodeRpcError(call.xid, GARBAGE_ARGS);
        }
        return ReplyInt(call.xid, FindLink(lid) ? vxi11::kNoError : vxi11::kInvalidLinkId);
    }
    default:
        // Service requests, docmd and the interrupt channel are not offered.
        return EncodeRpcError(call.xid, PROC_UNAVAIL);
    }
}

}  // namespace voltora::sim
