// A VISA library loaded at run time (our own test library) reached through
// our VISA functions.

#include "visa/ResourceManager.h"
#include "visa/SystemVisaBackend.h"
#include "visa/visa.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

namespace voltora::visa {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kMeter = "USB0::0x5A4E::0x0001::LIB0001::INSTR";

class SystemVisaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        backend_ = std::make_shared<SystemVisaBackend>(VOLTORA_TEST_VISA_LIBRARY);
        ASSERT_TRUE(backend_->Loaded()) << backend_->LoadError();
        ResourceManager::Instance().AddBackend(backend_, true);
        ASSERT_EQ(viOpenDefaultRM(&rm_), VI_SUCCESS);
        library_ = dlopen(VOLTORA_TEST_VISA_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr);
    }

    void TearDown() override
    {
        viClose(rm_);
        ResourceManager::Instance().RemoveBackend(backend_);
        if (library_ != nullptr) {
            dlclose(library_);
        }
    }

    std::size_t LibraryOpenSessions()
    {
        auto count = reinterpret_cast<std::size_t (*)()>(dlsym(library_, "voltoraTestOpenSessions"));
        return count();
    }

    std::uint32_t LibraryLastTimeout()
    {
        auto last = reinterpret_cast<std::uint32_t (*)()>(dlsym(library_, "voltoraTestLastTimeout"));
        return last();
    }

    std::shared_ptr<SystemVisaBackend> backend_;
    ViSession rm_ = 0;
    void* library_ = nullptr;
};

TEST_F(SystemVisaTest, FindListsTheLibrarysResources)
{
    ViFindList list = 0;
    ViUInt32 count = 0;
    ViChar descriptor[VI_FIND_BUFLEN] = {};
    ASSERT_EQ(viFindRsrc(rm_, "USB?*INSTR", &list, &count, descriptor), VI_SUCCESS);
    std::vector<std::string> found{descriptor};
    for (ViUInt32 i = 1; i < count; ++i) {
        ASSERT_EQ(viFindNext(list, descriptor), VI_SUCCESS);
        found.emplace_back(descriptor);
    }
    // The library's USB meter is listed; its serial device is not a USB match.
    EXPECT_NE(std::find(found.begin(), found.end(), kMeter), found.end());
    EXPECT_EQ(std::find(found.begin(), found.end(), "ASRL1::INSTR"), found.end());
}

TEST_F(SystemVisaTest, QueryModelNameAndTimeoutGoThroughTheLibrary)
{
    ViSession session = 0;
    ASSERT_EQ(viOpen(rm_, kMeter, 0, 0, &session), VI_SUCCESS);
    EXPECT_EQ(LibraryOpenSessions(), 1u);
    ViChar model[256] = {};
    ASSERT_EQ(viGetAttribute(session, VI_ATTR_MODEL_NAME, model), VI_SUCCESS);
    EXPECT_STREQ(model, "ZAN Library Meter");

    ViUInt32 count = 0;
    ASSERT_EQ(viWrite(session, reinterpret_cast<ViConstBuf>("IDN-ZOBR-PRI?"), 13, &count),
              VI_SUCCESS);
    char reply[256] = {};
    ASSERT_EQ(viRead(session, reinterpret_cast<ViPBuf>(reply), 8, &count), VI_SUCCESS_MAX_CNT);
    EXPECT_EQ(std::string(reply, count), "ZAN,LIBR");
    ASSERT_EQ(viRead(session, reinterpret_cast<ViPBuf>(reply), sizeof(reply), &count), VI_SUCCESS);
    EXPECT_EQ(std::string(reply, count), "ARY-METER,LIB0001,2.0\n");

    // No reply: the library waits the session's time-out, which we handed it.
    ASSERT_EQ(viSetAttribute(session, VI_ATTR_TMO_VALUE, 150), VI_SUCCESS);
    ASSERT_EQ(viWrite(session, reinterpret_cast<ViConstBuf>("HANG?"), 5, &count), VI_SUCCESS);
    EXPECT_EQ(viRead(session, reinterpret_cast<ViPBuf>(reply), sizeof(reply), &count),
              VI_ERROR_TMO);
    EXPECT_LE(LibraryLastTimeout(), 150u);
    EXPECT_GT(LibraryLastTimeout(), 100u);

    ASSERT_EQ(viClose(session), VI_SUCCESS);
    EXPECT_EQ(LibraryOpenSessions(), 0u);
}

TEST_F(SystemVisaTest, CloseWakesABlockedRead)
{
    ViSession session = 0;
    ASSERT_EQ(viOpen(rm_, kMeter, 0, 0, &session), VI_SUCCESS);
    ASSERT_EQ(viSetAttribute(session, VI_ATTR_TMO_VALUE, 10000), VI_SUCCESS);
    ViUInt32 count = 0;
    ASSERT_EQ(viWrite(session, reinterpret_cast<ViConstBuf>("HANG?"), 5, &count), VI_SUCCESS);
    auto reading = std::async(std::launch::async, [session] {
        ViByte buffer[16];
        ViUInt32 got = 0;
        return viRead(session, buffer, sizeof(buffer), &got);
    });
    EXPECT_EQ(reading.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    ASSERT_EQ(viClose(session), VI_SUCCESS);
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(3)), std::future_status::ready);
    EXPECT_EQ(reading.get(), VI_ERROR_CONN_LOST);
}

TEST_F(SystemVisaTest, UnknownResourceIsTheLibrarysAnswer)
{
    ViSession session = 0;
    EXPECT_EQ(viOpen(rm_, "USB0::0x1111::0x2222::NONE::INSTR", 0, 0, &session),
              VI_ERROR_RSRC_NFOUND);
}

TEST(SystemVisaLoadTest, MissingOrWrongLibraryIsReportedAndRefusesOpens)
{
    SystemVisaBackend missing("/nonexistent/libvisa.so");
    EXPECT_FALSE(missing.Loaded());
    EXPECT_NE(missing.LoadError().find("/nonexistent/libvisa.so"), std::string::npos);
    std::unique_ptr<IVisaSession> session;
    EXPECT_EQ(missing.Open(kMeter, std::chrono::milliseconds(100), session),
              VI_ERROR_LIBRARY_NFOUND);

    // A real shared library, but not a VISA one.
    SystemVisaBackend wrong("libm.so.6");
    EXPECT_FALSE(wrong.Loaded());
    EXPECT_NE(wrong.LoadError().find("viOpenDefaultRM"), std::string::npos) << wrong.LoadError();
    std::vector<std::string> found;
    wrong.Find("USB?*INSTR", found);
    EXPECT_TRUE(found.empty());
}

}  // namespace
}  // namespace voltora::visa
