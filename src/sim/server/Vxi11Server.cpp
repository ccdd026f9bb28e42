#include "sim/server/Vxi11Server.h"

#include "sim/server/ListeningSocket.h"
#include "visa/VxiProtocol.h"

#include <rpc/pmap_clnt.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace voltora::sim {
namespace {

namespace vxi11 = voltora::visa::vxi11;
using Clock = std::chrono::steady_clock;

// The one server of this process that the RPC library dispatches to.
Vxi11Server* g_server = nullptr;

// Links beyond this many are dropped oldest first: a link whose client went
// away without destroy_link is never needed again.
constexpr std::size_t kMaxLinks = 256;

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
    if (listener_ != nullptr) {
        // Not svc_unreg(): besides forgetting the dispatcher it removes the
        // program from rpcbind, which would take away another server's
        // registration. The dispatcher stays (a later server of this
        // process reuses it) and answers nothing while no server runs.
        svc_destroy(listener_);  // closes the listening socket
    } else if (listenFd_ >= 0) {
        close(listenFd_);
    }
    if (g_server == this) {
        g_server = nullptr;
    }
}

bool Vxi11Server::Listen(const std::string& address, std::uint16_t port, std::string& error)
{
    if (g_server != nullptr) {
        error = "a VXI-11 server is already running in this process";
        return false;
    }
    listenFd_ = ListenTcp(address, port, error);
    if (listenFd_ < 0) {
        return false;
    }
    port_ = LocalPort(listenFd_);
    listener_ = svc_vc_create(listenFd_, 0, 0);
    if (listener_ == nullptr) {
        error = "the RPC library could not serve the socket";
        return false;
    }
    // No network configuration: the program is registered with rpcbind by
    // Register(), for the TCP port alone.
    if (!svc_reg(listener_, vxi11::kCoreProgram, vxi11::kCoreVersion, &Vxi11Server::Dispatch,
                 nullptr)) {
        error = "the RPC library refused to register the VXI-11 core program";
        return false;
    }
    g_server = this;
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

void Vxi11Server::Run()
{
    // The RPC library answers with write(): a client that has gone away
    // must not end the process with SIGPIPE. Blocked in this thread only.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);

    // The stop signal is one of the polled descriptors, so a request costs
    // no separate check of it.
    std::vector<pollfd> fds;
    for (;;) {
        const int count = svc_max_pollfd;
        fds.assign(svc_pollfd, svc_pollfd + count);
        fds.push_back(pollfd{stop_.Fd(), POLLIN, 0});
        const int ready = poll(fds.data(), fds.size(), -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds.back().revents != 0) {
            break;
        }
        svc_getreq_poll(fds.data(), ready);
    }
    // Close the clients' connections: the library sees them end and frees
    // their transports on this last pass.
    const int count = svc_max_pollfd;
    fds.assign(svc_pollfd, svc_pollfd + count);
    int open = 0;
    for (auto& fd : fds) {
        if (fd.fd >= 0 && fd.fd != listenFd_) {
            shutdown(fd.fd, SHUT_RDWR);
            fd.revents = POLLIN;
            ++open;
        } else {
            fd.revents = 0;
        }
    }
    if (open > 0) {
        svc_getreq_poll(fds.data(), open);
    }
}

void Vxi11Server::Dispatch(svc_req* request, SVCXPRT* transport)
{
    if (g_server != nullptr) {
        g_server->Handle(request, transport);
    } else {
        svcerr_systemerr(transport);
    }
}

Vxi11Server::Link* Vxi11Server::FindLink(std::int32_t lid)
{
    const auto found = links_.find(lid);
    return found == links_.end() ? nullptr : &found->second;
}

void Vxi11Server::Handle(svc_req* request, SVCXPRT* transport)
{
    switch (request->rq_proc) {
    case NULLPROC:
        svc_sendreply(transport,
                      reinterpret_cast<xdrproc_t>(reinterpret_cast<void (*)()>(xdr_void)),
                      nullptr);
        return;
    case vxi11::kCreateLink:
        CreateLink(transport);
        return;
    case vxi11::kDeviceWrite:
        DeviceWrite(transport);
        return;
    case vxi11::kDeviceRead:
        DeviceRead(transport);
        return;
    case vxi11::kDestroyLink: {
        std::int32_t lid = 0;
        if (!svc_getargs(transport, vxi11::AsXdrProc(vxi11::XdrInt32), &lid)) {
            svcerr_decode(transport);
            return;
        }
        std::int32_t error = links_.erase(lid) > 0 ? vxi11::kNoError : vxi11::kInvalidLinkId;
        svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrInt32), &error);
        return;
    }
    case vxi11::kDeviceReadStb: {
        vxi11::DeviceGenericParms parms;
        if (!svc_getargs(transport, vxi11::AsXdrProc(vxi11::XdrDeviceGenericParms), &parms)) {
            svcerr_decode(transport);
            return;
        }
        vxi11::DeviceReadStbResp reply;
        reply.error = FindLink(parms.lid) ? vxi11::kNoError : vxi11::kInvalidLinkId;
        Link* link = FindLink(parms.lid);
        // Message available (bit 4) while a reply waits to be read.
        reply.stb = (link != nullptr && link->outputOffset < link->output.size()) ? 0x10 : 0;
        svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrDeviceReadStbResp), &reply);
        return;
    }
    case vxi11::kDeviceClear: {
        vxi11::DeviceGenericParms parms;
        if (!svc_getargs(transport, vxi11::AsXdrProc(vxi11::XdrDeviceGenericParms), &parms)) {
            svcerr_decode(transport);
            return;
        }
        std::int32_t error = vxi11::kInvalidLinkId;
        if (Link* link = FindLink(parms.lid)) {
            *link = Link{};
            error = vxi11::kNoError;
        }
        svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrInt32), &error);
        return;
    }
    case vxi11::kDeviceTrigger:
    case vxi11::kDeviceRemote:
    case vxi11::kDeviceLocal: {
        vxi11::DeviceGenericParms parms;
        if (!svc_getargs(transport, vxi11::AsXdrProc(vxi11::XdrDeviceGenericParms), &parms)) {
            svcerr_decode(transport);
            return;
        }
        std::int32_t error = FindLink(parms.lid) ? vxi11::kNoError : vxi11::kInvalidLinkId;
        svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrInt32), &error);
        return;
    }
    case vxi11::kDeviceLock: {
        vxi11::DeviceLockParms parms;
        if (!svc_getargs(transport, vxi11::AsXdrProc(vxi11::XdrDeviceLockParms), &parms)) {
            svcerr_decode(transport);
            return;
        }
        std::int32_t error = FindLink(parms.lid) ? vxi11::kNoError : vxi11::kInvalidLinkId;
        svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrInt32), &error);
        return;
    }
    case vxi11::kDeviceUnlock: {
        std::int32_t lid = 0;
        if (!svc_getargs(transport, vxi11::AsXdrProc(vxi11::XdrInt32), &lid)) {
            svcerr_decode(transport);
            return;
        }
        std::int32_t error = FindLink(lid) ? vxi11::kNoError : vxi11::kInvalidLinkId;
        svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrInt32), &error);
        return;
    }
    default:
        // Service requests, docmd and the interrupt channel are not offered.
        svcerr_noproc(transport);
        return;
    }
}

