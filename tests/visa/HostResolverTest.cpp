#include "sim/server/ListeningSocket.h"
#include "visa/HostResolver.h"
#include "visa/TcpConnection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <unistd.h>

namespace voltora::visa {
namespace {

using Clock = std::chrono::steady_clock;

// A name service that answers only after three seconds (as one does whose
// server does not answer and is retried).
int SlowLookup(const char* host, const char* service, const addrinfo* hints, addrinfo** found)
{
    std::this_thread::sleep_for(std::chrono::seconds(3));
    return getaddrinfo(host, service, hints, found);
}

class HostResolverTest : public ::testing::Test {
protected:
    void TearDown() override { SetAddressLookupForTesting(nullptr); }
};

TEST_F(HostResolverTest, ConnectingByNameStaysWithinTheTimeOut)
{
    std::string error;
    const int listenFd = sim::ListenTcp("127.0.0.1", 0, error);
    ASSERT_GE(listenFd, 0) << error;
    const std::uint16_t port = sim::LocalPort(listenFd);

    struct Case {
        const char* host;
        bool slowNameService;
        ViStatus status;
    };
    const Case cases[] = {
        {"localhost", false, VI_SUCCESS},
        {"127.0.0.1", true, VI_SUCCESS},  // numeric: no name service asked
        {"localhost", true, VI_ERROR_TMO},
    };
    for (const Case& c : cases) {
        SetAddressLookupForTesting(c.slowNameService ? &SlowLookup : nullptr);
        TcpConnection connection;
        const auto start = Clock::now();
        EXPECT_EQ(connection.Connect(c.host, port, start + std::chrono::milliseconds(300)),
                  c.status)
            << c.host;
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500)) << c.host;
    }
    close(listenFd);
}

TEST_F(HostResolverTest, InterruptEndsTheWaitForAName)
{
    SetAddressLookupForTesting(&SlowLookup);
    std::atomic<bool> interrupted{false};
    std::thread breaker([&interrupted] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        interrupted.store(true);
    });
    AddressList found;
    const auto start = Clock::now();
    EXPECT_EQ(ResolveHost("localhost", "80", start + std::chrono::seconds(10), interrupted, found),
              VI_ERROR_CONN_LOST);
    breaker.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(found, nullptr);
}

TEST_F(HostResolverTest, GivenUpLookUpsAreCappedAndFinishInTheBackground)
{
    SetAddressLookupForTesting(&SlowLookup);
    const std::atomic<bool> never{false};
    int refused = 0;
    for (int i = 0; i < 12; ++i) {
        AddressList found;
        const ViStatus status =
            ResolveHost("localhost", "80", Clock::now() + std::chrono::milliseconds(10), never,
                        found);
        if (status == VI_ERROR_RSRC_NFOUND) {
            ++refused;
        } else {
            EXPECT_EQ(status, VI_ERROR_TMO);
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_LE(AbandonedLookUps(), 8);
    // Once the slow look-ups are done, names resolve again.
    const auto until = Clock::now() + std::chrono::seconds(10);
    while (AbandonedLookUps() > 0 && Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(AbandonedLookUps(), 0);
    SetAddressLookupForTesting(nullptr);
    AddressList found;
    EXPECT_EQ(ResolveHost("localhost", "80", Clock::now() + std::chrono::seconds(2), never, found),
              VI_SUCCESS);
    EXPECT_NE(found, nullptr);
}

}  // namespace
}  // namespace voltora::visa
