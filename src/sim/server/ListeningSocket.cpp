#include "sim/server/ListeningSocket.h"

#include "platform/CNumbers.h"

#include <cerrno>
#include <cstring>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace voltora::sim {

int ListenTcp(const std::string& address, std::uint16_t port, std::string& error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = platform::CFormat("%u", static_cast<unsigned>(port));
    const int lookup = getaddrinfo(address.c_str(), service.c_str(), &hints, &found);
    if (lookup != 0 || found == nullptr) {
        error = "cannot resolve address " + address + ": " + gai_strerror(lookup);
        return -1;
    }
    int fd = -1;
    for (addrinfo* candidate = found; candidate != nullptr; candidate = candidate->ai_next) {
        fd = socket(candidate->ai_family, candidate->ai_socktype | SOCK_CLOEXEC,
                    candidate->ai_protocol);
        if (fd < 0) {
            continue;
        }
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
        // A deep queue of connections not yet accepted: with a short one, a
        // burst of clients connecting at once sees some of its connects
        // dropped and retried a second later.
        if (bind(fd, candidate->ai_addr, candidate->ai_addrlen) == 0 && listen(fd, SOMAXCONN) == 0) {
            break;
        }
        error = "cannot listen on " + address + " port " + service + ": " + std::strerror(errno);
        close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    return fd;
}

std::uint16_t LocalPort(int fd)
{
    sockaddr_storage local{};
    socklen_t length = sizeof(local);
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return 0;
    }
    if (local.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<sockaddr_in*>(&local)->sin_port);
    }
    if (local.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<sockaddr_in6*>(&local)->sin6_port);
    }
    return 0;
}

}  // namespace voltora::sim
