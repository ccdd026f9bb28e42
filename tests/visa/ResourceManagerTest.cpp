#include "visa/ResourceManager.h"

#include "sim/backend/SimulatedMeterBackend.h"
#include "support/ScriptedBackend.h"

#include "support/ThreadProbe.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace voltora::visa {
namespace {

using testing::ScopedScriptedBackend;
using testing::ScriptedDevice;
using sim::SimulatedMeterBackend;

constexpr const char* kUsb = "USB0::0x1234::0x5678::SN1::INSTR";

class ResourceManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device = backend->AddDevice(kUsb, "Model A");
        ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
        ASSERT_EQ(viOpen(rm, kUsb, 0, 0, &session), VI_SUCCESS);
    }
    void TearDown() override { viClose(rm); }

    std::string Read(ViUInt32 size, ViStatus& status)
    {
        std::string buffer(size, '\0');
        ViUInt32 count = 0;
        status = viRead(session, reinterpret_cast<ViPBuf>(buffer.data()), size, &count);
        buffer.resize(count);
        return buffer;
    }

    void Write(const std::string& text)
    {
        ViUInt32 written = 0;
        ASSERT_EQ(viWrite(session, reinterpret_cast<ViConstBuf>(text.data()),
                          static_cast<ViUInt32>(text.size()), &written),
                  VI_SUCCESS);
        ASSERT_EQ(written, text.size());
    }

    ScopedScriptedBackend backend;
    std::shared_ptr<ScriptedDevice> device;
    ViSession rm = 0;
    ViSession session = 0;
};

TEST_F(ResourceManagerTest, ReadReportsMessageEndOrFullBuffer)
{
    device->QueueReply("1.234E+00 VDC\n");
    Write("DATA:LAST?");
    ViStatus status = 0;
    EXPECT_EQ(Read(64, status), "1.234E+00 VDC\n");
    EXPECT_EQ(status, VI_SUCCESS);

    device->QueueReply("0123456789\n");
    Write("X?");
    EXPECT_EQ(Read(4, status), "0123");
    EXPECT_EQ(status, VI_SUCCESS_MAX_CNT);
    EXPECT_EQ(Read(64, status), "456789\n");
    EXPECT_EQ(status, VI_SUCCESS);
}

TEST_F(ResourceManagerTest, ReadReassemblesChunksUntilTheEnd)
{
    device->SetChunkSize(1);
    device->QueueReply("\"VOLT\"\n");
    Write("FUNCTION?");
    ViStatus status = 0;
    EXPECT_EQ(Read(32, status), "\"VOLT\"\n");
    EXPECT_EQ(status, VI_SUCCESS);
}

TEST_F(ResourceManagerTest, SilentInstrumentTimesOut)
{
    Write("NOTHING?");
    ViStatus status = 0;
    EXPECT_EQ(Read(32, status), "");
    EXPECT_EQ(status, VI_ERROR_TMO);
}

