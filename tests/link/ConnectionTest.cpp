#include "link/CConectWithNI.h"
#include "support/MessageRecorder.h"
#include "support/ScriptedBackend.h"
#include "visa/ResourceManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

namespace {

using voltora::visa::ResourceManager;
using voltora::testing::ScopedScriptedBackend;
using voltora::testing::ScriptedDevice;

constexpr const char* kUsb = "USB0::0x0CC0::0x2000::ZAN0001::INSTR";
constexpr const char* kLan = "TCPIP0::192.0.2.7::inst0::INSTR";
constexpr const char* kIdentity = "ZAN,DM9000,ZAN0001,1.02\n";

const std::string kOpenFailed = CConectWithNI::kOpenFailedMessage;
const std::string kCommunicationFailed = CConectWithNI::kCommunicationFailedMessage;

int CountOfWrites(const ScriptedDevice& device, const std::string& message)
{
    int count = 0;
    for (const auto& m : device.Writes()) {
        count += m == message ? 1 : 0;
    }
    return count;
}

class ConnectionTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        connection->Close();
    }

    std::shared_ptr<ScriptedDevice> Meter(const char* resource = kUsb)
    {
        auto device = backend->AddDevice(resource, "ZAN DM9000");
        device->QueueReply(kIdentity);
        return device;
    }

    std::string Query(const char* command, unsigned size, bool* ok = nullptr)
    {
        std::string buffer(size, '\0');
        unsigned count = 0;
        const bool result = connection->Query(command, buffer.data(), size, &count);
        if (ok != nullptr) {
            *ok = result;
        }
        return std::string(buffer.data(), strnlen(buffer.data(), count));
    }

    CConectWithNI* connection = CConectWithNI::Instance();
    ScopedScriptedBackend backend;
    voltora::testing::MessageRecorder messages;
};

TEST_F(ConnectionTest, InstanceIsSingle)
{
    EXPECT_EQ(CConectWithNI::Instance(), CConectWithNI::Instance());
}

TEST_F(ConnectionTest, OpenProbesIdentityAndStaysOpen)
{
    auto device = Meter();
    ASSERT_TRUE(connection->Open(kUsb));
    EXPECT_TRUE(connection->IsConnected());
    EXPECT_EQ(device->Writes(), std::vector<std::string>{"IDN-ZOBR-PRI?"});
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_TRUE(connection->Close());
    EXPECT_FALSE(connection->IsConnected());
    EXPECT_EQ(device->OpenSessions(), 0);
}

// Each row: how the open goes wrong, and what the user must see.
struct OpenFailure {
    const char* name;
    const char* resource;
    std::function<void(ScriptedDevice&)> breakIt;
    bool failResourceManager;
    std::vector<std::string> expectedMessages;
};

