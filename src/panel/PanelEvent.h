#pragma once

#include <QEvent>

#include <cstdint>
#include <optional>
#include <string>

// The front panel's window messages as Qt events. Each WM_PANEL_* number has
// an event type of its own, registered with Qt once; workers post them
// (QCoreApplication::postEvent is safe from any thread) and the desktop
// program's windows send them (handled before the send returns).
namespace voltora::panel {

// The event type of window message `message` (one of the WM_PANEL_* numbers);
// QEvent::None for any other number.
QEvent::Type PanelEventType(int message);
// The WM_PANEL_* number of an event type; std::nullopt for other types.
std::optional<int> PanelMessageOf(QEvent::Type type);
// The event type that carries a relative state and value from a worker.
QEvent::Type RelValueEventType();

// One window message with its two parameters (0 unless the message says).
class PanelEvent : public QEvent {
public:
    PanelEvent(int message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    int Message() const { return message_; }
    std::uintptr_t WParam() const { return wParam_; }
    std::intptr_t LParam() const { return lParam_; }

    // Queued with postEvent (as opposed to sent).
    bool IsPosted() const { return posted_; }
    void SetPosted() { posted_ = true; }

    // The answer of the handler (0 unless it says otherwise).
    long Result() const { return result_; }
    void SetResult(long result) { result_ = result; }

private:
    int message_;
    std::uintptr_t wParam_;
    std::intptr_t lParam_;
    long result_ = 0;
    bool posted_ = false;
};

// A relative (null) state and value handed over by a worker.
class RelValueEvent : public QEvent {
public:
    RelValueEvent(std::string state, std::string value);

    const std::string& State() const { return state_; }
    const std::string& Value() const { return value_; }

private:
    std::string state_;
    std::string value_;
};

// The low and high 16 bits of a message parameter, and the parameter made of them.
inline int LowWord(std::uintptr_t value) { return static_cast<int>(value & 0xFFFFu); }
inline int HighWord(std::uintptr_t value) { return static_cast<int>((value >> 16) & 0xFFFFu); }
inline std::uintptr_t MakeWParam(int low, int high)
{
    return (static_cast<std::uintptr_t>(high & 0xFFFF) << 16) | static_cast<std::uintptr_t>(low & 0xFFFF);
}

}  // namespace voltora::panel
