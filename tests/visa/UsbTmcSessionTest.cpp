// USB-TMC sessions against a simulated device behind the transfer interface,
// through the VISA functions.

#include "FakeUsbTmcDevice.h"
#include "platform/CNumbers.h"
#include "visa/ResourceManager.h"
#include "visa/UsbTmcFraming.h"
#include "visa/UsbTmcSession.h"
#include "visa/visa.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

namespace voltora::visa {
namespace {

using Clock = std::chrono::steady_clock;
using testing::FakeUsbTmcDevice;
constexpr const char* kResource = "USB0::0xFA4E::0x0001::FAKE1::INSTR";

// Opens USB-TMC sessions on the fake device.
class FakeUsbBackend : public IVisaBackend {
public:
    explicit FakeUsbBackend(FakeUsbTmcDevice& device) : device_(device) {}
    bool Accepts(std::string_view resource) const override { return resource == kResource; }
    ViStatus Open(std::string_view, std::chrono::milliseconds,
                  std::unique_ptr<IVisaSession>& session) override
    {
        session = std::make_unique<UsbTmcSession>(device_.MakeTransport());
        return VI_SUCCESS;
    }

private:
    FakeUsbTmcDevice& device_;
};

std::optional<std::string> Respond(const std::string& message)
{
    if (message == "IDN-ZOBR-PRI?") {
        return std::string("ZAN,USB-METER,U0001,1.0\n");
    }
    if (message.rfind("BIG? ", 0) == 0) {
        const auto size = static_cast<std::size_t>(platform::CAtoi(message.substr(5)));
        std::string reply(size, 'x');
        for (std::size_t i = 0; i < size; ++i) {
            reply[i] = static_cast<char>('a' + i % 26);
        }
        reply.back() = '\n';
        return reply;
    }
    if (message.rfind("LEN? ", 0) == 0) {
        return platform::CFormat("%zu\n", message.size());
    }
    return std::nullopt;
}

class UsbTmcSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResourceManager::Instance().AddBackend(backend_, true);
        ASSERT_EQ(viOpenDefaultRM(&rm_), VI_SUCCESS);
        ASSERT_EQ(viOpen(rm_, kResource, 0, 0, &session_), VI_SUCCESS);
    }

    void TearDown() override
    {
        viClose(rm_);
        ResourceManager::Instance().RemoveBackend(backend_);
    }

    ViStatus Write(const std::string& text)
    {
        ViUInt32 count = 0;
        return viWrite(session_, reinterpret_cast<ViConstBuf>(text.data()),
                       static_cast<ViUInt32>(text.size()), &count);
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
        EXPECT_EQ(status, VI_SUCCESS) << text;
        return reply;
    }

    FakeUsbTmcDevice device_{Respond};
    std::shared_ptr<FakeUsbBackend> backend_ = std::make_shared<FakeUsbBackend>(device_);
    ViSession rm_ = 0;
    ViSession session_ = 0;
};

TEST_F(UsbTmcSessionTest, QueryAndModelName)
{
    EXPECT_EQ(Query("IDN-ZOBR-PRI?"), "ZAN,USB-METER,U0001,1.0\n");
    EXPECT_EQ(device_.Messages(), std::vector<std::string>{"IDN-ZOBR-PRI?"});
    ViChar model[256] = {};
    ASSERT_EQ(viGetAttribute(session_, VI_ATTR_MODEL_NAME, model), VI_SUCCESS);
    EXPECT_STREQ(model, "ZAN Fake USB Meter");
}

TEST_F(UsbTmcSessionTest, ReplyOverManyPacketsAndWithTheHeaderInItsOwnTransfer)
{
    EXPECT_EQ(Query("BIG? 300"), *Respond("BIG? 300"));
    device_.SetHeaderInOwnTransfer(true);
    EXPECT_EQ(Query("BIG? 129"), *Respond("BIG? 129"));
    EXPECT_EQ(Query("BIG? 1"), "\n");
}

TEST_F(UsbTmcSessionTest, ReplyInSeveralTransfersIsJoinedUntilEndOfMessage)
{
    device_.SetMaxReplyPerTransfer(7);
    EXPECT_EQ(Query("BIG? 100"), *Respond("BIG? 100"));
    // One request per part, each with a new tag.
    const auto tags = device_.RequestTags();
    ASSERT_EQ(tags.size(), 15u);
    for (std::size_t i = 1; i < tags.size(); ++i) {
        EXPECT_NE(tags[i], tags[i - 1]);
    }
}

TEST_F(UsbTmcSessionTest, ReplyLongerThanTheBuffer)
{
    ASSERT_EQ(Write("BIG? 100"), VI_SUCCESS);
    ViStatus status = 0;
    std::string got = Read(30, status);
    EXPECT_EQ(status, VI_SUCCESS_MAX_CNT);
    got += Read(200, status);
    EXPECT_EQ(status, VI_SUCCESS);
    EXPECT_EQ(got, *Respond("BIG? 100"));
}

TEST_F(UsbTmcSessionTest, LongMessageGoesInSeveralTransfersWithEndOfMessageOnTheLast)
{
    const std::string message =
        "LEN? " + std::string(UsbTmcSession::kMaxOutTransfer + 1000, 'y');
    EXPECT_EQ(Query(message), platform::CFormat("%zu\n", message.size()));
    // The device saw one message, so EOM was only on the last transfer.
    EXPECT_EQ(device_.Messages().size(), 1u);
}

