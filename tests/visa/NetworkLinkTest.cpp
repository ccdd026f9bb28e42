// The raw-socket and VXI-11 links against the network servers of
// voltora-sim running in this process around a scripted meter, through the
// VISA functions as the connection uses them.

#include "InProcessServers.h"
#include "platform/CNumbers.h"
#include "sim/server/ListeningSocket.h"
#include "support/SimServerProcess.h"
#include "visa/ResourceManager.h"
#include "visa/Vxi11Backend.h"
#include "visa/visa.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include <unistd.h>

namespace voltora::visa {
namespace {

using Clock = std::chrono::steady_clock;
using testing::InProcessServers;

// A text of `size` bytes ending in "\n", different at every position.
std::string Pattern(std::size_t size)
{
    std::string text(size, ' ');
    for (std::size_t i = 0; i + 1 < size; ++i) {
        text[i] = static_cast<char>('0' + (i * 7 + i / 10) % 43);
    }
    text.back() = '\n';
    return text;
}

// The scripted meter behind the servers.
class ScriptedMeter {
public:
    std::optional<std::string> Execute(std::string_view message)
    {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            messages_.emplace_back(message);
        }
        if (message == "IDN-ZOBR-PRI?") {
            return std::string("ZAN,TEST-METER,0001,1.0\n");
        }
        if (message.rfind("BIG? ", 0) == 0) {
            return Pattern(static_cast<std::size_t>(platform::CAtoi(message.substr(5))));
        }
        if (message.rfind("ECHO? ", 0) == 0) {
            return std::string(message.substr(6)) + "\n";
        }
        if (message == "SLOW?") {
            return std::string("late reply\n");
        }
        return std::nullopt;
    }

    std::vector<std::string> Messages() const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return messages_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> messages_;
};

enum class Link { Socket, Vxi11 };

std::string LinkName(const ::testing::TestParamInfo<Link>& info)
{
    return info.param == Link::Socket ? "Socket" : "Vxi11";
}

class NetworkLinkTest : public ::testing::TestWithParam<Link> {
protected:
    void Start(sim::FaultOptions faults = {})
    {
        servers_ = std::make_unique<InProcessServers>(
            [this](std::string_view message) { return meter_.Execute(message); }, faults);
        ASSERT_TRUE(servers_->Ready());
        ASSERT_EQ(viOpenDefaultRM(&rm_), VI_SUCCESS);
        ASSERT_EQ(viOpen(rm_, Resource().c_str(), 0, 0, &session_), VI_SUCCESS);
    }

    void TearDown() override
    {
        if (rm_ != 0) {
            viClose(rm_);
        }
        servers_.reset();
    }

    std::string Resource() const
    {
        return GetParam() == Link::Socket ? servers_->SocketResource()
                                          : InProcessServers::kVxi11Resource;
    }

    ViStatus Write(const std::string& text)
    {
        ViUInt32 written = 0;
        const ViStatus status =
            viWrite(session_, reinterpret_cast<ViConstBuf>(text.data()),
                    static_cast<ViUInt32>(text.size()), &written);
        if (status == VI_SUCCESS) {
            EXPECT_EQ(written, text.size());
        }
        return status;
    }

    std::string Read(ViUInt32 size, ViStatus& status)
    {
        std::string buffer(size, '\0');
        ViUInt32 count = 0;
        status = viRead(session_, reinterpret_cast<ViPBuf>(buffer.data()), size, &count);
        buffer.resize(count);
        return buffer;
    }

    std::string Query(const std::string& text, ViUInt32 size = 4096)
    {
        EXPECT_EQ(Write(text), VI_SUCCESS);
        ViStatus status = 0;
        std::string reply = Read(size, status);
        EXPECT_EQ(status, VI_SUCCESS) << "reply to " << text;
        return reply;
    }

    void SetTimeout(ViUInt32 milliseconds)
    {
        ASSERT_EQ(viSetAttribute(session_, VI_ATTR_TMO_VALUE, milliseconds), VI_SUCCESS);
    }

