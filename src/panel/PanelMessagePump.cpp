#include "panel/PanelMessagePump.h"

#include "panel/PanelEvent.h"

#include <QCoreApplication>

namespace voltora::panel {

PanelMessagePump::PanelMessagePump(MessageHandler onMessage, RelValueHandler onRelValue)
    : onMessage_(std::move(onMessage)), onRelValue_(std::move(onRelValue))
{
}

void PanelMessagePump::Post(int message)
{
    if (PanelEventType(message) == QEvent::None) {
        return;
    }
    auto* event = new PanelEvent(message);
    event->SetPosted();
    ++pending_;
    QCoreApplication::postEvent(this, event);
}

long PanelMessagePump::Send(int message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (PanelEventType(message) == QEvent::None) {
        return 0;
    }
    PanelEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(this, &event);
    return event.Result();
}

void PanelMessagePump::PostRelValue(const std::string& state, const std::string& value)
{
    QCoreApplication::postEvent(this, new RelValueEvent(state, value));
}

bool PanelMessagePump::event(QEvent* event)
{
    if (event->type() == RelValueEventType()) {
        const auto* rel = static_cast<RelValueEvent*>(event);
        onRelValue_(rel->State(), rel->Value());
        return true;
    }
    if (PanelMessageOf(event->type())) {
        auto* message = static_cast<PanelEvent*>(event);
        if (message->IsPosted()) {
            --pending_;
        }
        message->SetResult(onMessage_(message->Message(), message->WParam(), message->LParam()));
        return true;
    }
    return QObject::event(event);
}

}  // namespace voltora::panel
