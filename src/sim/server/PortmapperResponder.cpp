#include "sim/server/PortmapperResponder.h"

#include "protocol/VxiProtocol.h"
#include "protocol/XdrProc.h"
#include "sim/server/ListeningSocket.h"
#include "sim/server/RpcServerChannel.h"

#include <rpc/pmap_prot.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace voltora::sim {
namespace {

namespace vxi11 = voltora::protocol::vxi11;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kMarkSize = 4;

int BindUdp(in_addr address, std::uint16_t port, bool shared, std::string& error)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    const int on = 1;
    if (shared) {
        // Every simulated meter on the network binds the broadcast address
        // and gets its own copy of each broadcast.
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    }
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr = address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &address, text, sizeof(text));
        error = std::string("cannot bind UDP ") + text + " port " + std::to_string(port) + ": " +
                std::strerror(errno);
        close(fd);
        return -1;
    }
    return fd;
}

// The broadcast address of the network `address` is on; INADDR_NONE when
// it has none.
in_addr BroadcastOf(in_addr address)
{
    in_addr none{};
    none.s_addr = INADDR_NONE;
    if ((ntohl(address.s_addr) >> 24) == 127) {
        none.s_addr = htonl(0x7FFFFFFFu);
        return none;
    }
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) {
        return none;
    }
    for (ifaddrs* i = interfaces; i != nullptr; i = i->ifa_next) {
        if (i->ifa_addr != nullptr && i->ifa_addr->sa_family == AF_INET &&
            reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr == address.s_addr &&
            (i->ifa_flags & IFF_BROADCAST) != 0 && i->ifa_broadaddr != nullptr) {
            none = reinterpret_cast<sockaddr_in*>(i->ifa_broadaddr)->sin_addr;
            break;
        }
    }
    freeifaddrs(interfaces);
    return none;
}

std::vector<char> Answer(const char* data, std::size_t size, std::uint16_t corePort)
{
    RpcCall call;
    XDR args;
    std::vector<char> reply;
    if (!DecodeRpcCall(data, size, call, args)) {
        xdr_destroy(&args);
        return reply;
    }
    if (!call.rpcVersionOk) {
        reply = EncodeRpcVersionMismatch(call.xid);
    } else if (call.program != PMAPPROG) {
        reply = EncodeRpcError(call.xid, PROG_UNAVAIL);
    } else if (call.version != PMAPVERS) {
        reply = EncodeRpcError(call.xid, PROG_MISMATCH, PMAPVERS);
    } else if (call.procedure == PMAPPROC_NULL) {
        reply = EncodeRpcReply(call.xid, protocol::XdrNoData(), nullptr);
    } else if (call.procedure != PMAPPROC_GETPORT) {
        reply = EncodeRpcError(call.xid, PROC_UNAVAIL);
    } else {
        pmap query{};
        if (!xdr_pmap(&args, &query)) {
            reply = EncodeRpcError(call.xid, GARBAGE_ARGS);
        } else {
            u_long port = 0;
            if (query.pm_prog == vxi11::kCoreProgram && query.pm_vers == vxi11::kCoreVersion &&
                query.pm_prot == IPPROTO_TCP) {
                port = corePort;
            }
            reply = EncodeRpcReply(call.xid, protocol::XdrProc<xdr_u_long>(), &port);
        }
    }
    xdr_destroy(&args);
    return reply;
}

}  // namespace

PortmapperResponder::PortmapperResponder(const StopSignal& stop) : stop_(stop) {}

PortmapperResponder::~PortmapperResponder()
{
    for (int fd : {unicastFd_, broadcastFd_, tcpFd_}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

bool PortmapperResponder::Listen(const std::string& address, std::uint16_t corePort,
                                 std::string& error, std::uint16_t port)
{
    corePort_ = corePort;
    in_addr own{};
    if (inet_pton(AF_INET, address.c_str(), &own) != 1) {
        error = "the portmapper needs an IPv4 address, not " + address;
        return false;
    }
    // On the wildcard address one socket hears broadcasts and unicasts.
    unicastFd_ = BindUdp(own, port, own.s_addr == INADDR_ANY, error);
    if (unicastFd_ < 0) {
        return false;
    }
    const in_addr broadcast = BroadcastOf(own);
    if (own.s_addr != INADDR_ANY && broadcast.s_addr != INADDR_NONE) {
        broadcastFd_ = BindUdp(broadcast, port, true, error);
        if (broadcastFd_ < 0) {
            return false;
        }
    }
    tcpFd_ = ListenTcp(address, port, error);
    return tcpFd_ >= 0;
}

void PortmapperResponder::Run()
{
    for (;;) {
        pollfd fds[4] = {{unicastFd_, POLLIN, 0},
                         {broadcastFd_, POLLIN, 0},
                         {tcpFd_, POLLIN, 0},
                         {stop_.Fd(), POLLIN, 0}};
        const int ready = poll(fds, 4, -1);
        if (ready < 0 && errno != EINTR) {
            return;
        }
        if (fds[3].revents != 0) {
            return;
        }
        if (fds[0].revents != 0) {
            AnswerDatagram(unicastFd_);
        }
        if (fds[1].revents != 0) {
            AnswerDatagram(broadcastFd_);
        }
        if (fds[2].revents != 0) {
            AnswerConnection();
        }
    }
}

void PortmapperResponder::AnswerDatagram(int fd)
{
    char datagram[1024];
    sockaddr_in from{};
    socklen_t fromLength = sizeof(from);
    const ssize_t size = recvfrom(fd, datagram, sizeof(datagram), MSG_DONTWAIT,
                                  reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (size <= 0) {
        return;
    }
    const std::vector<char> reply = Answer(datagram, static_cast<std::size_t>(size), corePort_);
    if (reply.size() > kMarkSize) {
        // Answered from the meter's own address, even to a broadcast.
        sendto(unicastFd_, reply.data() + kMarkSize, reply.size() - kMarkSize, MSG_DONTWAIT,
               reinterpret_cast<sockaddr*>(&from), fromLength);
    }
}

void PortmapperResponder::AnswerConnection()
{
    const int fd = accept4(tcpFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    // A look-up is one short call; a client slower than this is dropped
    // rather than holding up the others.
    RpcServerChannel channel(fd, stop_, 1024);
    const auto deadline = Clock::now() + std::chrono::milliseconds(500);
    const char* data = nullptr;
    std::size_t size = 0;
    while (channel.NextRecord(data, size, deadline)) {
        const std::vector<char> reply = Answer(data, size, corePort_);
        channel.Consume();
        if (!reply.empty() && !channel.Send(reply, std::chrono::milliseconds(500))) {
            break;
        }
    }
    close(fd);
}

}  // namespace voltora::sim
