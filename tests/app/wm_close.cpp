// wm-close: does what a window manager does when the user closes a window.
// It sends the WM_DELETE_WINDOW client message to every top-level window on
// the display (the children of the root window that carry a name), or lists
// them. Used by the close stress test, which runs the program alone on a
// virtual X server of its own, so every top-level window there is the
// program's.
//
//   wm-close list    one line per top-level window: id, mapped or unmapped,
//                    whether it takes WM_DELETE_WINDOW, its name
//   wm-close close   sends WM_DELETE_WINDOW to each, prints the count
//   wm-close close NAME   the same, to the mapped windows named NAME (or
//                    "NAME - ...") only
//                    (what a window manager's close button does)
//
// Exit code 0 on success, 1 when the display cannot be opened, 2 on bad use.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A window that goes away while it is looked at (the program is ending)
// makes its requests fail with BadWindow: it is then left out instead of
// ending this program.
int IgnoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

struct TopLevel {
    Window id = 0;
    std::string name;
    bool mapped = false;
    bool takesDelete = false;
};

std::string WindowName(Display* display, Window window)
{
    XTextProperty property{};
    std::string name;
    if (XGetWMName(display, window, &property) != 0 && property.value != nullptr) {
        name.assign(reinterpret_cast<const char*>(property.value), property.nitems);
        XFree(property.value);
    }
    return name;
}

bool TakesDelete(Display* display, Window window, Atom deleteWindow)
{
    Atom* protocols = nullptr;
    int count = 0;
    bool found = false;
    if (XGetWMProtocols(display, window, &protocols, &count) != 0) {
        for (int i = 0; i < count; ++i) {
            found = found || protocols[i] == deleteWindow;
        }
        XFree(protocols);
    }
    return found;
}

std::vector<TopLevel> TopLevels(Display* display, Atom deleteWindow)
{
    std::vector<TopLevel> result;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return result;
    }
    for (unsigned i = 0; i < count; ++i) {
        TopLevel window;
        window.id = children[i];
        window.name = WindowName(display, children[i]);
        if (window.name.empty()) {
            continue;
        }
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) != 0) {
            window.mapped = attributes.map_state == IsViewable;
        }
        window.takesDelete = TakesDelete(display, children[i], deleteWindow);
        result.push_back(window);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return result;
}

void SendDelete(Display* display, Window window, Atom protocols, Atom deleteWindow)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
}

}  // namespace

int main(int argc, char** argv)
{
    const bool list = argc == 2 && std::strcmp(argv[1], "list") == 0;
    const bool close = (argc == 2 || argc == 3) && std::strcmp(argv[1], "close") == 0;
    if (!list && !close) {
        std::fprintf(stderr, "usage: wm-close list | close [NAME]\n");
        return 2;
    }
    const char* onlyName = argc == 3 ? argv[2] : nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "wm-close: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreErrors);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    // The windows cannot change under us while the server is grabbed.
    XGrabServer(display);
    std::vector<TopLevel> windows = TopLevels(display, deleteWindow);
    if (onlyName != nullptr) {
        // The main window's title may carry the resource after its name
        // ("Voltora - TCPIP0::...").
        const std::string name = onlyName;
        std::erase_if(windows, [&name](const TopLevel& window) {
            const bool named = window.name == name || window.name.rfind(name + " - ", 0) == 0;
            return !window.mapped || !named;
        });
    }
    for (const TopLevel& window : windows) {
        if (close) {
            SendDelete(display, window.id, protocols, deleteWindow);
        } else {
            std::printf("0x%lx %s %s %s\n", window.id, window.mapped ? "mapped" : "unmapped",
                        window.takesDelete ? "delete" : "no-delete", window.name.c_str());
        }
    }
    XUngrabServer(display);
    XSync(display, False);
    if (close) {
        std::printf("%zu\n", windows.size());
    }
    XCloseDisplay(display);
    return 0;
}
