// voltora-sim as a separate process, registered with the host's rpcbind,
// reached by our VISA layer and by voltora-scpi the way a user reaches a
// LAN meter. These tests share rpcbind's one registration of the VXI-11
// program, so ctest runs them one at a time (RESOURCE_LOCK rpcbind).

#include "protocol/VxiProtocol.h"
#include "support/SimServerProcess.h"
#include "visa/RpcClient.h"
#include "visa/visa.h"

#include <rpc/pmap_clnt.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace voltora::visa {
namespace {

namespace vxi11 = protocol::vxi11;

using Clock = std::chrono::steady_clock;
using testing::SimServerProcess;

constexpr const char* kVxi11Resource = "TCPIP0::127.0.0.1::inst0::INSTR";

std::uint16_t RegisteredPort()
{
    std::uint16_t port = 0;
    LookUpRpcPort("127.0.0.1", 111, vxi11::kCoreProgram, vxi11::kCoreVersion,
                  Clock::now() + std::chrono::seconds(2), port);
    return port;
}

// Runs voltora-scpi and returns what it printed; `status` is its exit code.
std::string RunScpiTool(const std::string& arguments, int& status)
{
    const std::string command = std::string(VOLTORA_SCPI_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof(buffer), pipe) != nullptr) {
        output += buffer;
    }
    const int raw = pipe != nullptr ? pclose(pipe) : -1;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

class SimServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string message;
        ASSERT_TRUE(testing::RpcbindRunning(message)) << message;
    }

    // Opens `resource` and asks for the identity.
    static ViStatus Identity(const std::string& resource, std::string& reply)
    {
        ViSession rm = 0;
        ViSession session = 0;
        viOpenDefaultRM(&rm);
        ViStatus status = viOpen(rm, resource.c_str(), 0, 0, &session);
        if (status == VI_SUCCESS) {
            ViUInt32 count = 0;
            status = viWrite(session, reinterpret_cast<ViConstBuf>("IDN-ZOBR-PRI?"), 13, &count);
            char buffer[256] = {};
            if (status == VI_SUCCESS) {
                status = viRead(session, reinterpret_cast<ViPBuf>(buffer), sizeof(buffer), &count);
                reply.assign(buffer, count);
            }
        }
        viClose(rm);
        return status;
    }
};

TEST_F(SimServerTest, ScpiToolGetsTheIdentityOverVxi11AndSocket)
{
    SimServerProcess server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    int status = -1;
    std::string output = RunScpiTool(std::string("--resource ") + kVxi11Resource +
                                         " IDN-ZOBR-PRI? DATA:LAST?",
                                     status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.rfind("ZAN,", 0), 0u) << output;
    EXPECT_NE(output.find("VDC"), std::string::npos) << output;

    output = RunScpiTool("--resource " + server.SocketResource() + " IDN-ZOBR-PRI?", status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.rfind("ZAN,", 0), 0u) << output;
}

TEST_F(SimServerTest, ClientsOneAfterAnother)
{
    SimServerProcess server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    for (int round = 0; round < 3; ++round) {
        for (const std::string& resource : {std::string(kVxi11Resource), server.SocketResource()}) {
            std::string reply;
            EXPECT_EQ(Identity(resource, reply), VI_SUCCESS) << resource << " round " << round;
            EXPECT_NE(reply.find("ZAN"), std::string::npos) << reply;
        }
    }
}

TEST_F(SimServerTest, StopsCleanlyOnSigtermAndUnregisters)
{
    SimServerProcess server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    EXPECT_EQ(RegisteredPort(), server.Vxi11Port());
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_EQ(RegisteredPort(), 0);
}

TEST_F(SimServerTest, UnregisteredServerIsNotFound)
{
    pmap_unset(vxi11::kCoreProgram, vxi11::kCoreVersion);
    SimServerProcess server({"--no-rpcbind"});
    ASSERT_TRUE(server.Ready()) << server.Error();
    std::string reply;
    EXPECT_EQ(Identity(kVxi11Resource, reply), VI_ERROR_RSRC_NFOUND);
    // The socket is served all the same.
    EXPECT_EQ(Identity(server.SocketResource(), reply), VI_SUCCESS);
}

// The server dies in the middle of a reply; the read fails at once rather
// than waiting out its time-out, and a restarted server is reached again.
TEST_F(SimServerTest, KilledMidReplyThenRestartedAndReconnected)
{
    for (const bool vxi11 : {true, false}) {
        SCOPED_TRACE(vxi11 ? "VXI-11" : "socket");
        auto server = std::make_unique<SimServerProcess>(std::vector<std::string>{
            "--chunk-bytes", "4", "--chunk-pause-ms", "5000", "--fault-match", "IDN"});
        ASSERT_TRUE(server->Ready()) << server->Error();
        const std::string resource = vxi11 ? kVxi11Resource : server->SocketResource();
        ViSession rm = 0;
        ViSession session = 0;
        ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
        ASSERT_EQ(viOpen(rm, resource.c_str(), 0, 0, &session), VI_SUCCESS);
        ASSERT_EQ(viSetAttribute(session, VI_ATTR_TMO_VALUE, 8000), VI_SUCCESS);
        ViUInt32 count = 0;
        ASSERT_EQ(viWrite(session, reinterpret_cast<ViConstBuf>("IDN-ZOBR-PRI?"), 13, &count),
                  VI_SUCCESS);
        char buffer[256] = {};
        // The first piece has arrived: the server is now in the middle of the reply.
        ASSERT_EQ(viRead(session, reinterpret_cast<ViPBuf>(buffer), 4, &count),
                  VI_SUCCESS_MAX_CNT);
        EXPECT_EQ(std::string(buffer, count), "ZAN,");
        server->Kill();
        const auto start = Clock::now();
        EXPECT_EQ(viRead(session, reinterpret_cast<ViPBuf>(buffer), sizeof(buffer), &count),
                  VI_ERROR_CONN_LOST);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
        viClose(session);

        server = std::make_unique<SimServerProcess>();
        ASSERT_TRUE(server->Ready()) << server->Error();
        std::string reply;
        EXPECT_EQ(Identity(vxi11 ? kVxi11Resource : server->SocketResource(), reply), VI_SUCCESS);
        EXPECT_NE(reply.find("ZAN"), std::string::npos);
        viClose(rm);
    }
}

}  // namespace
}  // namespace voltora::visa
