// The USB-TMC path end to end through the real libusb: VISA functions,
// UsbTmcBackend, LibusbTransport, usbdevfs ioctls answered by a virtual
// meter on a umockdev bus. Runs under umockdev-wrapper.

#include "platform/CNumbers.h"
#include "sim/SimulatedMeter.h"
#include "usbmock/VirtualUsbBus.h"
#include "usbmock/VirtualUsbDevice.h"
#include "visa/LinkDiagnostics.h"
#include "visa/visa.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace voltora::visa {
namespace {

using Clock = std::chrono::steady_clock;
using usbmock::UsbTmcFaults;
using usbmock::VirtualDeviceSpec;
using usbmock::VirtualUsbBus;
using usbmock::VirtualUsbDevice;

// USB-TMC class requests, as the device saw them.
constexpr std::uint8_t kInitiateAbortBulkIn = 3;
constexpr std::uint8_t kCheckAbortBulkInStatus = 4;
constexpr std::uint8_t kInitiateClear = 5;
constexpr std::uint8_t kCheckClearStatus = 6;
constexpr std::uint8_t kBulkIn = 0x81;
constexpr std::uint8_t kBulkOut = 0x02;
constexpr const char* kIdentity = "ZAN,ZDM650-SIM,SIM00000001,1.0.0\n";

// The bus outlives every test and exists before libusb is first used.
VirtualUsbBus& Bus()
{
    static VirtualUsbBus bus;
    return bus;
}

// "BIG? n" answers n bytes of a known pattern ending in "\n"; everything else
// goes to a simulated meter.
usbmock::UsbTmcDeviceModel::Responder MeterWithBigReplies()
{
    auto meter = std::make_shared<sim::SimulatedMeter>();
    return [meter](std::string_view message) -> std::optional<std::string> {
        if (message.rfind("BIG? ", 0) == 0) {
            const auto size =
                static_cast<std::size_t>(platform::CAtoi(std::string(message.substr(5))));
            std::string reply(size, 'x');
            for (std::size_t i = 0; i < size; ++i) {
                reply[i] = static_cast<char>('a' + i % 26);
            }
            reply.back() = '\n';
            return reply;
        }
        return meter->Execute(message);
    };
}

std::string BigReply(std::size_t size)
{
    return *MeterWithBigReplies()("BIG? " + std::to_string(size));
}

std::string ResourceOf(const VirtualDeviceSpec& spec)
{
    return platform::CFormat("USB0::0x%04X::0x%04X::%s::INSTR", spec.vendorId, spec.productId,
                             spec.serial.c_str());
}

class VirtualUsbTmcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!VirtualUsbBus::Available()) {
            GTEST_SKIP() << "not under umockdev-wrapper";
        }
        Bus();
        ASSERT_EQ(viOpenDefaultRM(&rm_), VI_SUCCESS);
    }

    void TearDown() override
    {
        if (rm_ != 0) {
            viClose(rm_);
        }
        for (const auto& device : plugged_) {
            Bus().Remove(device);
        }
    }

    // Plugs in a meter and waits until the host lists it.
    std::shared_ptr<VirtualUsbDevice> Plug(VirtualDeviceSpec spec)
    {
        spec.serial = platform::CFormat("ZU%06d", ++serials_);
        auto device = Bus().AddMeter(spec, MeterWithBigReplies());
        plugged_.push_back(device);
        resource_ = ResourceOf(spec);
        EXPECT_TRUE(WaitUntilListed(resource_, true)) << resource_;
        return device;
    }

    std::vector<std::string> Find(const char* expression)
    {
        std::vector<std::string> found;
        ViFindList list = 0;
        ViUInt32 count = 0;
        ViChar descriptor[VI_FIND_BUFLEN] = {};
        if (viFindRsrc(rm_, expression, &list, &count, descriptor) != VI_SUCCESS) {
            return found;
        }
        found.push_back(descriptor);
        for (ViUInt32 i = 1; i < count; ++i) {
            if (viFindNext(list, descriptor) == VI_SUCCESS) {
                found.push_back(descriptor);
            }
        }
        viClose(list);
        return found;
    }

    bool WaitUntilListed(const std::string& resource, bool listed)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(3);
        while (Clock::now() < deadline) {
            const auto found = Find("USB?*INSTR");
            if ((std::find(found.begin(), found.end(), resource) != found.end()) == listed) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    ViStatus Open(ViUInt32 timeoutMs = 2000)
    {
        const ViStatus status = viOpen(rm_, resource_.c_str(), 0, 0, &session_);
        if (status == VI_SUCCESS) {
            viSetAttribute(session_, VI_ATTR_TMO_VALUE, timeoutMs);
        }
        return status;
    }

    ViStatus Write(const std::string& text)
    {
        ViUInt32 count = 0;
        return viWrite(session_, reinterpret_cast<ViConstBuf>(text.data()),
                       static_cast<ViUInt32>(text.size()), &count);
    }

    std::string Read(std::size_t size, ViStatus& status)
    {
        std::string buffer(size, '\0');
        ViUInt32 count = 0;
        status = viRead(session_, reinterpret_cast<ViPBuf>(buffer.data()),
                        static_cast<ViUInt32>(size), &count);
        buffer.resize(count);
        return buffer;
    }

    std::string Query(const std::string& text, std::size_t size = 256)
    {
        EXPECT_EQ(Write(text), VI_SUCCESS) << text;
        ViStatus status = 0;
        std::string reply = Read(size, status);
        EXPECT_EQ(status, VI_SUCCESS) << text;
        return reply;
    }

    ViSession rm_ = 0;
    ViSession session_ = 0;
    std::string resource_;
    std::vector<std::shared_ptr<VirtualUsbDevice>> plugged_;
    static inline int serials_ = 0;
};

