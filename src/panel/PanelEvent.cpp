#include "panel/PanelEvent.h"

#include "functions/IFrontPanel.h"

#include <array>
#include <utility>

namespace voltora::panel {
namespace {

constexpr std::array<int, 7> kMessages = {WM_PANEL_READING,  WM_PANEL_SYNC,    WM_PANEL_STOP,
                                          WM_PANEL_SENSOR,   WM_PANEL_SOFTKEYS, WM_PANEL_DISPLAY,
                                          WM_PANEL_WORKER_ENDED};

struct EventTypes {
    std::array<QEvent::Type, kMessages.size()> messages{};
    QEvent::Type relValue = QEvent::None;
};

// Registered once, on first use (thread-safe static initialisation). The
// message number is offered as the hint, so the types are QEvent::User +
// number unless another library took them first.
const EventTypes& Types()
{
    static const EventTypes types = [] {
        EventTypes t;
        for (std::size_t i = 0; i < kMessages.size(); ++i) {
            t.messages[i] = static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + kMessages[i]));
        }
        t.relValue = static_cast<QEvent::Type>(QEvent::registerEventType());
        return t;
    }();
    return types;
}

}  // namespace

QEvent::Type PanelEventType(int message)
{
    for (std::size_t i = 0; i < kMessages.size(); ++i) {
        if (kMessages[i] == message) {
            return Types().messages[i];
        }
    }
    return QEvent::None;
}

std::optional<int> PanelMessageOf(QEvent::Type type)
{
    const auto& types = Types().messages;
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i] == type) {
            return kMessages[i];
        }
    }
    return std::nullopt;
}

QEvent::Type RelValueEventType()
{
    return Types().relValue;
}

PanelEvent::PanelEvent(int message, std::uintptr_t wParam, std::intptr_t lParam)
    : QEvent(PanelEventType(message)), message_(message), wParam_(wParam), lParam_(lParam)
{
}

RelValueEvent::RelValueEvent(std::string state, std::string value)
    : QEvent(RelValueEventType()), state_(std::move(state)), value_(std::move(value))
{
}

}  // namespace voltora::panel