class ConnectionOpenFailureTest : public ConnectionTest,
                                  public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(ConnectionOpenFailureTest, RefusesAndLeavesNothingOpen)
{
    const OpenFailure& row = GetParam();
    auto device = backend->AddDevice(row.resource);
    row.breakIt(*device);
    backend->FailOpenDefaultRM(row.failResourceManager ? VI_ERROR_SYSTEM_ERROR : VI_SUCCESS);
    const std::size_t handlesBefore = ResourceManager::Instance().OpenHandleCount();

    EXPECT_FALSE(connection->Open(row.resource));

    EXPECT_FALSE(connection->IsConnected());
    EXPECT_EQ(messages.Texts(), row.expectedMessages);
    for (const auto& m : messages.Messages()) {
        EXPECT_EQ(m.caption, "Error");
    }
    EXPECT_EQ(device->OpenSessions(), 0);
    EXPECT_EQ(ResourceManager::Instance().OpenHandleCount(), handlesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectionOpenFailureTest,
    ::testing::Values(
        OpenFailure{"NoResourceManager", kUsb, [](ScriptedDevice& d) { d.QueueReply(kIdentity); },
                    true, {}},
        OpenFailure{"UsbOpenFails", kUsb, [](ScriptedDevice& d) { d.FailOpen(VI_ERROR_RSRC_BUSY); },
                    false, {kOpenFailed}},
        OpenFailure{"LanOpenFailsSilently", kLan,
                    [](ScriptedDevice& d) { d.FailOpen(VI_ERROR_TMO); }, false, {}},
        OpenFailure{"ProbeWriteFails", kUsb,
                    [](ScriptedDevice& d) {
                        d.QueueReply(kIdentity);
                        d.FailNextWrite();
                    },
                    false, {kOpenFailed}},
        OpenFailure{"ProbeUnanswered", kUsb, [](ScriptedDevice&) {}, false, {kOpenFailed}},
        OpenFailure{"ProbeUnansweredOnLan", kLan, [](ScriptedDevice&) {}, false, {kOpenFailed}},
        OpenFailure{"OtherMaker", kUsb,
                    [](ScriptedDevice& d) { d.QueueReply("ACME,DMM1,1,1\n"); }, false,
                    {kOpenFailed}},
        OpenFailure{"LowerCaseZan", kUsb,
                    [](ScriptedDevice& d) { d.QueueReply("zan,DM1,1,1\n"); }, false,
                    {kOpenFailed}}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST_F(ConnectionTest, OpenFailureNamesWhatTheLinkKnows)
{
    auto device = backend->AddDevice(kUsb);
    device->FailOpen(VI_ERROR_NPERMISSION);
    device->SetOpenProblem("no permission; install the udev rule");
    EXPECT_FALSE(connection->Open(kUsb));
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{kOpenFailed + "\n\nno permission; install the udev rule"});

    // The next failure without a known cause shows the plain message.
    device->SetOpenProblem("");
    EXPECT_FALSE(connection->Open(kUsb));
    EXPECT_EQ(messages.Texts().back(), kOpenFailed);
}

TEST_F(ConnectionTest, OverlongResourceIsRefusedWithoutOpening)
{
    const std::string resource = "USB0::" + std::string(250, 'A') + "::INSTR";
    auto device = Meter(resource.c_str());
    const std::size_t handlesBefore = ResourceManager::Instance().OpenHandleCount();
    EXPECT_FALSE(connection->Open(resource.c_str()));
    EXPECT_TRUE(device->Writes().empty());
    EXPECT_EQ(ResourceManager::Instance().OpenHandleCount(), handlesBefore);
}

TEST_F(ConnectionTest, ClosedConnectionFailsQuietlyExceptRead)
{
    EXPECT_FALSE(connection->Write("INIT"));
    bool ok = true;
    Query("FUNCTION?", 32, &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(messages.Messages().empty());

    char buffer[32];
    unsigned count = 0;
    EXPECT_FALSE(connection->Read(buffer, sizeof buffer, &count));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kCommunicationFailed});
    EXPECT_TRUE(connection->Close());
}

TEST_F(ConnectionTest, QueryFailures)
{
    auto device = Meter();
    ASSERT_TRUE(connection->Open(kUsb));

    device->FailNextWrite();
    bool ok = true;
    Query("FUNCTION?", 32, &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(messages.Messages().empty()) << "a failed write shows no message";

    Query("FUNCTION?", 32, &ok);  // no reply queued: read times out
    EXPECT_FALSE(ok);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kCommunicationFailed});
    EXPECT_TRUE(connection->IsConnected()) << "a failed read keeps the session";
}

TEST_F(ConnectionTest, QueryReturnsRawReplyWithTerminator)
{
    auto device = Meter();
    ASSERT_TRUE(connection->Open(kUsb));
    device->QueueReply("\"VOLT\"\n");
    EXPECT_EQ(Query("FUNCTION?", 32), "\"VOLT\"\n");
    EXPECT_EQ(device->Writes().back(), "FUNCTION?");
}

