#include "visa/Vxi11Discovery.h"

#include "protocol/RpcRecordStream.h"
#include "protocol/VxiProtocol.h"
#include "protocol/XdrProc.h"
#include "visa/Vxi11Session.h"

#include <rpc/pmap_prot.h>
#include <rpc/rpc.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace voltora::visa {
namespace {

namespace vxi11 = protocol::vxi11;

using Clock = std::chrono::steady_clock;

// Identity threads started at most: a network answering with more hosts
// than this is listed without identities beyond them.
constexpr std::size_t kMaxIdentityReads = 64;

std::string Identity(const FoundInstrument& found, std::chrono::milliseconds timeout)
{
    Vxi11Session::Endpoint endpoint;
    endpoint.host = found.address;
    endpoint.corePort = found.port;
    std::unique_ptr<IVisaSession> session;
    const auto deadline = Clock::now() + timeout;
    if (Vxi11Session::Open(endpoint, timeout, session) != VI_SUCCESS) {
        return {};
    }
    const auto left = [&] {
        return std::max(std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - Clock::now()),
                        std::chrono::milliseconds(0));
    };
    static const char kQuery[] = "*IDN?\n";
    std::size_t written = 0;
    std::string reply;
    if (session->Write(reinterpret_cast<const ViByte*>(kQuery), sizeof(kQuery) - 1, written,
                       left()) == VI_SUCCESS) {
        char buffer[512];
        bool end = false;
        while (!end && reply.size() < 4096) {
            std::size_t got = 0;
            if (session->Read(reinterpret_cast<ViByte*>(buffer), sizeof(buffer), got, end,
                              left()) != VI_SUCCESS) {
                reply.clear();
                break;
            }
            reply.append(buffer, got);
        }
    }
    session->Close();
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) {
        reply.pop_back();
    }
    return reply;
}

}  // namespace

std::vector<char> EncodeGetPortCall(std::uint32_t xid)
{
    rpc_msg call{};
    call.rm_xid = xid;
    call.rm_direction = CALL;
    call.rm_call.cb_rpcvers = RPC_MSG_VERSION;
    call.rm_call.cb_prog = PMAPPROG;
    call.rm_call.cb_vers = PMAPVERS;
    call.rm_call.cb_proc = PMAPPROC_GETPORT;
    call.rm_call.cb_cred = _null_auth;
    call.rm_call.cb_verf = _null_auth;
    pmap query{};
    query.pm_prog = vxi11::kCoreProgram;
    query.pm_vers = vxi11::kCoreVersion;
    query.pm_prot = IPPROTO_TCP;
    std::vector<char> buffer(256);
    XDR xdrs;
    xdrmem_create(&xdrs, buffer.data(), static_cast<u_int>(buffer.size()), XDR_ENCODE);
    const bool encoded = xdr_callmsg(&xdrs, &call) && xdr_pmap(&xdrs, &query);
    buffer.resize(encoded ? xdr_getpos(&xdrs) : 0);
    xdr_destroy(&xdrs);
    return buffer;
}

bool DecodeGetPortReply(const char* reply, std::size_t size, std::uint32_t xid,
                        std::uint16_t& port)
{
    if (size < 8 || protocol::ReadWord(reply) != xid) {
        return false;
    }
    u_long found = 0;
    char verifier[MAX_AUTH_BYTES];
    rpc_msg message{};
    message.acpted_rply.ar_verf = _null_auth;
    message.acpted_rply.ar_verf.oa_base = verifier;
    message.acpted_rply.ar_results.where = reinterpret_cast<caddr_t>(&found);
    message.acpted_rply.ar_results.proc = protocol::XdrProc<xdr_u_long>();
    XDR xdrs;
    xdrmem_create(&xdrs, const_cast<char*>(reply), static_cast<u_int>(size), XDR_DECODE);
    const bool decoded = xdr_replymsg(&xdrs, &message);
    xdr_destroy(&xdrs);
    if (!decoded || message.rm_direction != REPLY ||
        message.rm_reply.rp_stat != MSG_ACCEPTED || message.acpted_rply.ar_stat != SUCCESS ||
        found > 65535) {
        return false;
    }
    port = static_cast<std::uint16_t>(found);
    return true;
}

