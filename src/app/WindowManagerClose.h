#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace voltora::app {

// Sees the window manager's close request for one window even while a modal
// dialog blocks that window.
//
// Qt drops a close request (WM_DELETE_WINDOW) for a window that it considers
// blocked by a modal window: no close event reaches the widget. The main
// window is blocked whenever one of the program's modal dialogs runs (the
// save file dialog, a message box, the acquisition dialogs, About), so a
// user who closes the main window then would see nothing happen, and the
// close sequence would never run. This filter looks at the X11 client
// messages before Qt does and, when the request is for the watched window
// and the window is blocked, calls `onBlockedClose` at once (on the
// user-interface thread, inside Qt's handling of window-system events) and
// takes the request. Requests for a window that is not blocked are left to
// Qt's own handling.
//
// On other platforms than X11 the filter does nothing.
class WindowManagerClose : public QAbstractNativeEventFilter {
public:
    WindowManagerClose(QWidget* window, std::function<void()> onBlockedClose);
    ~WindowManagerClose() override;
    WindowManagerClose(const WindowManagerClose&) = delete;
    WindowManagerClose& operator=(const WindowManagerClose&) = delete;

    // Whether it watches the window system's messages (an X11 display).
    bool Active() const { return active_; }

    // Whether `window` is blocked by a modal widget: one is active and it is
    // not `window` itself.
    static bool IsBlocked(const QWidget* window);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QPointer<QWidget> window_;
    std::function<void()> onBlockedClose;
    std::uint32_t protocolsAtom_ = 0;
    std::uint32_t deleteWindowAtom_ = 0;
    bool active_ = false;
};

}  // namespace voltora::app
