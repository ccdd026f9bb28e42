#include "visa/ResourceManager.h"
#include "visa/visa.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace voltora::visa {
namespace {

constexpr const char* kResource = "LIFETIME0::INSTR";
constexpr std::uint64_t kAlive = 0x5e5510da11fe0001u;

std::atomic<int> liveLinks{0};
std::atomic<bool> touchedDeadLink{false};
std::atomic<long> callsEntered{0};

// A link that takes a little while per call and notices being used after
// its destruction (the canary is overwritten when it goes; under
// AddressSanitizer the access itself is the failure).
class SlowLink : public IVisaSession {
public:
    SlowLink() { ++liveLinks; }
    ~SlowLink() override
    {
        canary_.store(0);
        --liveLinks;
    }
    ViStatus Write(const ViByte*, std::size_t size, std::size_t& written,
                   std::chrono::milliseconds) override
    {
        Work();
        written = size;
        return closed_.load() ? VI_ERROR_CONN_LOST : VI_SUCCESS;
    }
    ViStatus Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                  std::chrono::milliseconds) override
    {
        Work();
        received = size > 0 ? 1 : 0;
        if (received > 0) {
            buffer[0] = '\n';
        }
        end = true;
        return closed_.load() ? VI_ERROR_CONN_LOST : VI_SUCCESS;
    }
    void Close() override { closed_.store(true); }

private:
    void Work()
    {
        ++callsEntered;
        for (int i = 0; i < 200; ++i) {
            if (canary_.load() != kAlive) {
                touchedDeadLink.store(true);
            }
            std::this_thread::yield();
        }
    }
    std::atomic<std::uint64_t> canary_{kAlive};
    std::atomic<bool> closed_{false};
};

class SlowBackend : public IVisaBackend {
public:
    bool Accepts(std::string_view resource) const override { return resource == kResource; }
    ViStatus Open(std::string_view, std::chrono::milliseconds,
                  std::unique_ptr<IVisaSession>& session) override
    {
        session = std::make_unique<SlowLink>();
        return VI_SUCCESS;
    }
};

// Workers keep writing and reading whatever session is current while the
// main thread closes and reopens it thousands of times: every call either
// completes on a live link or reports the handle gone, and every link is
// freed once the last call inside it has returned.
TEST(SessionLifetimeTest, CloseAndReopenAgainstWorkersInMidCall)
{
    auto backend = std::make_shared<SlowBackend>();
    ResourceManager::Instance().AddBackend(backend, true);
    ViSession rm = 0;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    std::atomic<ViSession> current{0};
    ViSession first = 0;
    ASSERT_EQ(viOpen(rm, kResource, 0, 0, &first), VI_SUCCESS);
    current.store(first);

    std::atomic<bool> stop{false};
    std::atomic<long> completed{0};
    std::atomic<long> unexpected{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w) {
        workers.emplace_back([&, w] {
            ViByte buffer[8];
            while (!stop.load()) {
                const ViSession session = current.load();
                ViUInt32 count = 0;
                const ViStatus status =
                    w % 2 == 0 ? viWrite(session, reinterpret_cast<ViConstBuf>("X?"), 2, &count)
                               : viRead(session, buffer, sizeof buffer, &count);
                if (status == VI_SUCCESS) {
                    ++completed;
                } else if (status != VI_ERROR_INV_OBJECT && status != VI_ERROR_CONN_LOST) {
                    ++unexpected;
                }
            }
        });
    }
    constexpr int kCycles = 3000;
    for (int i = 0; i < kCycles; ++i) {
        // Close once a worker is inside a call on this session.
        const long entered = callsEntered.load();
        while (callsEntered.load() == entered) {
            std::this_thread::yield();
        }
        ASSERT_EQ(viClose(current.load()), VI_SUCCESS);
        ViSession next = 0;
        ASSERT_EQ(viOpen(rm, kResource, 0, 0, &next), VI_SUCCESS);
        current.store(next);
    }
    // Closing the moment a call has entered can leave every call of the
    // cycles cut off; on the last session, left alone, calls must complete.
    const long beforeQuiet = completed.load();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (completed.load() == beforeQuiet && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    stop.store(true);
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(viClose(rm), VI_SUCCESS);
    ResourceManager::Instance().RemoveBackend(backend);

    EXPECT_FALSE(touchedDeadLink.load());
    EXPECT_EQ(unexpected.load(), 0);
    EXPECT_GT(completed.load(), beforeQuiet);
    EXPECT_EQ(liveLinks.load(), 0);
}

// The process may end while a worker is still inside a call (the desktop
// program does not wait for its acquisition worker on exit). The session
// table must not be torn down under that call.
TEST(SessionLifetimeDeathTest, ExitWhileWorkersAreInMidCall)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The race is narrow (the table's teardown against a look-up), so it
    // is run a few times.
    for (int run = 0; run < 8; ++run) {
    EXPECT_EXIT(
        {
            auto backend = std::make_shared<SlowBackend>();
            ResourceManager::Instance().AddBackend(backend, true);
            ViSession rm = 0;
            viOpenDefaultRM(&rm);
            std::vector<ViSession> sessions(20000);
            for (auto& session : sessions) {
                viOpen(rm, kResource, 0, 0, &session);
            }
            std::atomic<int> started{0};
            for (int w = 0; w < 3; ++w) {
                std::thread([&sessions, &started, w] {
                    ++started;
                    ViByte buffer[4];
                    for (std::size_t i = static_cast<std::size_t>(w);; i += 7) {
                        ViUInt32 count = 0;
                        viRead(sessions[i % sessions.size()], buffer, sizeof buffer, &count);
                    }
                }).detach();
            }
            while (started.load() < 3) {
                std::this_thread::yield();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::exit(touchedDeadLink.load() ? 3 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    }
}

}  // namespace
}  // namespace voltora::visa
