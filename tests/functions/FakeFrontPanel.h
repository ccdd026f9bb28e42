#pragma once

#include "functions/CZANFunction.h"
#include "functions/IFrontPanel.h"
#include "link/CConectWithNI.h"
#include "link/IConnection.h"

#include "support/WaitUntil.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace voltora::functions::testing {

// Polls `condition` every millisecond until it holds or `timeout` passes.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    return voltora::testing::WaitUntil(condition, timeout);
}

// Stops a function's worker when it goes out of scope. Declared after the
// locals a test's reply functions use, it stops the worker before they go,
// on every path out of the test.
class StopWorkerAtExit {
public:
    explicit StopWorkerAtExit(CZANFunction& stopped) : function(stopped) {}
    ~StopWorkerAtExit() { function.StopWorker(); }
    StopWorkerAtExit(const StopWorkerAtExit&) = delete;
    StopWorkerAtExit& operator=(const StopWorkerAtExit&) = delete;

private:
    CZANFunction& function;
};

// A front panel for tests: records what the functions ask of it. By default
// it leaves WM_PANEL_READING unacknowledged, as a busy panel would; after
// AcknowledgeReadingsOf(f) it acknowledges every reading of f at once, as a
// panel that handles each message immediately.
class FakeFrontPanel : public IFrontPanel {
public:
    struct RelShown {
        std::string state;
        std::string value;
        bool fromWorker;  // handed over with PostRelValue
    };

    void PostMessage(int message) override
    {
        CZANFunction* acknowledge = nullptr;
        {
            std::lock_guard<std::mutex> guard(mutex);
            messages.push_back(message);
            if (message == WM_PANEL_READING) {
                acknowledge = acknowledged;
            }
        }
        if (acknowledge != nullptr) {
            acknowledge->AcknowledgeReading();
        }
        changed.notify_all();
    }

    void ShowRelValue(const std::string& state, const std::string& value) override
    {
        Record(RelShown{state, value, false});
    }

    void PostRelValue(const std::string& state, const std::string& value) override
    {
        Record(RelShown{state, value, true});
    }

    void SetViewsUnit(const std::string& unit) override
    {
        std::lock_guard<std::mutex> guard(mutex);
        units.push_back(unit);
    }

    void OpenSensorDialog() override
    {
        std::lock_guard<std::mutex> guard(mutex);
        ++sensorDialogOpens;
    }

    // The functions' tests open the program's connection on their meter.
    IConnection& Connection() override { return *CConectWithNI::Instance(); }

    void AcknowledgeReadingsOf(CZANFunction* function)
    {
        std::lock_guard<std::mutex> guard(mutex);
        acknowledged = function;
    }

    std::vector<int> Messages() const
    {
        std::lock_guard<std::mutex> guard(mutex);
        return messages;
    }

    int Count(int message) const
    {
        std::lock_guard<std::mutex> guard(mutex);
        return static_cast<int>(std::count(messages.begin(), messages.end(), message));
    }

    // Waits until at least `count` messages `message` have been posted.
    bool WaitForCount(int message, int count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        std::unique_lock<std::mutex> guard(mutex);
        return changed.wait_for(guard, timeout, [&] {
            return std::count(messages.begin(), messages.end(), message) >= count;
        });
    }

    std::vector<RelShown> RelValues() const
    {
        std::lock_guard<std::mutex> guard(mutex);
        return rel;
    }

    std::vector<std::string> ViewsUnits() const
    {
        std::lock_guard<std::mutex> guard(mutex);
        return units;
    }

    int SensorDialogOpens() const
    {
        std::lock_guard<std::mutex> guard(mutex);
        return sensorDialogOpens;
    }

    void Clear()
    {
        std::lock_guard<std::mutex> guard(mutex);
        messages.clear();
        rel.clear();
        units.clear();
        sensorDialogOpens = 0;
    }

private:
    void Record(RelShown shown)
    {
        {
            std::lock_guard<std::mutex> guard(mutex);
            rel.push_back(std::move(shown));
        }
        changed.notify_all();
    }

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> messages;
    std::vector<RelShown> rel;
    std::vector<std::string> units;
    int sensorDialogOpens = 0;
    CZANFunction* acknowledged = nullptr;
};

}  // namespace voltora::functions::testing
