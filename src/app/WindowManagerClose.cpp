#include "app/WindowManagerClose.h"

#include <QApplication>
#include <QByteArray>

#if VOLTORA_HAVE_XCB
#include <QGuiApplication>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace voltora::app {

#if VOLTORA_HAVE_XCB
namespace {

std::uint32_t InternAtom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr) {
        return 0;
    }
    const std::uint32_t atom = reply->atom;
    std::free(reply);
    return atom;
}

}  // namespace
#endif

WindowManagerClose::WindowManagerClose(QWidget* closed, std::function<void()> blockedClose)
    : window_(closed), onBlockedClose(std::move(blockedClose))
{
#if VOLTORA_HAVE_XCB
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) {
        return;
    }
    protocolsAtom_ = InternAtom(x11->connection(), "WM_PROTOCOLS");
    deleteWindowAtom_ = InternAtom(x11->connection(), "WM_DELETE_WINDOW");
    active_ = protocolsAtom_ != 0 && deleteWindowAtom_ != 0;
    if (active_) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
#endif
}

WindowManagerClose::~WindowManagerClose()
{
    if (active_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool WindowManagerClose::IsBlocked(const QWidget* window)
{
    const QWidget* modal = QApplication::activeModalWidget();
    return window != nullptr && modal != nullptr && modal != window;
}

bool WindowManagerClose::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/)
{
#if VOLTORA_HAVE_XCB
    if (!active_ || window_ == nullptr || eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) {
        return false;
    }
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->format != 32 || client->type != protocolsAtom_ ||
        client->data.data32[0] != deleteWindowAtom_) {
        return false;
    }
    // winId() would create a native window; only a window that has one can
    // be the target.
    if (!window_->testAttribute(Qt::WA_WState_Created) ||
        client->window != window_->effectiveWinId()) {
        return false;
    }
    if (!IsBlocked(window_)) {
        // Qt closes a window that is not blocked.
        return false;
    }
    // At once, not queued: the event loop may be held up next (a dialog
    // that is ending joins its helper threads), and the close must not wait.
    onBlockedClose();
    return true;
#else
    (void)eventType;
    (void)message;
#endif
    return false;
}

}  // namespace voltora::app
