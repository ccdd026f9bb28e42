// Finding LAN instruments by a broadcast portmapper look-up. The test
// process moves into a network namespace of its own before anything else
// runs, with only the loopback interface: simulated meters on 127.0.0.x
// answer the broadcast to 127.255.255.255 there, and nothing reaches a
// real network. Where namespaces are not allowed the tests are skipped
// and say why.

#include "support/SimServerProcess.h"

#include "visa/Vxi11Discovery.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace voltora::testing {
namespace {

using Clock = std::chrono::steady_clock;

bool WriteFile(const char* path, const std::string& text)
{
    std::ofstream out(path);
    out << text;
    return static_cast<bool>(out.flush());
}

// Enters a new network namespace (as root, or as root of a new user
// namespace) and brings its loopback interface up. Empty on success,
// otherwise why not.
std::string EnterOwnNetworkNamespace()
{
    if (unshare(CLONE_NEWNET) != 0) {
        const int asRoot = errno;
        const uid_t uid = getuid();
        const gid_t gid = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
            return std::string("cannot create a network namespace (") + std::strerror(asRoot) +
                   "; in a user namespace: " + std::strerror(errno) + ")";
        }
        WriteFile("/proc/self/setgroups", "deny");
        WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    const bool up = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &request) == 0 &&
                    (request.ifr_flags |= IFF_UP, ioctl(fd, SIOCSIFFLAGS, &request) == 0);
    if (fd >= 0) {
        close(fd);
    }
    return up ? std::string() : std::string("cannot bring up loopback in the new namespace");
}

// Runs while the process has one thread, before main.
const std::string g_namespaceProblem = EnterOwnNetworkNamespace();

class LanDiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!g_namespaceProblem.empty()) {
            GTEST_SKIP() << "LAN discovery needs a network namespace of its own: "
                         << g_namespaceProblem;
        }
    }

    // A simulated meter on 127.0.0.`host`, answering look-ups itself.
    void StartMeter(int host)
    {
        meters_.push_back(std::make_unique<SimServerProcess>(std::vector<std::string>{
            "--address", "127.0.0." + std::to_string(host), "--no-socket", "--portmapper"}));
        ASSERT_TRUE(meters_.back()->Ready()) << meters_.back()->Error();
    }

    std::vector<std::unique_ptr<SimServerProcess>> meters_;
};

TEST_F(LanDiscoveryTest, OneMeterIsFoundWithItsIdentity)
{
    StartMeter(2);
    const auto start = Clock::now();
    const auto found = visa::FindVxi11Instruments();
    const auto elapsed = Clock::now() - start;
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].address, "127.0.0.2");
    EXPECT_EQ(found[0].port, meters_[0]->Vxi11Port());
    EXPECT_EQ(found[0].identity.rfind("ZAN", 0), 0u) << found[0].identity;
    EXPECT_EQ(found[0].resource(), "TCPIP0::127.0.0.2::inst0::INSTR");
    // Answers are collected for one second; the identity is read meanwhile.
    EXPECT_GE(elapsed, std::chrono::milliseconds(990));
    EXPECT_LT(elapsed, std::chrono::milliseconds(2000));
}

TEST_F(LanDiscoveryTest, TenMetersAreFoundOnceEachInAddressOrder)
{
    for (int host = 11; host >= 2; --host) {
        StartMeter(host);
    }
    const auto found = visa::FindVxi11Instruments();
    ASSERT_EQ(found.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(found[i].address, "127.0.0." + std::to_string(i + 2));
        EXPECT_FALSE(found[i].identity.empty()) << found[i].address;
    }
}

TEST_F(LanDiscoveryTest, NothingAnsweringGivesAnEmptyListAfterTheWindow)
{
    visa::DiscoveryOptions options;
    options.window = std::chrono::milliseconds(300);
    const auto start = Clock::now();
    EXPECT_TRUE(visa::FindVxi11Instruments(options).empty());
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
}

// A portmapper of our own on 127.0.0.20, answering every broadcast look-up
// in one way.
class OddResponder {
public:
    enum class Kind { NotRegistered, WrongTransaction, Junk, Denied };

    explicit OddResponder(Kind kind) : kind_(kind)
    {
        listen_ = Bind("127.255.255.255");
        reply_ = Bind("127.0.0.20");
        thread_ = std::thread([this] { Run(); });
    }
    ~OddResponder()
    {
        stop_ = true;
        thread_.join();
        close(listen_);
        close(reply_);
    }
    int Answered() const { return answered_.load(); }

private:
    static int Bind(const char* address)
    {
        const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(111);
        inet_pton(AF_INET, address, &local.sin_addr);
        bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof(local));
        return fd;
    }

    void Run()
    {
        while (!stop_) {
            pollfd fd{listen_, POLLIN, 0};
            if (poll(&fd, 1, 50) <= 0) {
                continue;
            }
            std::uint32_t call[32] = {};
            sockaddr_in from{};
            socklen_t length = sizeof(from);
            if (recvfrom(listen_, call, sizeof(call), 0, reinterpret_cast<sockaddr*>(&from),
                         &length) < 4) {
                continue;
            }
            // xid, REPLY, MSG_ACCEPTED, null verifier, SUCCESS, port.
            std::vector<std::uint32_t> reply = {call[0], htonl(1), 0, 0, 0, 0, htonl(4242)};
            switch (kind_) {
            case Kind::NotRegistered:
                reply[6] = 0;
                break;
            case Kind::WrongTransaction:
                reply[0] = ~call[0];
                break;
            case Kind::Junk:
                reply.resize(3);
                break;
            case Kind::Denied:
                reply = {call[0], htonl(1), htonl(1), htonl(0), htonl(2), htonl(2)};
                break;
            }
            sendto(reply_, reply.data(), reply.size() * 4, 0, reinterpret_cast<sockaddr*>(&from),
                   length);
            answered_.fetch_add(1);
        }
    }

    Kind kind_;
    int listen_ = -1;
    int reply_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    std::thread thread_;
};

class OddAnswerTest : public LanDiscoveryTest,
                      public ::testing::WithParamInterface<OddResponder::Kind> {};

TEST_P(OddAnswerTest, IsNotListedBesideARealMeter)
{
    StartMeter(3);
    OddResponder odd(GetParam());
    const auto found = visa::FindVxi11Instruments();
    EXPECT_GE(odd.Answered(), 1);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].address, "127.0.0.3");
}

INSTANTIATE_TEST_SUITE_P(Answers, OddAnswerTest,
                         ::testing::Values(OddResponder::Kind::NotRegistered,
                                           OddResponder::Kind::WrongTransaction,
                                           OddResponder::Kind::Junk,
                                           OddResponder::Kind::Denied));

TEST_F(LanDiscoveryTest, ScpiToolListsAddressAndIdentity)
{
    StartMeter(4);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        execl(VOLTORA_SCPI_PATH, VOLTORA_SCPI_PATH, "--list", "--lan", nullptr);
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(out[0], buffer, sizeof(buffer))) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(text.rfind("127.0.0.4\tZAN", 0), 0u) << text;
    EXPECT_NE(text.find("\tTCPIP0::127.0.0.4::inst0::INSTR\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace voltora::testing