TEST_F(UsbTmcSessionTest, TimeOutAbortsTheTransferAndTheNextQueryWorks)
{
    ASSERT_EQ(viSetAttribute(session_, VI_ATTR_TMO_VALUE, 200), VI_SUCCESS);
    device_.HangNextReply();
    ASSERT_EQ(Write("IDN-ZOBR-PRI?"), VI_SUCCESS);
    ViStatus status = 0;
    const auto start = Clock::now();
    EXPECT_EQ(Read(256, status), "");
    EXPECT_EQ(status, VI_ERROR_TMO);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));

    const std::uint8_t hungTag = device_.RequestTags().back();
    const auto controls = device_.ControlRequests();
    ASSERT_GE(controls.size(), 2u);
    EXPECT_EQ(controls[0].request, usbtmc::kInitiateAbortBulkIn);
    EXPECT_EQ(controls[0].value, hungTag);
    EXPECT_EQ(controls[0].index, FakeUsbTmcDevice::kBulkIn);
    EXPECT_EQ(controls.back().request, usbtmc::kCheckAbortBulkInStatus);
    EXPECT_EQ(device_.QueuedBytes(), 0u) << "Bulk-IN was not drained";

    ASSERT_EQ(viSetAttribute(session_, VI_ATTR_TMO_VALUE, 2000), VI_SUCCESS);
    EXPECT_EQ(Query("IDN-ZOBR-PRI?"), "ZAN,USB-METER,U0001,1.0\n");
}

TEST_F(UsbTmcSessionTest, BulkOutTimeOutIsAbortedAndTheHaltCleared)
{
    device_.HangNextBulkOut();
    EXPECT_EQ(Write("IDN-ZOBR-PRI?"), VI_ERROR_TMO);
    const auto controls = device_.ControlRequests();
    ASSERT_EQ(controls.size(), 2u);
    EXPECT_EQ(controls[0].request, usbtmc::kInitiateAbortBulkOut);
    EXPECT_EQ(controls[0].index, FakeUsbTmcDevice::kBulkOut);
    EXPECT_EQ(controls[1].request, usbtmc::kCheckAbortBulkOutStatus);
    EXPECT_EQ(device_.ClearedHalts(), std::vector<std::uint8_t>{FakeUsbTmcDevice::kBulkOut});
    EXPECT_EQ(Query("IDN-ZOBR-PRI?"), "ZAN,USB-METER,U0001,1.0\n");
}

TEST_F(UsbTmcSessionTest, AbortAgainstADeviceThatKeepsSendingEndsWithinTheTimeOut)
{
    // Each transfer of filler takes 20 ms: draining it 1024 times per status
    // check, 21 times, would take minutes.
    ASSERT_EQ(viSetAttribute(session_, VI_ATTR_TMO_VALUE, 300), VI_SUCCESS);
    device_.KeepSending(std::chrono::milliseconds(20));
    ASSERT_EQ(Write("IDN-ZOBR-PRI?"), VI_SUCCESS);
    const ViSession session = session_;
    const auto start = Clock::now();
    auto reading = std::async(std::launch::async, [session] {
        ViByte buffer[64];
        ViUInt32 count = 0;
        return viRead(session, buffer, sizeof(buffer), &count);
    });
    const bool ended = reading.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!ended) {
        viClose(session_);  // ends the drain, so that the test itself ends
    }
    ASSERT_TRUE(ended) << "the abort ran past 5 s";
    EXPECT_EQ(reading.get(), VI_ERROR_TMO);
    // The read's 300 ms, then at most one abort budget (500 ms at least).
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
    const auto controls = device_.ControlRequests();
    ASSERT_FALSE(controls.empty());
    EXPECT_EQ(controls.front().request, usbtmc::kInitiateAbortBulkIn);
}

TEST_F(UsbTmcSessionTest, DeviceThatNeverSetsEndOfMessage)
{
    device_.SetNeverEndOfMessage(true);
    ASSERT_EQ(viSetAttribute(session_, VI_ATTR_TMO_VALUE, 300), VI_SUCCESS);
    // A buffer that fills is reported as full, not as a complete reply...
    ASSERT_EQ(Write("BIG? 10"), VI_SUCCESS);
    ViStatus status = 0;
    EXPECT_EQ(Read(10, status), *Respond("BIG? 10"));
    EXPECT_EQ(status, VI_SUCCESS_MAX_CNT);
    // ...and one that does not fill ends in a time-out with what came.
    ASSERT_EQ(Write("BIG? 10"), VI_SUCCESS);
    const auto start = Clock::now();
    EXPECT_EQ(Read(64, status), *Respond("BIG? 10"));
    EXPECT_EQ(status, VI_ERROR_TMO);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
}

TEST_F(UsbTmcSessionTest, TransferWithAStaleTagIsDropped)
{
    device_.QueueStaleTransfer(200, "stale reply\n");
    EXPECT_EQ(Query("IDN-ZOBR-PRI?"), "ZAN,USB-METER,U0001,1.0\n");
    EXPECT_EQ(device_.QueuedBytes(), 0u);
}

TEST_F(UsbTmcSessionTest, CloseWakesABlockedRead)
{
    ASSERT_EQ(viSetAttribute(session_, VI_ATTR_TMO_VALUE, 10000), VI_SUCCESS);
    device_.HangNextReply();
    ASSERT_EQ(Write("IDN-ZOBR-PRI?"), VI_SUCCESS);
    const ViSession session = session_;
    auto reading = std::async(std::launch::async, [session] {
        ViByte buffer[64];
        ViUInt32 count = 0;
        return viRead(session, buffer, sizeof(buffer), &count);
    });
    EXPECT_EQ(reading.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    ASSERT_EQ(viClose(session_), VI_SUCCESS);
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(3)), std::future_status::ready);
    EXPECT_EQ(reading.get(), VI_ERROR_CONN_LOST);
}

}  // namespace
}  // namespace voltora::visa
