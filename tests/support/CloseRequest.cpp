#include "XvfbSession.h"

// After every Qt header: Xlib's macros would clash with Qt's names.
#include <X11/Xlib.h>

namespace velmix::test {

bool XvfbSession::requestClose(const QString &window, CloseBy by) const
{
    Display *display = XOpenDisplay(m_display.toLocal8Bit().constData());
    if (!display)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window.toULong();
    event.xclient.format = 32;
    bool sent = false;
    if (by == CloseBy::Message) {
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event) != 0;
    } else {
        event.xclient.message_type = XInternAtom(display, "_NET_CLOSE_WINDOW", False);
        event.xclient.data.l[0] = CurrentTime;
        event.xclient.data.l[1] = 2; // from a pager or a tool, as wmctrl says
        sent = XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                          &event) != 0;
    }
    XCloseDisplay(display);
    return sent;
}

bool XvfbSession::hasWindowManager() const
{
    Display *display = XOpenDisplay(m_display.toLocal8Bit().constData());
    if (!display)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char *value = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0, 1,
                       False, AnyPropertyType, &type, &format, &items, &after, &value);
    if (value)
        XFree(value);
    XCloseDisplay(display);
    return items == 1;
}

} // namespace velmix::test
