#pragma once

#include "support/ScriptedBackend.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace voltora::app::testing {

// A scripted meter that passes the identity probe and answers every other
// query with "0\n" (a reading of 0 V), unless told otherwise.
inline std::shared_ptr<voltora::testing::ScriptedDevice> AddZanDevice(
    voltora::testing::ScriptedBackend& backend, const std::string& resource,
    const std::string& model = "ZAN Scripted")
{
    auto device = backend.AddDevice(resource, model);
    device->SetResponder([](const std::string& message) -> std::optional<std::string> {
        if (message == "IDN-ZOBR-PRI?") {
            return std::string("ZAN,ZDM1000,TEST,1.0\n");
        }
        if (message == "FUNCTION?") {
            return std::string("\"VOLT\"\n");
        }
        if (message == "DATA:POINts?") {
            return std::string("1\n");  // a stored reading: no wait after a function change
        }
        if (message.find('?') != std::string::npos) {
            return std::string("0\n");
        }
        return std::nullopt;
    });
    return device;
}

// A reading query that can be made slow: while slow, "DATA:LAST?" takes
// `delay` before its reply, as a meter busy with a long measurement, and
// tells the test that a worker is inside the exchange.
class SlowReading {
public:
    explicit SlowReading(std::chrono::milliseconds replyDelay) : delay(replyDelay) {}

    void SetSlow(bool state) { slow = state; }
    bool WorkerInside() const { return inside.load(); }

    std::optional<std::string> Answer(const std::string& message)
    {
        if (message == "IDN-ZOBR-PRI?") {
            return std::string("ZAN,ZDM1000,TEST,1.0\n");
        }
        if (message == "DATA:LAST?" && slow.load()) {
            inside = true;
            std::unique_lock<std::mutex> lock(mutex);
            // Nothing wakes this early: it is the meter's own measuring time.
            wake.wait_for(lock, delay);
            return std::string("+1.00000000E+00 VDC\n");
        }
        if (message == "FUNCTION?") {
            return std::string("\"VOLT\"\n");
        }
        if (message == "DATA:POINts?") {
            return std::string("1\n");  // a stored reading: no wait after a function change
        }
        if (message.find('?') != std::string::npos) {
            return std::string("0\n");
        }
        return std::nullopt;
    }

private:
    std::chrono::milliseconds delay;
    std::atomic<bool> slow{false};
    std::atomic<bool> inside{false};
    std::mutex mutex;
    std::condition_variable wake;
};

}  // namespace voltora::app::testing