TEST_F(VirtualUsbTmcTest, FindListsEveryMeterWithItsModelAndNoOtherDevice)
{
    VirtualDeviceSpec keyboard;
    keyboard.vendorId = 0x046D;
    keyboard.productId = 0xC31C;
    keyboard.product = "USB Keyboard";
    keyboard.serial = "KB0001";
    plugged_.push_back(Bus().AddOtherDevice(keyboard));
    Plug({});
    const std::string first = resource_;
    VirtualDeviceSpec fullSpeed;
    fullSpeed.highSpeed = false;
    fullSpeed.productId = 0x0106;
    fullSpeed.product = "ZAN Handheld DMM";
    Plug(fullSpeed);
    const std::string second = resource_;

    std::vector<std::string> found = Find("USB?*INSTR");
    std::sort(found.begin(), found.end());
    std::vector<std::string> expected{first, second};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(Find("USB?*0x0106?*INSTR"), std::vector<std::string>{second});

    for (const auto& [resource, model] :
         {std::pair{first, "ZAN Bench DMM"}, std::pair{second, "ZAN Handheld DMM"}}) {
        ViSession session = 0;
        ASSERT_EQ(viOpen(rm_, resource.c_str(), 0, 0, &session), VI_SUCCESS) << resource;
        ViChar name[256] = {};
        EXPECT_EQ(viGetAttribute(session, VI_ATTR_MODEL_NAME, name), VI_SUCCESS);
        EXPECT_STREQ(name, model);
        viClose(session);
    }
}

class PacketSizeTest : public VirtualUsbTmcTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PacketSizeTest, QueriesOfEverySizeArriveWhole)
{
    VirtualDeviceSpec spec;
    spec.highSpeed = GetParam();
    Plug(spec);
    const std::size_t packet = spec.highSpeed ? 512 : 64;
    ASSERT_EQ(Open(), VI_SUCCESS);
    EXPECT_EQ(Query("IDN-ZOBR-PRI?"), kIdentity);
    EXPECT_EQ(Query("FUNCTION?"), "\"VOLT\"\n");

