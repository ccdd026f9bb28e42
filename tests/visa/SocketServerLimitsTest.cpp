#include "sim/CommandContext.h"
#include "sim/SimulatedMeter.h"
#include "sim/server/ServedMeter.h"
#include "sim/server/SocketServer.h"
#include "sim/server/StopSignal.h"
#include "support/SimServerProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace voltora::sim {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kIdentityQuery = "IDN-ZOBR-PRI?\n";

// `receiveBuffer` > 0 makes the client's receive window small from the start.
int ConnectTo(std::uint16_t port, int receiveBuffer = 0)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) {
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof(receiveBuffer));
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendText(int fd, std::string_view text, std::atomic<std::size_t>* progress = nullptr)
{
    while (!text.empty()) {
        const ssize_t n =
            send(fd, text.data(), std::min<std::size_t>(text.size(), 4096), MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
        if (progress != nullptr) {
            *progress += static_cast<std::size_t>(n);
        }
    }
    return true;
}

// Waits until `progress` has not moved for a while: the peer stopped
// reading.
void WaitUntilStuck(const std::atomic<std::size_t>& progress)
{
    const auto until = Clock::now() + 10s;
    std::size_t last = progress.load();
    while (Clock::now() < until) {
        std::this_thread::sleep_for(1000ms);
        const std::size_t now = progress.load();
        if (now == last) {
            return;
        }
        last = now;
    }
}

// One line of reply, or "" on time-out; "<closed>" when the server closed
// the connection first.
std::string ReadLine(int fd, std::chrono::milliseconds timeout = 3000ms)
{
    std::string line;
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) {
            continue;
        }
        char c = 0;
        const ssize_t n = recv(fd, &c, 1, 0);
        if (n <= 0) {
            return line.empty() ? "<closed>" : line;
        }
        if (c == '\n') {
            return line;
        }
        line += c;
    }
    return "";
}

std::string Query(std::uint16_t port, const char* query)
{
    const int fd = ConnectTo(port);
    if (fd < 0) {
        return "<no connection>";
    }
    SendText(fd, query);
    std::string reply = ReadLine(fd);
    close(fd);
    return reply;
}

