#pragma once

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace voltora::panel {

// The front panel's window messages (panel/PanelEvent.h) and relative-value
// hand-overs: queued from any thread, handled on the thread that owns the
// pump, one at a time in the order queued.
class PanelMessagePump : public QObject {
public:
    // Handles one message with its parameters and gives its answer.
    using MessageHandler = std::function<long(int message, std::uintptr_t wParam, std::intptr_t lParam)>;
    // Takes a relative state and value handed over by a worker.
    using RelValueHandler = std::function<void(const std::string& state, const std::string& value)>;

    PanelMessagePump(MessageHandler onMessage, RelValueHandler onRelValue);

    // Any thread: queues `message` (a WM_PANEL_* number; others are
    // ignored) and returns at once.
    void Post(int message);
    // The pump's thread: handles `message` before returning, with its answer
    // (0 for a number that is no window message).
    long Send(int message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    // Any thread: hands copies of the texts over and returns at once.
    void PostRelValue(const std::string& state, const std::string& value);
    // Messages posted and not yet handled.
    int PendingCount() const { return pending_.load(); }

protected:
    bool event(QEvent* event) override;

private:
    MessageHandler onMessage_;
    RelValueHandler onRelValue_;
    std::atomic<int> pending_{0};
};

}  // namespace voltora::panel