    // Header and reply fill whole packets: once with room to spare (the
    // device ends the transfer with a zero-length packet), once exactly.
    for (const std::size_t whole : {packet, 3 * packet}) {
        const std::size_t size = whole - 12;
        const std::string command = "BIG? " + std::to_string(size);
        EXPECT_EQ(Query(command, 4096), BigReply(size)) << command;
        EXPECT_EQ(Query(command, size), BigReply(size)) << command << " into its own size";
    }
    // Larger than one request: the reply comes in two transfers.
    const std::size_t large = (1u << 20) + 1000;
    EXPECT_EQ(Query("BIG? " + std::to_string(large), large + 10), BigReply(large));
    EXPECT_EQ(Query("IDN-ZOBR-PRI?"), kIdentity);
}

INSTANTIATE_TEST_SUITE_P(HighAndFullSpeed, PacketSizeTest, ::testing::Values(true, false),
                         [](const auto& paramInfo) {
                             return paramInfo.param ? "HighSpeed" : "FullSpeed";
                         });

TEST_F(VirtualUsbTmcTest, OneMebibyteReply)
{
    Plug({});
    ASSERT_EQ(Open(5000), VI_SUCCESS);
    const std::size_t size = 1u << 20;
    const std::string reply = Query("BIG? " + std::to_string(size), size);
    ASSERT_EQ(reply.size(), size);
    EXPECT_TRUE(reply == BigReply(size));
}

TEST_F(VirtualUsbTmcTest, TimeOutIsAbortedAndTheNextQueryGetsItsOwnReply)
{
    auto device = Plug({});
    ASSERT_EQ(Open(300), VI_SUCCESS);
    UsbTmcFaults silent;
    silent.silent = true;
    device->Tmc()->SetFaults(silent);
    ASSERT_EQ(Write("IDN-ZOBR-PRI?"), VI_SUCCESS);
    ViStatus status = 0;
    const auto start = Clock::now();
    EXPECT_EQ(Read(256, status), "");
    EXPECT_EQ(status, VI_ERROR_TMO);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
    const auto requests = device->Tmc()->ClassRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front(), kInitiateAbortBulkIn);
    EXPECT_EQ(requests.back(), kCheckAbortBulkInStatus);

    device->Tmc()->SetFaults({});
    // The abandoned identity reply must not pass for this one.
    EXPECT_EQ(Query("FUNCTION?"), "\"VOLT\"\n");
}

// A fault, what the read of a query's reply ends in, and that the next
// query works once the device behaves.
struct FaultCase {
    const char* name;
    UsbTmcFaults faults;
    ViStatus writeStatus;
    ViStatus readStatus;
    std::size_t received;
    std::vector<std::uint8_t> clearedHalts;
};

void PrintTo(const FaultCase& fault, std::ostream* out)
{
    *out << fault.name;
}

class FaultTest : public VirtualUsbTmcTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, EndsInAnErrorAndTheLinkRecovers)
{
    const FaultCase& fault = GetParam();
    auto device = Plug({});
    ASSERT_EQ(Open(300), VI_SUCCESS);
    device->Tmc()->SetFaults(fault.faults);
    const auto start = Clock::now();
    EXPECT_EQ(Write("IDN-ZOBR-PRI?"), fault.writeStatus);
    if (fault.writeStatus == VI_SUCCESS) {
        ViStatus status = 0;
        EXPECT_EQ(Read(256, status).size(), fault.received);
        EXPECT_EQ(status, fault.readStatus);
    }
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2000));
    EXPECT_EQ(device->Tmc()->ClearedHalts(), fault.clearedHalts);

    device->Tmc()->SetFaults({});
    EXPECT_EQ(Query("FUNCTION?"), "\"VOLT\"\n");
    EXPECT_EQ(Query("IDN-ZOBR-PRI?"), kIdentity);
}