std::vector<std::string> LocalBroadcastAddresses()
{
    std::vector<std::string> addresses;
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) {
        return addresses;
    }
    for (ifaddrs* i = interfaces; i != nullptr; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET ||
            (i->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        in_addr broadcast{};
        if ((i->ifa_flags & IFF_LOOPBACK) != 0) {
            // The loopback network has no broadcast flag but does deliver
            // to its broadcast address: instruments served on this host.
            broadcast.s_addr = htonl(0x7FFFFFFFu);
        } else if ((i->ifa_flags & IFF_BROADCAST) != 0 && i->ifa_broadaddr != nullptr) {
            broadcast = reinterpret_cast<sockaddr_in*>(i->ifa_broadaddr)->sin_addr;
        } else {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &broadcast, text, sizeof(text));
        if (std::find(addresses.begin(), addresses.end(), text) == addresses.end()) {
            addresses.emplace_back(text);
        }
    }
    freeifaddrs(interfaces);
    return addresses;
}

std::vector<FoundInstrument> FindVxi11Instruments(const DiscoveryOptions& options)
{
    std::vector<FoundInstrument> found;
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return found;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on));
    const std::uint32_t xid =
        static_cast<std::uint32_t>(Clock::now().time_since_epoch().count()) ^ 0x5A5A0000u;
    const std::vector<char> call = EncodeGetPortCall(xid);
    const std::vector<std::string> targets = options.broadcastAddresses.empty()
                                                 ? LocalBroadcastAddresses()
                                                 : options.broadcastAddresses;
    const auto broadcast = [&] {
        for (const std::string& target : targets) {
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(options.portmapperPort);
            if (inet_pton(AF_INET, target.c_str(), &to.sin_addr) == 1) {
                sendto(fd, call.data(), call.size(), 0, reinterpret_cast<sockaddr*>(&to),
                       sizeof(to));
            }
        }
    };

    // Identities are read while answers are still being collected, each
    // into its own slot.
    std::mutex mutex;
    std::vector<std::unique_ptr<FoundInstrument>> hosts;
    std::vector<std::thread> readers;
    const auto start = Clock::now();
    const auto windowEnd = start + options.window;
    // A second broadcast a quarter into the window covers a lost datagram.
    auto resendAt = start + options.window / 4;
    broadcast();
    for (;;) {
        const auto now = Clock::now();
        if (now >= windowEnd) {
            break;
        }
        if (resendAt <= now) {
            broadcast();
            resendAt = Clock::time_point::max();
        }
        const auto until = std::min(windowEnd, resendAt);
        const int wait = static_cast<int>(
            std::chrono::ceil<std::chrono::milliseconds>(until - now).count());
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, std::max(wait, 0)) <= 0) {
            continue;
        }
        char datagram[512];
        sockaddr_in from{};
        socklen_t fromLength = sizeof(from);
        const ssize_t size = recvfrom(fd, datagram, sizeof(datagram), MSG_DONTWAIT,
                                      reinterpret_cast<sockaddr*>(&from), &fromLength);
        std::uint16_t port = 0;
        if (size <= 0 || from.sin_family != AF_INET ||
            !DecodeGetPortReply(datagram, static_cast<std::size_t>(size), xid, port) ||
            port == 0) {
            // A host whose portmapper knows no VXI-11 instrument says 0.
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &from.sin_addr, text, sizeof(text));
        std::lock_guard<std::mutex> guard(mutex);
        const bool known = std::any_of(hosts.begin(), hosts.end(),
                                       [&](const auto& host) { return host->address == text; });
        if (known || hosts.size() >= kMaxIdentityReads) {
            continue;
        }
        auto host = std::make_unique<FoundInstrument>();
        host->address = text;
        host->port = port;
        FoundInstrument* slot = host.get();
        hosts.push_back(std::move(host));
        readers.emplace_back([slot, timeout = options.identityTimeout] {
            FoundInstrument copy = *slot;
            slot->identity = Identity(copy, timeout);
        });
    }
    close(fd);
    for (std::thread& reader : readers) {
        reader.join();
    }
    for (const auto& host : hosts) {
        found.push_back(*host);
    }
    std::sort(found.begin(), found.end(), [](const FoundInstrument& a, const FoundInstrument& b) {
        in_addr left{};
        in_addr right{};
        inet_pton(AF_INET, a.address.c_str(), &left);
        inet_pton(AF_INET, b.address.c_str(), &right);
        return ntohl(left.s_addr) < ntohl(right.s_addr);
    });
    return found;
}

}  // namespace voltora::visa
