#include "sim/server/SocketServer.h"

#include "sim/server/ListeningSocket.h"

#include <algorithm>
#include <cerrno>
#include <string_view>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace voltora::sim {

SocketServer::SocketServer(ServedMeter& meter, const StopSignal& stop)
    : meter_(meter), stop_(stop)
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
    return true;
}

void SocketServer::Run()
{
    while (!stop_.Stopped()) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            break;
        }
        if (fds[1].revents != 0) {
            break;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            continue;
        }
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
        JoinFinished(false);
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        Connection* raw = connection.get();
        connections_.push_back(std::move(connection));
        raw->thread = std::thread([this, raw] { Serve(*raw); });
    }
    JoinFinished(true);
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
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

bool SocketServer::SendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
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
            if (n < 0 && errno == EINTR) {
                continue;
            }
            break;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t start = 0;
        for (std::size_t newline = pending.find('\n'); newline != std::string::npos && open;
             newline = pending.find('\n', start)) {
            std::string_view message(pending.data() + start, newline - start);
            start = newline + 1;
            if (!message.empty() && message.back() == '\r') {
                message.remove_suffix(1);
            }
            if (message.empty()) {
                continue;
            }
            if (auto reply = meter_.Execute(message)) {
                open = SendReply(connection.fd, *reply);
            }
        }
        pending.erase(0, start);
    }
    shutdown(connection.fd, SHUT_RDWR);
    connection.finished.store(true);
}

}  // namespace voltora::sim