    ScriptedMeter meter_;
    std::unique_ptr<InProcessServers> servers_;
    ViSession rm_ = 0;
    ViSession session_ = 0;
};

TEST_P(NetworkLinkTest, QueryGetsItsReplyWithTerminator)
{
    Start();
    EXPECT_EQ(Query("IDN-ZOBR-PRI?"), "ZAN,TEST-METER,0001,1.0\n");
    EXPECT_EQ(Query("ECHO? abc"), "abc\n");
    // The message reaches the meter once, without a doubled terminator.
    EXPECT_EQ(Write("ECHO? def\n"), VI_SUCCESS);
    ViStatus status = 0;
    EXPECT_EQ(Read(64, status), "def\n");
    EXPECT_EQ(meter_.Messages(),
              (std::vector<std::string>{"IDN-ZOBR-PRI?", "ECHO? abc", "ECHO? def"}));
}

TEST_P(NetworkLinkTest, SilentMeterTimesOutAndNextQueryGetsItsOwnReply)
{
    sim::FaultOptions faults;
    faults.silent = std::chrono::milliseconds(1200);
    faults.match = "SLOW?";
    faults.count = 1;
    Start(faults);
    SetTimeout(300);
    ASSERT_EQ(Write("SLOW?"), VI_SUCCESS);
    const auto start = Clock::now();
    ViStatus status = 0;
    const std::string partial = Read(256, status);
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(status, VI_ERROR_TMO);
    EXPECT_TRUE(partial.empty());
    EXPECT_GE(elapsed, std::chrono::milliseconds(290));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1000));

    // The late reply arrives while the next query waits; it is not taken.
    SetTimeout(5000);
    EXPECT_EQ(Query("ECHO? fresh"), "fresh\n");
    EXPECT_EQ(Query("ECHO? again"), "again\n");
}

TEST_P(NetworkLinkTest, ReplyInOneByteChunksIsReassembled)
{
    sim::FaultOptions faults;
    faults.chunkBytes = 1;
    Start(faults);
    EXPECT_EQ(Query("ECHO? one byte at a time"), "one byte at a time\n");
}

TEST_P(NetworkLinkTest, ChunksOfExactlyTheReadSize)
{
    sim::FaultOptions faults;
    faults.chunkBytes = 16;
    Start(faults);
    const std::string expected = Pattern(64);
    ASSERT_EQ(Write("BIG? 64"), VI_SUCCESS);
    std::string got;
    ViStatus status = VI_SUCCESS_MAX_CNT;
    for (int i = 0; i < 4; ++i) {
        got += Read(16, status);
        EXPECT_EQ(status, i < 3 ? VI_SUCCESS_MAX_CNT : VI_SUCCESS) << "read " << i;
    }
    EXPECT_EQ(got, expected);
    // Exactly the size of a whole reply: the end is reported, not "buffer full".
    ASSERT_EQ(Write("BIG? 16"), VI_SUCCESS);
    EXPECT_EQ(Read(16, status), Pattern(16));
    EXPECT_EQ(status, VI_SUCCESS);
}

TEST_P(NetworkLinkTest, ReplyLongerThanTheBufferIsReadInParts)
{
    Start();
    const std::string expected = Pattern(1000);
    ASSERT_EQ(Write("BIG? 1000"), VI_SUCCESS);
    ViStatus status = 0;
    std::string got = Read(300, status);
    EXPECT_EQ(status, VI_SUCCESS_MAX_CNT);
    EXPECT_EQ(got.size(), 300u);
    got += Read(2000, status);
    EXPECT_EQ(status, VI_SUCCESS);
    EXPECT_EQ(got, expected);
    // Nothing of it is left over for the next query.
    EXPECT_EQ(Query("ECHO? next"), "next\n");
}

TEST_P(NetworkLinkTest, OneMebibyteReply)
{
    Start();
    const std::size_t size = 1u << 20;
    const std::string reply = Query("BIG? 1048576", size + 16);
    ASSERT_EQ(reply.size(), size);
    EXPECT_EQ(reply, Pattern(size));
}