// A voltora-sim raw-socket server inside the test, on a free loopback port.
class ServedSocket {
public:
    explicit ServedSocket(SocketServerLimits limits)
        : served_([this](std::string_view m) { return meter_.Execute(m); }, {}, 0us, false),
          server_(served_, stop_, limits)
    {
        served_.SetOverlongHandler([this] { meter_.ReportError(error::kTooMuchData, "Too much data"); });
        std::string error;
        ready_ = server_.Listen("127.0.0.1", 0, error);
        thread_ = std::thread([this] { server_.Run(); });
    }
    ~ServedSocket()
    {
        stop_.Stop();
        thread_.join();
    }
    bool Ready() const { return ready_; }
    std::uint16_t Port() const { return server_.Port(); }
    std::size_t Connections() const { return server_.ConnectionCount(); }
    bool WaitForConnections(std::size_t count, std::chrono::milliseconds timeout = 3000ms) const
    {
        const auto deadline = Clock::now() + timeout;
        while (Connections() != count && Clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        return Connections() == count;
    }

private:
    SimulatedMeter meter_{SimulatedMeterOptions{}};
    StopSignal stop_;
    ServedMeter served_;
    SocketServer server_;
    std::thread thread_;
    bool ready_ = false;
};

TEST(SocketServerLimitsTest, OverlongMessageIsAnsweredWithAnErrorAndDiscarded)
{
    SocketServerLimits limits;
    limits.maxMessageBytes = 4096;
    ServedSocket server(limits);
    ASSERT_TRUE(server.Ready());
    const int fd = ConnectTo(server.Port());
    ASSERT_GE(fd, 0);
    struct Case {
        const char* name;
        std::string sent;
    };
    const std::vector<Case> cases = {
        // Far past the limit in many pieces, then its newline.
        {"a long line", std::string(200 * 1024, 'A') + "\n"},
        // Past the limit by one, ending within one piece.
        {"one byte too long", std::string(4097, 'B') + "\n"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SendText(fd, c.sent)) << c.name;
        ASSERT_TRUE(SendText(fd, "SYST:ERR?\n")) << c.name;
        EXPECT_EQ(ReadLine(fd), "-223,\"Too much data\"") << c.name;
        // The connection goes on as before.
        ASSERT_TRUE(SendText(fd, kIdentityQuery)) << c.name;
        EXPECT_NE(ReadLine(fd).find("ZAN"), std::string::npos) << c.name;
    }
    // A message just within the limit is executed (and is not a command).
    ASSERT_TRUE(SendText(fd, std::string(4096, 'C') + "\nSYST:ERR?\n"));
    EXPECT_EQ(ReadLine(fd), "-113,\"Undefined header\"");
    close(fd);
}

TEST(SocketServerLimitsTest, ClientBeyondTheCapIsToldAndLaterOnesAreServed)
{
    SocketServerLimits limits;
    limits.maxConnections = 2;
    ServedSocket server(limits);
    ASSERT_TRUE(server.Ready());
    const int first = ConnectTo(server.Port());
    const int second = ConnectTo(server.Port());
    ASSERT_TRUE(server.WaitForConnections(2));
    const int third = ConnectTo(server.Port());
    ASSERT_GE(third, 0);
    std::string busy = SocketServer::kBusyMessage;
    busy.pop_back();
    EXPECT_EQ(ReadLine(third), busy);
    EXPECT_EQ(ReadLine(third), "<closed>");
    close(third);
    close(first);
    // Once one leaves, a new client is served.
    ASSERT_TRUE(server.WaitForConnections(1));
    EXPECT_NE(Query(server.Port(), kIdentityQuery).find("ZAN"), std::string::npos);
    close(second);
}

TEST(SocketServerLimitsTest, FinishedConnectionsAreReapedWithoutANewClient)
{
    ServedSocket server(SocketServerLimits{});
    ASSERT_TRUE(server.Ready());
    std::vector<int> fds;
    for (int i = 0; i < 10; ++i) {
        fds.push_back(ConnectTo(server.Port()));
    }
    ASSERT_TRUE(server.WaitForConnections(10));
    for (int fd : fds) {
        close(fd);
    }
    // No client comes after them, yet their threads and descriptors go.
    EXPECT_TRUE(server.WaitForConnections(0));
}

TEST(SocketServerLimitsTest, ClientThatNeverReadsIsGivenUp)
{
    SocketServerLimits limits;
    limits.sendTimeout = 300ms;
    ServedSocket server(limits);
    ASSERT_TRUE(server.Ready());
    const int fd = ConnectTo(server.Port(), 4096);
    ASSERT_GE(fd, 0);
    std::string queries;
    for (int i = 0; i < 300000; ++i) {
        queries += kIdentityQuery;
    }
    // Written from a thread: once the server stops reading, so may we.
    std::thread writer([fd, &queries] { SendText(fd, queries); });
    EXPECT_TRUE(server.WaitForConnections(0, 30000ms));
    shutdown(fd, SHUT_RDWR);
    writer.join();
    close(fd);
    EXPECT_NE(Query(server.Port(), kIdentityQuery).find("ZAN"), std::string::npos);
}

// CPU time (user + system) the process has used, in clock ticks.
long CpuTicks(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) {
            utime = std::stol(field);
        } else if (i == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return utime + stime;
}

int OpenDescriptors(pid_t pid)
{
    int count = 0;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd/";
    for (int fd = 0; fd < 256; ++fd) {
        if (access((folder + std::to_string(fd)).c_str(), F_OK) == 0) {
            ++count;
        }
    }
    return count;
}

// The server process out of descriptors: it neither spins nor stops
// serving once descriptors are free again, and still stops on SIGTERM.
TEST(SimServerAttackTest, OutOfDescriptorsTheServerWaitsInsteadOfSpinning)
{
    testing::SimServerProcess sim({"--no-vxi11", "--no-rpcbind"});
    ASSERT_TRUE(sim.Ready()) << sim.Error();
    const int used = OpenDescriptors(sim.Pid());
    rlimit limit{static_cast<rlim_t>(used + 2), static_cast<rlim_t>(used + 2)};
    ASSERT_EQ(prlimit(sim.Pid(), RLIMIT_NOFILE, &limit, nullptr), 0);
    std::vector<int> clients;
    for (int i = 0; i < 8; ++i) {
        clients.push_back(ConnectTo(sim.SocketPort()));  // queued even when not accepted
    }
    std::this_thread::sleep_for(300ms);
    const long before = CpuTicks(sim.Pid());
    std::this_thread::sleep_for(1000ms);
    const long used1s = CpuTicks(sim.Pid()) - before;
    EXPECT_LT(used1s, sysconf(_SC_CLK_TCK) / 10) << "ticks of CPU in one second";
    for (int fd : clients) {
        close(fd);
    }
    EXPECT_NE(Query(sim.SocketPort(), kIdentityQuery).find("ZAN"), std::string::npos);
    const auto start = Clock::now();
    EXPECT_EQ(sim.Stop(1000ms), 0);
    EXPECT_LT(Clock::now() - start, 1000ms);
}

// A client that floods queries and never reads holds a connection thread in
// its send; SIGTERM still ends the server within a second.
TEST(SimServerAttackTest, StopsPromptlyWhileAClientNeverReads)
{
    testing::SimServerProcess sim({"--no-vxi11", "--no-rpcbind"});
    ASSERT_TRUE(sim.Ready()) << sim.Error();
    const int fd = ConnectTo(sim.SocketPort(), 4096);
    ASSERT_GE(fd, 0);
    std::string queries;
    for (int i = 0; i < 1000000; ++i) {
        queries += kIdentityQuery;
    }
    std::atomic<std::size_t> progress{0};
    std::thread writer([fd, &queries, &progress] { SendText(fd, queries, &progress); });
    WaitUntilStuck(progress);  // the server is blocked sending to us
    const auto start = Clock::now();
    EXPECT_EQ(sim.Stop(1000ms), 0);
    EXPECT_LT(Clock::now() - start, 1000ms);
    shutdown(fd, SHUT_RDWR);
    writer.join();
    close(fd);
}

}  // namespace
}  // namespace voltora::sim
