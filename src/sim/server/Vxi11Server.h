#pragma once

#include "sim/server/ServedMeter.h"
#include "sim/server/StopSignal.h"

#include <rpc/rpc.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace voltora::sim {

class RpcServerChannel;
struct RpcCall;

// Serves the meter as a VXI-11 instrument: the core channel and the abort
// channel, each on a TCP port of its own, optionally registered with the
// host's rpcbind so that clients find it by the portmapper. Every client
// connection has a thread of its own, so a client waiting in a device_read
// or stuck half-way through a call never holds up another; they share the
// meter, which serialises its commands under its own lock. A link lives as
// long as the connection that created it.
class Vxi11Server {
public:
    // Largest chunk of a message this server accepts in one device_write.
    static constexpr std::uint32_t kMaxReceiveSize = 4096;
    // A message longer than this (sent in many chunks without END) is
    // discarded as a meter would, with "Too much data" in its error queue.
    static constexpr std::size_t kMaxMessage = std::size_t{1} << 20;
    // A device_read waits at most this long for a reply, whatever I/O
    // time-out the client asked for.
    static constexpr std::chrono::milliseconds kMaxIoTimeout{10'000};
    // Client connections served at once (core and abort channels together).
    static constexpr std::size_t kMaxConnections = 64;

    // How the abort channel behaves, so that clients can be tested against
    // instruments that handle device_abort badly.
    enum class AbortChannel {
        Serve,       // device_abort ends the link's waiting device_read
        Ignore,      // device_abort is answered but changes nothing
        Silent,      // device_abort is never answered
        Unreachable  // create_link names a port nobody listens on
    };

    Vxi11Server(ServedMeter& meter, const StopSignal& stop);
    ~Vxi11Server();
    Vxi11Server(const Vxi11Server&) = delete;
    Vxi11Server& operator=(const Vxi11Server&) = delete;

    bool Listen(const std::string& address, std::uint16_t port, std::string& error);
    // Registers the core channel's port with rpcbind (replacing any earlier
    // registration of the program, such as one left by a killed server).
    bool Register(std::string& error);
    std::uint16_t Port() const { return port_; }
    std::uint16_t AbortPort() const { return abortPort_; }

    // Set before Run().
    void SetAbortChannel(AbortChannel behaviour) { abortBehaviour_ = behaviour; }
    // Called (from a connection thread) when a message is discarded for
    // being too long.
    void SetOverlongHandler(std::function<void()> handler) { onOverlong_ = std::move(handler); }

    // Serves until the stop signal; returns once every client thread ended.
    void Run();

    // For tests and diagnostics.
    std::size_t LinkCount() const;
    std::size_t PendingMessageBytes() const;
    int AbortsReceived() const { return abortsReceived_.load(); }
    int ClearsReceived() const { return clearsReceived_.load(); }
    int ConnectionsRefused() const { return refused_.load(); }

private:
    struct Link {
        std::mutex mutex;
        std::condition_variable wake;
        std::string incoming;  // message chunks received so far, without END
        bool overlong = false; // the message being received went over the limit
        std::string output;    // the reply not yet read
        std::size_t outputOffset = 0;
        std::chrono::steady_clock::time_point readyAt{};
        ServedReply shape;     // how the current reply is to be sent
        bool firstChunkSent = false;
        bool abortRequested = false;
    };
    struct Client {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void Accept(int listenFd, bool abortChannel);
    void Refuse(int fd);
    void Reap(bool all);
    void ServeCore(Client& client);
    void ServeAbort(Client& client);

    // Each procedure decodes its arguments from `args` and returns the
    // reply record.
    std::vector<char> CreateLink(const RpcCall& call, XDR& args, std::vector<std::int32_t>& own);
    std::vector<char> DeviceWrite(const RpcCall& call, XDR& args);
    std::vector<char> DeviceRead(const RpcCall& call, XDR& args, RpcServerChannel& channel,
                                 bool& closeNow);
    std::vector<char> Generic(const RpcCall& call, XDR& args);
    std::shared_ptr<Link> FindLink(std::int32_t lid) const;

    ServedMeter& meter_;
    const StopSignal& stop_;
    std::atomic<AbortChannel> abortBehaviour_{AbortChannel::Serve};
    std::function<void()> onOverlong_;
    int listenFd_ = -1;
    int abortFd_ = -1;
    int unusedFd_ = -1;
    std::uint16_t unusedPort_ = 0;
    std::uint16_t port_ = 0;
    std::uint16_t abortPort_ = 0;
    bool registered_ = false;

    mutable std::mutex mutex_;
    std::map<std::int32_t, std::shared_ptr<Link>> links_;
    std::int32_t nextLink_ = 1;
    std::list<Client> clients_;  // touched by Run()'s thread only
    std::atomic<int> abortsReceived_{0};
    std::atomic<int> clearsReceived_{0};
    std::atomic<int> refused_{0};
};

}  // namespace voltora::sim
