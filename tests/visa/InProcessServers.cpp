#include "InProcessServers.h"

#include "platform/CNumbers.h"
#include "sim/server/ListeningSocket.h"
#include "visa/ResourceManager.h"
#include "visa/Vxi11Backend.h"

#include <arpa/inet.h>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace voltora::testing {
namespace {

// Reads exactly `size` bytes unless the stop signal or the peer ends first.
bool ReadExactly(int fd, char* out, std::size_t size, const sim::StopSignal& stop)
{
    while (size > 0) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
        if (poll(fds, 2, -1) <= 0 || fds[1].revents != 0) {
            return false;
        }
        const ssize_t n = recv(fd, out, size, 0);
        if (n <= 0) {
            return false;
        }
        out += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

FakePortmapper::FakePortmapper(Mode mode, std::uint16_t answer)
    : mode_(mode), answer_(answer)
{
    std::string error;
    listenFd_ = sim::ListenTcp("127.0.0.1", 0, error);
    port_ = sim::LocalPort(listenFd_);
    thread_ = std::thread([this] { Run(); });
}

FakePortmapper::~FakePortmapper()
{
    stop_.Stop();
    thread_.join();
    close(listenFd_);
}

void FakePortmapper::Run()
{
    std::vector<int> clients;
    while (!stop_.Stopped()) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
        if (poll(fds, 2, -1) <= 0 || fds[1].revents != 0) {
            break;
        }
        const int fd = accept(listenFd_, nullptr, nullptr);
        if (fd < 0) {
            continue;
        }
        clients.push_back(fd);
        // One call per connection: record mark, then the call message.
        std::uint32_t mark = 0;
        if (!ReadExactly(fd, reinterpret_cast<char*>(&mark), 4, stop_)) {
            continue;
        }
        std::vector<char> call(ntohl(mark) & 0x7FFFFFFFu);
        if (call.size() < 4 || !ReadExactly(fd, call.data(), call.size(), stop_)) {
            continue;
        }
        requests_.fetch_add(1);
        if (mode_ == Mode::Silent) {
            continue;  // keeps the connection open and never answers
        }
        std::uint32_t xid = 0;
        std::memcpy(&xid, call.data(), 4);
        // xid, REPLY, MSG_ACCEPTED, null verifier, SUCCESS, the port.
        const std::uint32_t reply[8] = {htonl(0x80000000u | 28), xid, htonl(1), 0, 0, 0, 0,
                                        htonl(answer_)};
        [[maybe_unused]] const ssize_t sent = send(fd, reply, sizeof(reply), MSG_NOSIGNAL);
    }
    for (const int fd : clients) {
        close(fd);
    }
}

InProcessServers::InProcessServers(sim::ServedMeter::Handler handler, sim::FaultOptions faults)
    : meter_(std::move(handler), std::move(faults), std::chrono::microseconds(0), false),
      socket_(meter_, stop_),
      vxi11_(meter_, stop_)
{
    std::string error;
    if (!socket_.Listen("127.0.0.1", 0, error) || !vxi11_.Listen("127.0.0.1", 0, error)) {
        return;
    }
    portmapper_ = std::make_unique<FakePortmapper>(FakePortmapper::Mode::Answer, vxi11_.Port());
    backend_ = std::make_shared<visa::Vxi11Backend>(portmapper_->Port());
    visa::ResourceManager::Instance().AddBackend(backend_, true);
    socketThread_ = std::thread([this] { socket_.Run(); });
    vxi11Thread_ = std::thread([this] { vxi11_.Run(); });
    ready_ = true;
}

InProcessServers::~InProcessServers()
{
    if (backend_) {
        visa::ResourceManager::Instance().RemoveBackend(backend_);
    }
    stop_.Stop();
    if (socketThread_.joinable()) {
        socketThread_.join();
    }
    if (vxi11Thread_.joinable()) {
        vxi11Thread_.join();
    }
}

std::string InProcessServers::SocketResource() const
{
    return platform::CFormat("TCPIP0::127.0.0.1::%u::SOCKET",
                             static_cast<unsigned>(socket_.Port()));
}

}  // namespace voltora::testing