TEST_P(NetworkLinkTest, ConnectionClosedMidReplyIsAnErrorNotAShortReply)
{
    sim::FaultOptions faults;
    faults.closeMidReply = true;
    faults.match = "BIG?";
    Start(faults);
    SetTimeout(3000);
    ASSERT_EQ(Write("BIG? 200"), VI_SUCCESS);
    const auto start = Clock::now();
    ViStatus status = 0;
    Read(4096, status);
    EXPECT_EQ(status, VI_ERROR_CONN_LOST);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2000));
    // A new session on the same server works.
    ASSERT_EQ(viClose(session_), VI_SUCCESS);
    ASSERT_EQ(viOpen(rm_, Resource().c_str(), 0, 0, &session_), VI_SUCCESS);
    EXPECT_EQ(Query("ECHO? back"), "back\n");
}

TEST_P(NetworkLinkTest, CloseWakesABlockedRead)
{
    sim::FaultOptions faults;
    faults.silent = std::chrono::milliseconds(10000);
    faults.match = "SLOW?";
    Start(faults);
    SetTimeout(8000);
    ASSERT_EQ(Write("SLOW?"), VI_SUCCESS);
    const ViSession session = session_;
    auto reading = std::async(std::launch::async, [session] {
        ViByte buffer[64];
        ViUInt32 count = 0;
        return viRead(session, buffer, sizeof(buffer), &count);
    });
    // The reader is blocked until the close; give it the chance to get there.
    EXPECT_EQ(reading.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    const auto start = Clock::now();
    ASSERT_EQ(viClose(session_), VI_SUCCESS);
    session_ = 0;
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(3)), std::future_status::ready);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_LT(reading.get(), VI_SUCCESS);
}

TEST_P(NetworkLinkTest, GarbageReplyIsDeliveredAsIsAndTheLinkGoesOn)
{
    sim::FaultOptions faults;
    faults.garbage = true;
    faults.count = 1;
    Start(faults);
    const std::string junk = Query("IDN-ZOBR-PRI?");
    EXPECT_EQ(junk.size(), std::string("ZAN,TEST-METER,0001,1.0\n").size());
    EXPECT_EQ(junk.find("ZAN"), std::string::npos);
    EXPECT_EQ(Query("IDN-ZOBR-PRI?"), "ZAN,TEST-METER,0001,1.0\n");
}

INSTANTIATE_TEST_SUITE_P(Links, NetworkLinkTest, ::testing::Values(Link::Socket, Link::Vxi11),
                         LinkName);

// VXI-11 specifics.
class Vxi11LinkTest : public NetworkLinkTest {};

TEST_F(Vxi11LinkTest, LongMessageIsSentInChunksOfTheMaximumReceiveSize)
{
    // Not parameterised: only VXI-11 has a maximum receive size.
    servers_ = std::make_unique<InProcessServers>(
        [this](std::string_view message) { return meter_.Execute(message); });
    ASSERT_TRUE(servers_->Ready());
    ASSERT_EQ(viOpenDefaultRM(&rm_), VI_SUCCESS);
    ASSERT_EQ(viOpen(rm_, InProcessServers::kVxi11Resource, 0, 0, &session_), VI_SUCCESS);
    // The server refuses any single chunk over its maximum, so the message
    // only arrives whole if the client split it and marked the last chunk.
    const std::string message = "ECHO? " + std::string(3 * sim::Vxi11Server::kMaxReceiveSize, 'x');
    ASSERT_EQ(Write(message), VI_SUCCESS);
    ViStatus status = 0;
    EXPECT_EQ(Read(4 * sim::Vxi11Server::kMaxReceiveSize, status), message.substr(6) + "\n");
    EXPECT_EQ(status, VI_SUCCESS);
    EXPECT_EQ(meter_.Messages().back(), message);
}

