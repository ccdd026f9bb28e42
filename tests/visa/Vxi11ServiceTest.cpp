// The VXI-11 abort channel and device clear, between our client and the
// served meter, and the served meter's behaviour with several clients:
// one stalled client does not hold up another, link state ends with its
// connection, and a message without END cannot grow without bound.

#include "InProcessServers.h"
#include "support/SimServerProcess.h"

#include "protocol/VxiProtocol.h"
#include "visa/RpcClient.h"
#include "visa/Vxi11Session.h"
#include "visa/visa.h"

#include "protocol/XdrProc.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace voltora::testing {
namespace {

namespace vxi11 = protocol::vxi11;
using Clock = std::chrono::steady_clock;
using AbortChannel = sim::Vxi11Server::AbortChannel;

constexpr const char* kIdentity = "ZAN,TEST-METER,0001,1.0\n";

std::optional<std::string> Answer(std::string_view message)
{
    if (message == "*IDN?") {
        return std::string(kIdentity);
    }
    if (message == "SLOW?") {
        return std::string("late reply\n");
    }
    return std::nullopt;
}

// A connection of our own to the served VXI-11 core channel.
int ConnectRaw(std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof(to)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

class Vxi11SessionClient {
public:
    explicit Vxi11SessionClient(std::uint16_t port,
                                std::chrono::milliseconds timeout = std::chrono::seconds(2))
    {
        visa::Vxi11Session::Endpoint endpoint;
        endpoint.host = "127.0.0.1";
        endpoint.corePort = port;
        status = visa::Vxi11Session::Open(endpoint, timeout, session);
    }

    ViStatus Write(const std::string& text, std::chrono::milliseconds timeout)
    {
        std::size_t written = 0;
        return session->Write(reinterpret_cast<const ViByte*>(text.data()), text.size(), written,
                              timeout);
    }

    std::string Read(ViStatus& result, std::chrono::milliseconds timeout)
    {
        std::string buffer(4096, '\0');
        std::size_t got = 0;
        bool end = false;
        result = session->Read(reinterpret_cast<ViByte*>(buffer.data()), buffer.size(), got, end,
                               timeout);
        buffer.resize(got);
        return buffer;
    }

    std::string Query(const std::string& text, std::chrono::milliseconds timeout)
    {
        if (Write(text, timeout) != VI_SUCCESS) {
            return "(write failed)";
        }
        ViStatus result = 0;
        std::string reply = Read(result, timeout);
        return result == VI_SUCCESS ? reply : "(read failed)";
    }

    visa::Vxi11Session& Session() { return static_cast<visa::Vxi11Session&>(*session); }

    ViStatus status = VI_ERROR_SYSTEM_ERROR;
    std::unique_ptr<visa::IVisaSession> session;
};

// --- abort channel --------------------------------------------------------

struct AbortCase {
    const char* name;
    AbortChannel channel;
    bool hasChannel;      // the client could open the abort channel
    int abortsSeen;       // device_abort calls the meter received
    bool nextQueryAtOnce; // the meter stopped its reply, so the link is free
};

class Vxi11AbortTest : public ::testing::TestWithParam<AbortCase> {};

TEST_P(Vxi11AbortTest, ReadTimeOutAbortsTheReplyAndTheNextQueryGetsItsOwnAnswer)
{
    const AbortCase& c = GetParam();
    sim::FaultOptions faults;
    faults.silent = std::chrono::milliseconds(2500);  // a meter hanging in its reply
    faults.match = "SLOW?";
    faults.count = 1;
    InProcessServers servers(Answer, faults);
    ASSERT_TRUE(servers.Ready());
    servers.Vxi11().SetAbortChannel(c.channel);

    Vxi11SessionClient client(servers.Vxi11Port());
    ASSERT_EQ(client.status, VI_SUCCESS);
    EXPECT_EQ(client.Session().HasAbortChannel(), c.hasChannel);
    ASSERT_EQ(client.Write("SLOW?", std::chrono::milliseconds(300)), VI_SUCCESS);
    const auto start = Clock::now();
    ViStatus result = 0;
    const std::string partial = client.Read(result, std::chrono::milliseconds(300));
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(result, VI_ERROR_TMO);
    EXPECT_TRUE(partial.empty());
    // The abort (and the drain after it) is bounded even when the abort
    // channel never answers.
    EXPECT_LT(elapsed, std::chrono::milliseconds(300 + 1000 + 500));
    EXPECT_EQ(servers.Vxi11().AbortsReceived(), c.abortsSeen);

    const auto next = Clock::now();
    if (c.nextQueryAtOnce) {
        EXPECT_EQ(client.Query("*IDN?", std::chrono::milliseconds(500)), kIdentity);
        EXPECT_LT(Clock::now() - next, std::chrono::milliseconds(500));
    }
    // Whatever happened, the late reply is never taken for a later answer.
    std::string reply;
    for (int attempt = 0; attempt < 10 && reply != kIdentity; ++attempt) {
        reply = client.Query("*IDN?", std::chrono::milliseconds(1000));
        EXPECT_NE(reply, "late reply\n");
    }
    EXPECT_EQ(reply, kIdentity);
}

INSTANTIATE_TEST_SUITE_P(
    Channels, Vxi11AbortTest,
    ::testing::Values(AbortCase{"Served", AbortChannel::Serve, true, 1, true},
                      AbortCase{"Ignored", AbortChannel::Ignore, true, 1, false},
                      AbortCase{"NeverAnswered", AbortChannel::Silent, true, 1, false},
                      AbortCase{"Unreachable", AbortChannel::Unreachable, false, 0, false}),
    [](const ::testing::TestParamInfo<AbortCase>& paramInfo) { return paramInfo.param.name; });

// --- device clear -----------------------------------------------------------

TEST(Vxi11ClearTest, ViClearSendsDeviceClearAndThePendingReplyIsGone)
{
    InProcessServers servers(Answer);
    ASSERT_TRUE(servers.Ready());
    ViSession rm = 0;
    ViSession session = 0;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    ASSERT_EQ(viOpen(rm, InProcessServers::kVxi11Resource, 0, 0, &session), VI_SUCCESS);
    ASSERT_EQ(viSetAttribute(session, VI_ATTR_TMO_VALUE, 300), VI_SUCCESS);
    ViUInt32 count = 0;
    ASSERT_EQ(viWrite(session, reinterpret_cast<ViConstBuf>("*IDN?"), 5, &count), VI_SUCCESS);

    EXPECT_EQ(viClear(session), VI_SUCCESS);
    EXPECT_EQ(servers.Vxi11().ClearsReceived(), 1);
    char buffer[256] = {};
    EXPECT_EQ(viRead(session, reinterpret_cast<ViPBuf>(buffer), sizeof(buffer), &count),
              VI_ERROR_TMO);
    EXPECT_EQ(count, 0u);

    ASSERT_EQ(viWrite(session, reinterpret_cast<ViConstBuf>("*IDN?"), 5, &count), VI_SUCCESS);
    ASSERT_EQ(viRead(session, reinterpret_cast<ViPBuf>(buffer), sizeof(buffer), &count),
              VI_SUCCESS);
    EXPECT_EQ(std::string(buffer, count), kIdentity);
    EXPECT_EQ(viClear(0x7FFFFFF0), VI_ERROR_INV_OBJECT);
    viClose(rm);
}

// --- several clients ----------------------------------------------------------

enum class Stall { WaitingInRead, HalfSentRecord };

class Vxi11StalledClientTest : public ::testing::TestWithParam<Stall> {};

TEST_P(Vxi11StalledClientTest, DoesNotDelayAnotherClient)
{
    InProcessServers servers(Answer);
    ASSERT_TRUE(servers.Ready());
    Vxi11SessionClient stalled(servers.Vxi11Port());
    ASSERT_EQ(stalled.status, VI_SUCCESS);
    std::future<void> waiting;
    int raw = -1;
    if (GetParam() == Stall::WaitingInRead) {
        // Nothing to read: the meter waits out the 4 s the client allows.
        waiting = std::async(std::launch::async, [&] {
            ViStatus result = 0;
            stalled.Read(result, std::chrono::milliseconds(4000));
        });
    } else {
        // A record mark announcing 200 bytes, then only 10 of them.
        raw = ConnectRaw(servers.Vxi11Port());
        ASSERT_GE(raw, 0);
        const std::uint32_t mark = htonl(0x80000000u | 200);
        char start[14] = {};
        std::memcpy(start, &mark, sizeof(mark));
        ASSERT_EQ(send(raw, start, sizeof(start), MSG_NOSIGNAL), 14);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    const auto begin = Clock::now();
    Vxi11SessionClient other(servers.Vxi11Port(), std::chrono::milliseconds(1000));
    ASSERT_EQ(other.status, VI_SUCCESS);
    EXPECT_EQ(other.Query("*IDN?", std::chrono::milliseconds(1000)), kIdentity);
    EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(1000));

    if (raw >= 0) {
        close(raw);
    }
    if (waiting.valid()) {
        stalled.session->Close();  // ends the waiting read at once
        waiting.get();
    }
}

INSTANTIATE_TEST_SUITE_P(Stalls, Vxi11StalledClientTest,
                         ::testing::Values(Stall::WaitingInRead, Stall::HalfSentRecord),
                         [](const ::testing::TestParamInfo<Stall>& paramInfo) {
                             return paramInfo.param == Stall::WaitingInRead ? "WaitingInRead"
                                                                            : "HalfSentRecord";
                         });

// --- bounded state ------------------------------------------------------------

// Calls on the core channel below the session layer, so that a test can
// send chunks without END.
struct RawLink {
    std::unique_ptr<visa::RpcClient> rpc;
    std::int32_t lid = 0;

    ViStatus Open(std::uint16_t port)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        ViStatus status = visa::RpcClient::Connect("127.0.0.1", port, vxi11::kCoreProgram,
                                                   vxi11::kCoreVersion, deadline, rpc);
        if (status != VI_SUCCESS) {
            return status;
        }
        char device[] = "inst0";
        vxi11::CreateLinkParms parms;
        parms.device = device;
        vxi11::CreateLinkResp reply;
        status = rpc->Call(vxi11::kCreateLink, protocol::XdrProc<vxi11::XdrCreateLinkParms>(),
                           &parms, protocol::XdrProc<vxi11::XdrCreateLinkResp>(), &reply, deadline);
        lid = reply.lid;
        return status == VI_SUCCESS && reply.error != 0 ? VI_ERROR_IO : status;
    }

    ViStatus WriteChunk(const std::string& data, bool end)
    {
        vxi11::DeviceWriteParms parms;
        parms.lid = lid;
        parms.ioTimeout = 1000;
        parms.flags = end ? vxi11::kFlagEnd : 0;
        parms.dataLength = static_cast<u_int>(data.size());
        parms.data = const_cast<char*>(data.data());
        vxi11::DeviceWriteResp reply;
        const ViStatus status =
            rpc->Call(vxi11::kDeviceWrite, protocol::XdrProc<vxi11::XdrDeviceWriteParms>(), &parms,
                      protocol::XdrProc<vxi11::XdrDeviceWriteResp>(), &reply,
                      Clock::now() + std::chrono::seconds(2));
        return status == VI_SUCCESS && reply.error != 0 ? VI_ERROR_IO : status;
    }
};

TEST(Vxi11ServerStateTest, WritesWithoutEndAreBoundedAndFreedWhenTheClientLeaves)
{
    InProcessServers servers(Answer);
    ASSERT_TRUE(servers.Ready());
    {
        RawLink link;
        ASSERT_EQ(link.Open(servers.Vxi11Port()), VI_SUCCESS);
        EXPECT_EQ(servers.Vxi11().LinkCount(), 1u);
        // 20,000 chunks without END: 20 MB if all were kept.
        const std::string chunk(1000, 'x');
        for (int i = 0; i < 20'000; ++i) {
            ASSERT_EQ(link.WriteChunk(chunk, false), VI_SUCCESS) << "chunk " << i;
        }
        EXPECT_LE(servers.Vxi11().PendingMessageBytes(), sim::Vxi11Server::kMaxMessage + 4096);
        // The overlong message is dropped at its END; the link goes on.
        ASSERT_EQ(link.WriteChunk("tail", true), VI_SUCCESS);
        EXPECT_LE(servers.Vxi11().PendingMessageBytes(), 4096u);
    }
    // The client went away without destroy_link.
    EXPECT_TRUE(WaitUntil([&] { return servers.Vxi11().LinkCount() == 0; },
                          std::chrono::seconds(3), std::chrono::milliseconds(10)));
    EXPECT_EQ(servers.Vxi11().PendingMessageBytes(), 0u);
}

TEST(Vxi11ServerStateTest, ConnectionsBeyondTheCapAreRefusedClearlyAndServedOnceOthersLeave)
{
    InProcessServers servers(Answer);
    ASSERT_TRUE(servers.Ready());
    std::vector<int> held;
    for (std::size_t i = 0; i < sim::Vxi11Server::kMaxConnections; ++i) {
        const int fd = ConnectRaw(servers.Vxi11Port());
        ASSERT_GE(fd, 0);
        held.push_back(fd);
    }
    {
        // Time for the server to take the held connections first, even in
        // an instrumented build.
        Vxi11SessionClient refused(servers.Vxi11Port(), std::chrono::milliseconds(10000));
        EXPECT_EQ(refused.status, VI_ERROR_ALLOC);  // out of resources
        EXPECT_GE(servers.Vxi11().ConnectionsRefused(), 1);
    }
    for (int fd : held) {
        close(fd);
    }
    // Finished clients are reaped without a new connection to prompt it.
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    Vxi11SessionClient served(servers.Vxi11Port(), std::chrono::milliseconds(2000));
    ASSERT_EQ(served.status, VI_SUCCESS);
    EXPECT_EQ(served.Query("*IDN?", std::chrono::milliseconds(1000)), kIdentity);
}

// Processor time a process has used (user and system), from /proc.
std::chrono::milliseconds CpuTimeOf(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name (which ends with ")"): utime is the
    // 12th, stime the 13th of them.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long long ticks = 0;
    for (int i = 1; i <= 13 && fields >> field; ++i) {
        if (i >= 12) {
            ticks += std::stoll(field);
        }
    }
    return std::chrono::milliseconds(ticks * 1000 / sysconf(_SC_CLK_TCK));
}

#if defined(__SANITIZE_THREAD__)
constexpr std::chrono::milliseconds kAcceptFailureAllowance{300};
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr std::chrono::milliseconds kAcceptFailureAllowance{300};
#else
constexpr std::chrono::milliseconds kAcceptFailureAllowance{100};
#endif
#else
constexpr std::chrono::milliseconds kAcceptFailureAllowance{100};
#endif

TEST(Vxi11ServerStateTest, OutOfDescriptorsTheServerWaitsInsteadOfSpinningAndRecovers)
{
    // voltora-sim started with room for only a few clients.
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &original), 0);
    rlimit low = original;
    low.rlim_cur = 32;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    SimServerProcess server({"--no-rpcbind", "--no-socket"});
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &original), 0);
    ASSERT_TRUE(server.Ready()) << server.Error();

    const auto idleStart = CpuTimeOf(server.Pid());
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const auto idle = CpuTimeOf(server.Pid()) - idleStart;

    // More clients than it has descriptors: the last ones wait to be
    // accepted.
    std::vector<int> clients;
    for (int i = 0; i < 40; ++i) {
        const int fd = ConnectRaw(server.Vxi11Port());
        ASSERT_GE(fd, 0);
        clients.push_back(fd);
    }
    // Time to accept what it can (slow in an instrumented build).
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const auto before = CpuTimeOf(server.Pid());
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const auto used = CpuTimeOf(server.Pid()) - before;
    // Compared with the same server idle; a server retrying at once takes
    // a processor for itself. A thread-sanitized server was measured at
    // about 130 ms a second here even while backing off, hence more room.
    EXPECT_LT(used, idle + kAcceptFailureAllowance)
        << "out of descriptors: " << used.count() << " ms, idle: " << idle.count() << " ms";
    for (int fd : clients) {
        close(fd);
    }

    Vxi11SessionClient client(server.Vxi11Port(), std::chrono::milliseconds(3000));
    ASSERT_EQ(client.status, VI_SUCCESS);
    EXPECT_EQ(client.Query("*IDN?", std::chrono::milliseconds(1000)).rfind("ZAN", 0), 0u);
}