void Vxi11Server::CreateLink(SVCXPRT* transport)
{
    vxi11::CreateLinkParms parms;
    if (!svc_getargs(transport, vxi11::AsXdrProc(vxi11::XdrCreateLinkParms), &parms)) {
        svcerr_decode(transport);
        return;
    }
    vxi11::CreateLinkResp reply;
    const std::string device = parms.device != nullptr ? parms.device : "";
    svc_freeargs(transport, vxi11::AsXdrProc(vxi11::XdrCreateLinkParms), &parms);
    // The meter is one device; like a LAN meter it answers to "inst0".
    if (device != "inst0") {
        reply.error = vxi11::kDeviceNotAccessible;
    } else {
        while (links_.size() >= kMaxLinks) {
            links_.erase(links_.begin());
        }
        reply.lid = nextLink_++;
        links_[reply.lid] = Link{};
        reply.maxRecvSize = kMaxReceiveSize;
        reply.abortPort = 0;  // no abort channel
    }
    svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrCreateLinkResp), &reply);
}

void Vxi11Server::DeviceWrite(SVCXPRT* transport)
{
    vxi11::DeviceWriteParms parms;
    if (!svc_getargs(transport, vxi11::AsXdrProc(vxi11::XdrDeviceWriteParms), &parms)) {
        svcerr_decode(transport);
        return;
    }
    vxi11::DeviceWriteResp reply;
    Link* link = FindLink(parms.lid);
    if (link == nullptr) {
        reply.error = vxi11::kInvalidLinkId;
    } else if (parms.dataLength > kMaxReceiveSize) {
        reply.error = vxi11::kParameterError;
    } else {
        link->incoming.append(parms.data, parms.dataLength);
        reply.size = parms.dataLength;
        if ((parms.flags & vxi11::kFlagEnd) != 0) {
            std::string message = std::move(link->incoming);
            link->incoming.clear();
            while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
                message.pop_back();
            }
            if (auto served = meter_.Execute(message)) {
                // A new query replaces a reply that was not read to its end.
                link->output = std::move(served->bytes);
                link->outputOffset = 0;
                link->readyAt = Clock::now() + served->delay;
                link->shape = std::move(*served);
                link->shape.bytes.clear();
                link->firstChunkSent = false;
            }
        }
    }
    svc_freeargs(transport, vxi11::AsXdrProc(vxi11::XdrDeviceWriteParms), &parms);
    svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrDeviceWriteResp), &reply);
}