TEST_F(Vxi11LinkTest, UnknownDeviceNameIsRefused)
{
    servers_ = std::make_unique<InProcessServers>(
        [this](std::string_view message) { return meter_.Execute(message); });
    ASSERT_TRUE(servers_->Ready());
    ASSERT_EQ(viOpenDefaultRM(&rm_), VI_SUCCESS);
    EXPECT_EQ(viOpen(rm_, "TCPIP0::127.0.0.1::gpib0,7::INSTR", 0, 0, &session_),
              VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(viOpen(rm_, "TCPIP0::127.0.0.1::inst0::INSTR", 0, 0, &session_), VI_SUCCESS);
}

// Opening against hosts that do not answer as they should.
class Vxi11OpenFailureTest : public ::testing::Test {
protected:
    ViStatus Open(std::uint16_t portmapperPort, std::chrono::milliseconds timeout,
                  std::chrono::steady_clock::duration& elapsed)
    {
        Vxi11Backend backend(portmapperPort);
        std::unique_ptr<IVisaSession> session;
        const auto start = Clock::now();
        const ViStatus status = backend.Open("TCPIP0::127.0.0.1::inst0::INSTR", timeout, session);
        elapsed = Clock::now() - start;
        EXPECT_EQ(session != nullptr, status == VI_SUCCESS);
        return status;
    }
};

TEST_F(Vxi11OpenFailureTest, RefusedPortmapperConnection)
{
    Clock::duration elapsed{};
    EXPECT_EQ(Open(testing::UnusedLoopbackPort(), std::chrono::milliseconds(2000), elapsed),
              VI_ERROR_RSRC_NFOUND);
    EXPECT_LT(elapsed, std::chrono::milliseconds(1000));
}

TEST_F(Vxi11OpenFailureTest, ProgramNotRegistered)
{
    testing::FakePortmapper portmapper(testing::FakePortmapper::Mode::Answer, 0);
    Clock::duration elapsed{};
    EXPECT_EQ(Open(portmapper.Port(), std::chrono::milliseconds(2000), elapsed),
              VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(portmapper.Requests(), 1);
}

TEST_F(Vxi11OpenFailureTest, SilentPortmapperTimesOut)
{
    testing::FakePortmapper portmapper(testing::FakePortmapper::Mode::Silent, 0);
    Clock::duration elapsed{};
    EXPECT_EQ(Open(portmapper.Port(), std::chrono::milliseconds(400), elapsed), VI_ERROR_TMO);
    EXPECT_GE(elapsed, std::chrono::milliseconds(390));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1400));
}

TEST_F(Vxi11OpenFailureTest, RegisteredPortRefusesConnections)
{
    testing::FakePortmapper portmapper(testing::FakePortmapper::Mode::Answer,
                                       testing::UnusedLoopbackPort());
    Clock::duration elapsed{};
    EXPECT_EQ(Open(portmapper.Port(), std::chrono::milliseconds(2000), elapsed),
              VI_ERROR_RSRC_NFOUND);
}

TEST(SocketOpenFailureTest, RefusedConnection)
{
    ViSession rm = 0;
    ViSession session = 0;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    const std::string resource = platform::CFormat(
        "TCPIP0::127.0.0.1::%u::SOCKET", static_cast<unsigned>(testing::UnusedLoopbackPort()));
    const auto start = Clock::now();
    EXPECT_EQ(viOpen(rm, resource.c_str(), 0, 2000, &session), VI_ERROR_RSRC_NFOUND);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
    viClose(rm);
}

TEST(SocketWriteTest, WriteCutOffPartWayEndsTheLink)
{
    // A meter that never reads: its connection is queued but never
    // accepted, so a long write fills the socket buffers and stops.
    std::string error;
    const int listenFd = sim::ListenTcp("127.0.0.1", 0, error);
    ASSERT_GE(listenFd, 0) << error;
    ViSession rm = 0;
    ViSession session = 0;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    const std::string resource = platform::CFormat(
        "TCPIP0::127.0.0.1::%u::SOCKET", static_cast<unsigned>(sim::LocalPort(listenFd)));
    ASSERT_EQ(viOpen(rm, resource.c_str(), 0, 2000, &session), VI_SUCCESS);
    ASSERT_EQ(viSetAttribute(session, VI_ATTR_TMO_VALUE, 200), VI_SUCCESS);
    const std::string longCommand(16 << 20, 'x');
    ViUInt32 count = 0;
    EXPECT_EQ(viWrite(session, reinterpret_cast<ViConstBuf>(longCommand.data()),
                      static_cast<ViUInt32>(longCommand.size()), &count),
              VI_ERROR_TMO);
    // The rest of the cut-off command would run into the next one.
    const std::string next = "DATA:LAST?";
    EXPECT_EQ(viWrite(session, reinterpret_cast<ViConstBuf>(next.data()),
                      static_cast<ViUInt32>(next.size()), &count),
              VI_ERROR_CONN_LOST);
    viClose(rm);
    close(listenFd);
}

}  // namespace
}  // namespace voltora::visa