TEST_F(ConnectionTest, OverlongReplyDoesNotLeakIntoNextQuery)
{
    auto device = Meter();
    ASSERT_TRUE(connection->Open(kUsb));
    device->SetChunkSize(7);
    device->QueueReply(std::string(100, '9') + "\n");
    device->QueueReply("+1.00000000E+00\n");
    bool ok = false;
    EXPECT_EQ(Query("CALC:AVER:ALL?", 32, &ok), std::string(32, '9'));
    EXPECT_TRUE(ok);
    EXPECT_EQ(Query("VOLT:DC:RANGE?", 32), "+1.00000000E+00\n");
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(ConnectionTest, WriteSendsTextWithoutTerminator)
{
    auto device = Meter();
    ASSERT_TRUE(connection->Open(kUsb));
    EXPECT_TRUE(connection->Write("FUNC \"VOLT:DC\""));
    EXPECT_EQ(device->Writes().back(), "FUNC \"VOLT:DC\"");
    device->FailNextWrite();
    EXPECT_FALSE(connection->Write("INIT"));
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(ConnectionTest, FindUsbResourcesListsPairsAndSkipsUnopenable)
{
    backend->AddDevice("USB0::0x0CC0::0x2000::A::INSTR", "ZAN DM9000");
    backend->AddDevice("USB0::0x0CC0::0x2000::B::INSTR")->FailOpen(VI_ERROR_NPERMISSION);
    backend->AddDevice("USB0::0x0CC0::0x2000::C::INSTR");  // no model name
    backend->AddDevice(kLan, "not listed");
    const std::size_t handlesBefore = ResourceManager::Instance().OpenHandleCount();

    std::vector<std::string> resources{"stale"};
    std::vector<std::string> models{"stale"};
    connection->FindUsbResources(resources, models);

    EXPECT_EQ(resources, (std::vector<std::string>{"USB0::0x0CC0::0x2000::A::INSTR",
                                                   "USB0::0x0CC0::0x2000::C::INSTR"}));
    EXPECT_EQ(models, (std::vector<std::string>{"ZAN DM9000", ""}));
    EXPECT_FALSE(connection->IsConnected());
    EXPECT_EQ(ResourceManager::Instance().OpenHandleCount(), handlesBefore);
}

TEST_F(ConnectionTest, FindUsbResourcesWithNoneFound)
{
    std::vector<std::string> resources{"stale"};
    std::vector<std::string> models{"stale"};
    const std::size_t handlesBefore = ResourceManager::Instance().OpenHandleCount();
    connection->FindUsbResources(resources, models);
    EXPECT_TRUE(resources.empty());
    EXPECT_TRUE(models.empty());
    EXPECT_EQ(ResourceManager::Instance().OpenHandleCount(), handlesBefore);
}

// ---- Failure episodes: the first failed exchange ends the session's traffic ----

class ConnectionEpisodeTest : public ConnectionTest {
protected:
    void SetUp() override
    {
        connection->SetStopAtFirstFailure(true);
        connection->SetFailureListener([this] { ++listenerCalls; });
    }
    void TearDown() override
    {
        connection->SetFailureListener({});
        connection->SetStopAtFirstFailure(false);
        ConnectionTest::TearDown();
    }

    std::atomic<int> listenerCalls{0};
};

TEST_F(ConnectionEpisodeTest, AfterTheFirstFailureNothingReachesTheLinkAndOneMessageIsShown)
{
    const struct {
        const char* name;
        void (*fail)(ScriptedDevice&);
        std::vector<std::string> messagesAfterFirst;
    } cases[] = {
        // No reply queued: the read times out and reports itself.
        {"read fails", [](ScriptedDevice&) {}, {kCommunicationFailed}},
        // A failed write shows no message by itself.
        {"write fails", [](ScriptedDevice& d) { d.FailNextWrite(); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.Clear();
        listenerCalls = 0;
        auto device = Meter();
        ASSERT_TRUE(connection->Open(kUsb));
        EXPECT_FALSE(connection->HasFailed());
        c.fail(*device);
        bool ok = true;
        Query("FUNCTION?", 32, &ok);
        EXPECT_FALSE(ok);
        EXPECT_TRUE(connection->HasFailed());
        EXPECT_EQ(messages.Texts(), c.messagesAfterFirst);
        EXPECT_EQ(listenerCalls.load(), 1);

        // Later exchanges of the episode: refused at once, counted, silent.
        device->ClearWrites();
        device->QueueReply("\"VOLT\"\n");
        Query("FUNCTION?", 32, &ok);
        EXPECT_FALSE(ok);
        EXPECT_FALSE(connection->Write("INIT"));
        char buffer[32];
        unsigned count = 0;
        EXPECT_FALSE(connection->Read(buffer, sizeof buffer, &count));
        EXPECT_TRUE(device->Writes().empty()) << "nothing reaches the link";
        EXPECT_EQ(connection->SuppressedFailureCount(), 3);
        EXPECT_EQ(listenerCalls.load(), 1);
        EXPECT_EQ(messages.Texts(), c.messagesAfterFirst);

        // The episode's one message: shown now when the failure showed none.
        connection->ReportFailureOnce();
        connection->ReportFailureOnce();
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{kCommunicationFailed});

        connection->Close();
        backend->RemoveDevice(kUsb);
    }
}

TEST_F(ConnectionEpisodeTest, ANewSessionStartsANewEpisode)
{
    auto device = Meter();
    ASSERT_TRUE(connection->Open(kUsb));
    bool ok = true;
    Query("FUNCTION?", 32, &ok);  // times out
    ASSERT_TRUE(connection->HasFailed());
    connection->Close();

    device->QueueReply(kIdentity);
    ASSERT_TRUE(connection->Open(kUsb));
    EXPECT_FALSE(connection->HasFailed());
    EXPECT_EQ(connection->SuppressedFailureCount(), 0);
    device->QueueReply("\"VOLT\"\n");
    EXPECT_EQ(Query("FUNCTION?", 32, &ok), "\"VOLT\"\n");
    EXPECT_TRUE(ok);

    // A second failure in the new session reports again, once.
    Query("FUNCTION?", 32, &ok);
    Query("FUNCTION?", 32, &ok);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kCommunicationFailed, kCommunicationFailed}));
    EXPECT_EQ(listenerCalls.load(), 2);
}

TEST_F(ConnectionEpisodeTest, WithoutThePolicyEveryFailedReadIsTriedAndReported)
{
    connection->SetStopAtFirstFailure(false);
    auto device = Meter();
    ASSERT_TRUE(connection->Open(kUsb));
    bool ok = true;
    Query("FUNCTION?", 32, &ok);
    Query("FUNCTION?", 32, &ok);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kCommunicationFailed, kCommunicationFailed}));
    EXPECT_EQ(CountOfWrites(*device, "FUNCTION?"), 2);
    EXPECT_EQ(listenerCalls.load(), 0);
    EXPECT_FALSE(connection->HasFailed());
}

}  // namespace