void Vxi11Server::DeviceRead(SVCXPRT* transport)
{
    vxi11::DeviceReadParms parms;
    if (!svc_getargs(transport, vxi11::AsXdrProc(vxi11::XdrDeviceReadParms), &parms)) {
        svcerr_decode(transport);
        return;
    }
    vxi11::DeviceReadResp reply;
    Link* link = FindLink(parms.lid);
    if (link == nullptr) {
        reply.error = vxi11::kInvalidLinkId;
        svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrDeviceReadResp), &reply);
        return;
    }
    const auto ioDeadline = Clock::now() + std::chrono::milliseconds(parms.ioTimeout);
    if (link->outputOffset >= link->output.size()) {
        // Nothing to read: like a meter, wait out the caller's I/O time-out.
        if (stop_.WaitFor(std::chrono::milliseconds(parms.ioTimeout))) {
            return;
        }
        reply.error = vxi11::kIoTimeout;
        svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrDeviceReadResp), &reply);
        return;
    }
    const bool faulted = link->shape.chunkBytes > 0 || link->shape.closeMidReply ||
                         link->shape.delay > std::chrono::microseconds(0);
    const auto wait = link->firstChunkSent
                          ? std::chrono::duration_cast<std::chrono::microseconds>(
                                link->shape.chunkPause)
                          : std::chrono::duration_cast<std::chrono::microseconds>(
                                link->readyAt - Clock::now());
    // A hanging meter (a fault) keeps the caller waiting past its time-out;
    // a merely slow one answers with a time-out error when its reply is not
    // ready in time.
    if (!faulted && link->readyAt > ioDeadline) {
        if (stop_.WaitFor(std::chrono::milliseconds(parms.ioTimeout))) {
            return;
        }
        reply.error = vxi11::kIoTimeout;
        svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrDeviceReadResp), &reply);
        return;
    }
    if (stop_.WaitFor(wait)) {
        return;
    }
    std::size_t n = std::min<std::size_t>(link->output.size() - link->outputOffset,
                                          parms.requestSize);
    if (link->shape.chunkBytes > 0) {
        n = std::min(n, link->shape.chunkBytes);
    }
    reply.data = link->output.data() + link->outputOffset;
    reply.dataLength = static_cast<u_int>(n);
    link->outputOffset += n;
    link->firstChunkSent = true;
    if (link->outputOffset >= link->output.size()) {
        reply.reason = vxi11::kReasonEnd;
    } else if (n == parms.requestSize) {
        reply.reason = vxi11::kReasonRequestCount;
    }
    if (link->shape.closeMidReply) {
        // Half a reply record on the wire, then the connection drops.
        const std::uint32_t length = 64;
        const std::uint32_t mark = htonl(0x80000000u | length);
        char record[4 + length / 2] = {};
        std::memcpy(record, &mark, sizeof(mark));
        [[maybe_unused]] const ssize_t sent =
            send(transport->xp_fd, record, sizeof(record), MSG_NOSIGNAL);
        shutdown(transport->xp_fd, SHUT_RDWR);
        link->output.clear();
        link->outputOffset = 0;
        return;
    }
    svc_sendreply(transport, vxi11::AsXdrProc(vxi11::XdrDeviceReadResp), &reply);
    if (link->outputOffset >= link->output.size()) {
        link->output.clear();
        link->outputOffset = 0;
    }
}

}  // namespace voltora::sim
