#include "sim/server/SocketServer.h"

#include "sim/server/ListeningSocket.h"

#include <algorithm>
#include <cerrno>
#include <string_view>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace voltora::sim {
namespace {

using Clock = std::chrono::steady_clock;

// How often the accepting thread looks for finished connections while no
// client comes.
constexpr int kReapIntervalMs = 200;
// The pause after an accept that failed for want of resources (descriptors,
// memory): retrying at once would spin while nothing can change.
constexpr std::chrono::milliseconds kAcceptBackOff{100};
// Clients accepted in one go before finished connections are reaped again.
constexpr int kAcceptBurst = 32;

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

}  // namespace

SocketServer::SocketServer(ServedMeter& meter, const StopSignal& stop, SocketServerLimits limits)
    : meter_(meter), stop_(stop), limits_(limits)
{
}

SocketServer::~SocketServer()
{
    JoinFinished(true);
    if (listenFd_ >= 0) {
        close(listenFd_);
    }
}

bool SocketServer::Listen(const std::string& address, std::uint16_t port, std::string& error)
{
    listenFd_ = ListenTcp(address, port, error);
    if (listenFd_ < 0) {
        return false;
    }
    port_ = LocalPort(listenFd_);
    // Accepts never block: each wake-up takes what is queued, then the loop
    // goes back to the stop signal and the reaping.
    const int flags = fcntl(listenFd_, F_GETFL);
    fcntl(listenFd_, F_SETFL, flags | O_NONBLOCK);
    return true;
}

void SocketServer::Run()
{
    while (!stop_.Stopped()) {
        // Finished connections are reaped whether or not clients come.
        JoinFinished(false);
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
        if (poll(fds, 2, kReapIntervalMs) < 0 && errno != EINTR) {
            break;
        }
        if (fds[1].revents != 0) {
            break;
        }
        // A burst of clients is taken in one go (a bounded one, so that
        // finished connections are reaped between bursts).
        for (int taken = 0; (fds[0].revents & POLLIN) != 0 && taken < kAcceptBurst; ++taken) {
            if (!Accept()) {
                break;
            }
        }
    }
    JoinFinished(true);
}

bool SocketServer::Accept()
{
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // Out of descriptors or memory: free what finished connections
            // hold and give the system a moment.
            JoinFinished(false);
            stop_.WaitFor(kAcceptBackOff);
        }
        return false;
    }
    if (served_.load() >= limits_.maxConnections) {
        // Said plainly rather than left waiting: a client that keeps its
        // connection open would otherwise never learn why nothing answers.
        [[maybe_unused]] const ssize_t n = send(fd, kBusyMessage, std::char_traits<char>::length(kBusyMessage),
                                                MSG_NOSIGNAL | MSG_DONTWAIT);
        close(fd);
        return true;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    Connection* raw = connection.get();
    try {
        raw->thread = std::thread([this, raw] { Serve(*raw); });
    } catch (const std::system_error&) {
        close(fd);  // no thread to be had: the client is turned away
        return true;
    }
    ++served_;
    connections_.push_back(std::move(connection));
    return true;
}

void SocketServer::JoinFinished(bool all)
{
    for (auto it = connections_.begin(); it != connections_.end();) {
        Connection& connection = **it;
        if (all || connection.finished.load()) {
            // Serve() returns on the stop signal; closing happens here, after
            // the thread is gone, so its descriptor is never reused under it.
            if (connection.thread.joinable()) {
                connection.thread.join();
            }
            close(connection.fd);
            --served_;
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

bool SocketServer::SendAll(int fd, const char* data, std::size_t size)
{
    const auto deadline = Clock::now() + limits_.sendTimeout;
    while (size > 0) {
        const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                return false;
            }
            // The client is not taking what it asked for: wait for room, up
            // to the send time-out, and not past the stop signal.
            pollfd fds[2] = {{fd, POLLOUT, 0}, {stop_.Fd(), POLLIN, 0}};
            const int ready = poll(fds, 2, MillisecondsLeft(deadline));
            if (ready < 0 && errno != EINTR) {
                return false;
            }
            if (fds[1].revents != 0 || (ready == 0 && Clock::now() >= deadline)) {
                return false;
            }
            continue;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool SocketServer::SendReply(int fd, const ServedReply& reply)
{
    if (stop_.WaitFor(reply.delay)) {
        return false;
    }
    if (reply.closeMidReply) {
        SendAll(fd, reply.bytes.data(), reply.bytes.size() / 2);
        return false;
    }
    const std::size_t piece = reply.chunkBytes == 0 ? reply.bytes.size() : reply.chunkBytes;
    for (std::size_t offset = 0; offset < reply.bytes.size(); offset += piece) {
        if (offset > 0 && stop_.WaitFor(reply.chunkPause)) {
            return false;
        }
        const std::size_t n = std::min(piece, reply.bytes.size() - offset);
        if (!SendAll(fd, reply.bytes.data() + offset, n)) {
            return false;
        }
    }
    return true;
}

void SocketServer::Serve(Connection& connection)
{
    std::string pending;
    std::size_t searched = 0;     // bytes of `pending` known to hold no "\n"
    bool discarding = false;      // inside an over-long message, up to its "\n"
    char buffer[1 << 16];
    bool open = true;
    while (open) {
        pollfd fds[2] = {{connection.fd, POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[1].revents != 0) {
            break;
        }
        const ssize_t n = recv(connection.fd, buffer, sizeof(buffer), 0);
        if (n <= 0) {
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
                continue;
            }
            break;
        }
        std::string_view received(buffer, static_cast<std::size_t>(n));
        if (discarding) {
            const std::size_t newline = received.find('\n');
            if (newline == std::string_view::npos) {
                continue;
            }
            received.remove_prefix(newline + 1);
            discarding = false;
        }
        pending.append(received);
        std::size_t start = 0;
        for (std::size_t newline = pending.find('\n', searched);
             newline != std::string::npos && open; newline = pending.find('\n', start)) {
            std::string_view message(pending.data() + start, newline - start);
            start = newline + 1;
            if (!message.empty() && message.back() == '\r') {
                message.remove_suffix(1);
            }
            if (message.empty()) {
                continue;
            }
            if (message.size() > limits_.maxMessageBytes) {
                meter_.RejectOverlong();
                continue;
            }
            if (auto reply = meter_.Execute(message)) {
                open = SendReply(connection.fd, *reply);
            }
        }
        pending.erase(0, start);
        searched = pending.size();
        if (pending.size() > limits_.maxMessageBytes) {
            // A message longer than any the meter takes: what came of it is
            // dropped, and so is the rest up to its newline.
            meter_.RejectOverlong();
            pending.clear();
            pending.shrink_to_fit();
            searched = 0;
            discarding = true;
        }
    }
    shutdown(connection.fd, SHUT_RDWR);
    connection.finished.store(true);
}

}  // namespace voltora::sim