TEST_F(ResourceManagerTest, ClosedHandlesAreInvalid)
{
    EXPECT_EQ(viClose(session), VI_SUCCESS);
    ViUInt32 written = 0;
    EXPECT_EQ(viWrite(session, reinterpret_cast<ViConstBuf>("X"), 1, &written),
              VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viClose(session), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(device->OpenSessions(), 0);
}

TEST_F(ResourceManagerTest, ClosingTheManagerClosesItsSessions)
{
    const std::size_t before = ResourceManager::Instance().OpenHandleCount();
    ASSERT_EQ(viClose(rm), VI_SUCCESS);
    EXPECT_EQ(device->OpenSessions(), 0);
    EXPECT_EQ(ResourceManager::Instance().OpenHandleCount(), before - 2);
    rm = 0;
}

TEST_F(ResourceManagerTest, BackendRefusingTheManagerFailsOpenDefaultRMWithItsStatus)
{
    const std::size_t before = ResourceManager::Instance().OpenHandleCount();
    backend->FailOpenDefaultRM(VI_ERROR_SYSTEM_ERROR);
    ViSession refused = 123;
    EXPECT_EQ(viOpenDefaultRM(&refused), VI_ERROR_SYSTEM_ERROR);
    EXPECT_EQ(refused, 0u);
    EXPECT_EQ(ResourceManager::Instance().OpenHandleCount(), before);

    backend->FailOpenDefaultRM(VI_SUCCESS);
    ViSession second = 0;
    ASSERT_EQ(viOpenDefaultRM(&second), VI_SUCCESS);
    EXPECT_NE(second, 0u);
    EXPECT_EQ(viClose(second), VI_SUCCESS);
}

TEST_F(ResourceManagerTest, UnknownResourceIsNotFound)
{
    ViSession other = 0;
    EXPECT_EQ(viOpen(rm, "USB9::0x1::0x2::NOPE::INSTR", 0, 0, &other), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(other, 0u);
}

TEST_F(ResourceManagerTest, FindListsMatchingDevicesInOrder)
{
    backend->AddDevice("USB0::0x1234::0x5678::SN2::INSTR");
    backend->AddDevice("TCPIP0::10.1.1.1::inst0::INSTR");
    ViFindList list = 0;
    ViUInt32 count = 0;
    char descriptor[VI_FIND_BUFLEN] = {};
    ASSERT_EQ(viFindRsrc(rm, "USB?*INSTR", &list, &count, descriptor), VI_SUCCESS);
    EXPECT_EQ(count, 2u);
    EXPECT_STREQ(descriptor, kUsb);
    ASSERT_EQ(viFindNext(list, descriptor), VI_SUCCESS);
    EXPECT_STREQ(descriptor, "USB0::0x1234::0x5678::SN2::INSTR");
    EXPECT_EQ(viFindNext(list, descriptor), VI_ERROR_RSRC_NFOUND);
}

TEST_F(ResourceManagerTest, ModelNameAttribute)
{
    char model[256] = {};
    ASSERT_EQ(viGetAttribute(session, VI_ATTR_MODEL_NAME, model), VI_SUCCESS);
    EXPECT_STREQ(model, "Model A");
    ViUInt32 timeout = 0;
    ASSERT_EQ(viGetAttribute(session, VI_ATTR_TMO_VALUE, &timeout), VI_SUCCESS);
    EXPECT_EQ(timeout, 2000u);
}

TEST(SimulatedMeterSessionTest, CloseWakesABlockedReader)
{
    ViSession rm = 0;
    ViSession session = 0;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    ASSERT_EQ(viOpen(rm, SimulatedMeterBackend::kResource, 0, 0, &session), VI_SUCCESS);
    ViStatus status = VI_SUCCESS;
    std::atomic<pid_t> readerId{0};
    const auto start = std::chrono::steady_clock::now();
    std::thread reader([&] {
        char buffer[32];
        ViUInt32 count = 0;
        readerId = voltora::testing::CurrentThreadId();
        // Nothing was asked, so this read waits until the session is closed.
        status = viRead(session, reinterpret_cast<ViPBuf>(buffer), sizeof buffer, &count);
    });
    // Close only once the reader sleeps inside its read: a close that came
    // first would fail the read at once and prove nothing about waking it.
    const bool blocked = voltora::testing::WaitUntil(
        [&] { return readerId != 0 && voltora::testing::ThreadIsAsleep(readerId); },
        std::chrono::seconds(1));
    viClose(rm);
    reader.join();
    ASSERT_TRUE(blocked) << "the read never blocked";
    EXPECT_LT(status, VI_SUCCESS);
    // Woken inside the read (a read of an already closed handle would be
    // VI_ERROR_INV_OBJECT).
    EXPECT_EQ(status, VI_ERROR_CONN_LOST);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
}

TEST(SimulatedMeterSessionTest, ReplyArrivesAfterTheMeterLatency)
{
    auto meter = SimulatedMeterBackend::Instance()->ResetMeter(
        sim::SimulatedMeterOptions{1, 1.0, std::chrono::microseconds(20000)});
    ViSession rm = 0;
    ViSession session = 0;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    ASSERT_EQ(viOpen(rm, SimulatedMeterBackend::kResource, 0, 0, &session), VI_SUCCESS);
    const char* probe = "IDN-ZOBR-PRI?";
    ViUInt32 written = 0;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(viWrite(session, reinterpret_cast<ViConstBuf>(probe), 13, &written), VI_SUCCESS);
    char buffer[256] = {};
    ViUInt32 count = 0;
    EXPECT_EQ(viRead(session, reinterpret_cast<ViPBuf>(buffer), sizeof buffer, &count),
              VI_SUCCESS);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
    EXPECT_NE(std::string(buffer, count).find("ZAN"), std::string::npos);
    viClose(rm);
    SimulatedMeterBackend::Instance()->ResetMeter();
}

}  // namespace
}  // namespace voltora::visa
