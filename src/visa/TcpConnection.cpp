#include "visa/TcpConnection.h"

#include "visa/HostResolver.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace voltora::visa {

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
        return 0;
    }
    return left.count() > INT_MAX ? INT_MAX : static_cast<int>(left.count());
}

TcpConnection::TcpConnection()
    : wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

TcpConnection::~TcpConnection()
{
    if (fd_ >= 0) {
        close(fd_);
    }
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
}

ViStatus TcpConnection::Connect(const std::string& host, std::uint16_t port,
                                Clock::time_point deadline)
{
    char service[8] = {};
    // The port as decimal text for the address look-up.
    {
        char digits[8];
        int n = 0;
        unsigned value = port;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        for (int i = 0; i < n; ++i) {
            service[i] = digits[n - 1 - i];
        }
    }
    AddressList addresses;
    const ViStatus resolved = ResolveHost(host, service, deadline, interrupted_, addresses);
    if (resolved != VI_SUCCESS) {
        return resolved;
    }
    addrinfo* const found = addresses.get();
    ViStatus status = VI_ERROR_RSRC_NFOUND;
    for (addrinfo* address = found; address != nullptr; address = address->ai_next) {
        const int fd = socket(address->ai_family,
                              address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                              address->ai_protocol);
        if (fd < 0) {
            continue;
        }
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = fd;
        if (connect(fd, address->ai_addr, address->ai_addrlen) == 0) {
            status = VI_SUCCESS;
            break;
        }
        if (errno != EINPROGRESS) {
            continue;
        }
        status = Wait(POLLOUT, deadline);
        if (status != VI_SUCCESS) {
            break;
        }
        int error = 0;
        socklen_t length = sizeof(error);
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error == 0) {
            status = VI_SUCCESS;
            break;
        }
        status = VI_ERROR_RSRC_NFOUND;
    }
    if (status == VI_SUCCESS) {
        const int on = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
        // From here on the socket blocks, bounded by its send and receive
        // time-outs; Interrupt() shuts it down to wake a blocked call.
        const int flags = fcntl(fd_, F_GETFL);
        if (flags < 0 || fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) < 0) {
            status = VI_ERROR_SYSTEM_ERROR;
        }
    }
    return status;
}

ViStatus TcpConnection::Wait(short events, Clock::time_point deadline)
{
    for (;;) {
        if (interrupted_.load()) {
            return VI_ERROR_CONN_LOST;
        }
        pollfd fds[2] = {{fd_, events, 0}, {wakeFd_, POLLIN, 0}};
        const int ready = poll(fds, 2, MillisecondsUntil(deadline));
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return VI_ERROR_SYSTEM_ERROR;
        }
        if (interrupted_.load() || (fds[1].revents & POLLIN) != 0) {
            return VI_ERROR_CONN_LOST;
        }
        if (fds[0].revents != 0) {
            return VI_SUCCESS;
        }
        if (ready == 0 && Clock::now() >= deadline) {
            return VI_ERROR_TMO;
        }
    }
}

ViStatus TcpConnection::SendAll(const void* first, std::size_t firstSize, const void* second,
                                std::size_t secondSize, Clock::time_point deadline)
{
    iovec parts[2] = {{const_cast<void*>(first), firstSize},
                      {const_cast<void*>(second), secondSize}};
    int index = 0;
    bool sentSome = false;
    // Part of a message on the wire would make the peer read the next one
    // as its continuation: a send that fails part-way gives the link up.
    auto fail = [this, &sentSome](ViStatus status) {
        if (sentSome) {
            Interrupt();
        }
        return status;
    };
    while (index < 2) {
        if (parts[index].iov_len == 0) {
            ++index;
            continue;
        }
        if (interrupted_.load()) {
            return VI_ERROR_CONN_LOST;
        }
        const int left = MillisecondsUntil(deadline);
        if (left == 0) {
            return fail(VI_ERROR_TMO);
        }
        SetTimeout(SO_SNDTIMEO, left, sendTimeoutMs_);
        msghdr message{};
        message.msg_iov = parts + index;
        message.msg_iovlen = static_cast<std::size_t>(2 - index);
        const ssize_t sent = sendmsg(fd_, &message, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                continue;  // the deadline is checked above
            }
            return fail(VI_ERROR_CONN_LOST);
        }
        sentSome = sentSome || sent > 0;
        std::size_t done = static_cast<std::size_t>(sent);
        while (index < 2 && done >= parts[index].iov_len) {
            done -= parts[index].iov_len;
            parts[index].iov_len = 0;
            ++index;
        }
        if (index < 2) {
            parts[index].iov_base = static_cast<char*>(parts[index].iov_base) + done;
            parts[index].iov_len -= done;
        }
    }
    return VI_SUCCESS;
}

ViStatus TcpConnection::ReceiveSome(void* buffer, std::size_t size, std::size_t& received,
                                    Clock::time_point deadline)
{
    received = 0;
    for (;;) {
        if (interrupted_.load()) {
            return VI_ERROR_CONN_LOST;
        }
        // A blocking receive with the socket's time-out: one system call on
        // the common path, where a reply is on its way.
        const int left = MillisecondsUntil(deadline);
        int flags = 0;
        if (left == 0) {
            flags = MSG_DONTWAIT;
        } else {
            SetTimeout(SO_RCVTIMEO, left, receiveTimeoutMs_);
        }
        const ssize_t n = recv(fd_, buffer, size, flags);
        if (n > 0) {
            received = static_cast<std::size_t>(n);
            return VI_SUCCESS;
        }
        if (n == 0 || interrupted_.load()) {
            // The peer closed the connection, or Interrupt() shut it down.
            return VI_ERROR_CONN_LOST;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return VI_ERROR_CONN_LOST;
        }
        if (left == 0 || Clock::now() >= deadline) {
            return VI_ERROR_TMO;
        }
    }
}

void TcpConnection::SetTimeout(int option, int milliseconds, int& current)
{
    // Kept while it is within a millisecond of what is wanted, so that the
    // common path makes no extra system call.
    if (current >= milliseconds && current <= milliseconds + 1) {
        return;
    }
    timeval tv{};
    tv.tv_sec = milliseconds / 1000;
    tv.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
    if (setsockopt(fd_, SOL_SOCKET, option, &tv, sizeof(tv)) == 0) {
        current = milliseconds;
    }
}

void TcpConnection::Interrupt()
{
    interrupted_.store(true);
    if (fd_ >= 0) {
        // Wakes a send or receive blocked on the socket.
        shutdown(fd_, SHUT_RDWR);
    }
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof(one));
    }
}

}  // namespace voltora::visa