UsbTmcFaults Fault(bool UsbTmcFaults::*which)
{
    UsbTmcFaults faults;
    faults.*which = true;
    return faults;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTest,
    ::testing::Values(
        FaultCase{"StallBulkIn", Fault(&UsbTmcFaults::stallBulkIn), VI_SUCCESS, VI_ERROR_IO, 0,
                  {kBulkIn}},
        FaultCase{"StallBulkOut", Fault(&UsbTmcFaults::stallBulkOut), VI_ERROR_IO, 0, 0,
                  {kBulkOut}},
        FaultCase{"WrongTag", Fault(&UsbTmcFaults::wrongTag), VI_SUCCESS, VI_ERROR_TMO, 0, {}},
        FaultCase{"LongerThanAsked", Fault(&UsbTmcFaults::longerThanAsked), VI_SUCCESS,
                  VI_ERROR_IO, 0, {}},
        FaultCase{"NeverEndOfMessage", Fault(&UsbTmcFaults::neverEndOfMessage), VI_SUCCESS,
                  VI_ERROR_TMO, std::string(kIdentity).size(), {}}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST_F(VirtualUsbTmcTest, UnplugMidReadEndsTheReadAndTheMeterLeavesTheList)
{
    auto device = Plug({});
    ASSERT_EQ(Open(10000), VI_SUCCESS);
    UsbTmcFaults silent;
    silent.silent = true;
    device->Tmc()->SetFaults(silent);
    ASSERT_EQ(Write("IDN-ZOBR-PRI?"), VI_SUCCESS);
    const ViSession session = session_;
    auto reading = std::async(std::launch::async, [session] {
        ViByte buffer[256];
        ViUInt32 count = 0;
        return viRead(session, buffer, sizeof(buffer), &count);
    });
    EXPECT_EQ(reading.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    Bus().Unplug(device);
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(3)), std::future_status::ready)
        << "the read went on after the meter was unplugged";
    EXPECT_EQ(reading.get(), VI_ERROR_CONN_LOST);
    EXPECT_EQ(Write("IDN-ZOBR-PRI?"), VI_ERROR_CONN_LOST);
    EXPECT_EQ(viClose(session_), VI_SUCCESS);
    EXPECT_TRUE(WaitUntilListed(resource_, false));
}

TEST_F(VirtualUsbTmcTest, NodeWithoutPermissionIsRefusedWithTheUdevRuleNamed)
{
    auto device = Plug({});
    Bus().SetAccessible(device, false);
    TakeLinkProblem();
    {
        usbmock::NoFileAccessOverride asUser;
        EXPECT_EQ(Open(), VI_ERROR_NPERMISSION);
    }
    EXPECT_NE(TakeLinkProblem().find("60-voltora-usbtmc.rules"), std::string::npos);
    // Still listed: the user sees the meter and learns why it cannot be opened.
    EXPECT_TRUE(WaitUntilListed(resource_, true));
    Bus().SetAccessible(device, true);
    ASSERT_EQ(Open(), VI_SUCCESS);
    EXPECT_EQ(Query("IDN-ZOBR-PRI?"), kIdentity);
}

TEST_F(VirtualUsbTmcTest, KernelDriverIsDetachedForTheSessionAndAttachedAgain)
{
    auto device = Plug({});
    device->SetKernelDriverBound(true);
    ASSERT_EQ(Open(), VI_SUCCESS);
    EXPECT_FALSE(device->KernelDriverBound());
    EXPECT_TRUE(device->InterfaceClaimed());
    EXPECT_EQ(Query("IDN-ZOBR-PRI?"), kIdentity);
    ASSERT_EQ(viClose(session_), VI_SUCCESS);
    EXPECT_FALSE(device->InterfaceClaimed());
    EXPECT_TRUE(device->KernelDriverBound());
}

TEST_F(VirtualUsbTmcTest, ClearEmptiesTheDeviceAndClearsTheBulkOutHalt)
{
    auto device = Plug({});
    ASSERT_EQ(Open(), VI_SUCCESS);
    // A reply that is never read...
    ASSERT_EQ(Write("IDN-ZOBR-PRI?"), VI_SUCCESS);
    ASSERT_EQ(viClear(session_), VI_SUCCESS);
    const auto requests = device->Tmc()->ClassRequests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests.front(), kInitiateClear);
    EXPECT_EQ(requests.back(), kCheckClearStatus);
    EXPECT_EQ(device->Tmc()->ClearedHalts(), std::vector<std::uint8_t>{kBulkOut});
    // ...is gone after the clear.
    EXPECT_EQ(Query("FUNCTION?"), "\"VOLT\"\n");
}

}  // namespace
}  // namespace voltora::visa