TEST(Vxi11ServerStateTest, ClientThatNeverReadsItsRepliesDoesNotKeepTheServerFromStopping)
{
    SimServerProcess server({"--no-rpcbind", "--no-socket"});
    ASSERT_TRUE(server.Ready()) << server.Error();
    const int fd = ConnectRaw(server.Vxi11Port());
    ASSERT_GE(fd, 0);
    // NULLPROC calls of the core program, sent and never answered by a
    // read: the server's replies fill both socket buffers and its send
    // blocks.
    const std::uint32_t call[11] = {htonl(0x80000000u | 40), htonl(1), 0, htonl(2),
                                    htonl(vxi11::kCoreProgram), htonl(vxi11::kCoreVersion), 0,
                                    0, 0, 0, 0};
    std::vector<std::uint32_t> burst;
    for (int i = 0; i < 4096; ++i) {
        burst.insert(burst.end(), std::begin(call), std::end(call));
    }
    const timeval limit{0, 200'000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
    std::size_t sent = 0;
    for (int i = 0; i < 400; ++i) {
        const ssize_t n = send(fd, burst.data(), burst.size() * 4, MSG_NOSIGNAL);
        if (n <= 0) {
            break;  // the server has stopped taking calls
        }
        sent += static_cast<std::size_t>(n);
    }
    EXPECT_GT(sent, std::size_t{4} << 20);
    const auto start = Clock::now();
    EXPECT_EQ(server.Stop(std::chrono::milliseconds(2000)), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
    close(fd);
}

// The real meter behind voltora-sim reports the dropped message.
TEST(Vxi11ServerStateTest, OverlongMessageLeavesTooMuchDataInTheErrorQueue)
{
    SimServerProcess server({"--no-rpcbind", "--no-socket"});
    ASSERT_TRUE(server.Ready()) << server.Error();
    RawLink link;
    ASSERT_EQ(link.Open(server.Vxi11Port()), VI_SUCCESS);
    const std::string chunk(4000, 'x');
    for (int i = 0; i < 300; ++i) {  // 1.2 MB
        ASSERT_EQ(link.WriteChunk(chunk, false), VI_SUCCESS);
    }
    ASSERT_EQ(link.WriteChunk("", true), VI_SUCCESS);
    link.rpc.reset();

    Vxi11SessionClient client(server.Vxi11Port());
    ASSERT_EQ(client.status, VI_SUCCESS);
    EXPECT_EQ(client.Query("SYST:ERR?", std::chrono::milliseconds(2000)),
              "-223,\"Too much data\"\n");
    EXPECT_EQ(client.Query("SYST:ERR?", std::chrono::milliseconds(2000)), "+0,\"No error\"\n");
}

}  // namespace
}  // namespace voltora::testing
