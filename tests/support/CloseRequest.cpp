#include "XvfbSession.h"

// After every Qt header: Xlib's macros would clash with Qt's names.
#include <X11/Xlib.h>

namespace velmix::test {

bool XvfbSession::requestClose(const QString &window) const
{
    Display *display = XOpenDisplay(m_display.toLocal8Bit().constData());
    if (!display)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window.toULong();
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event) != 0;
    XCloseDisplay(display);
    return sent;
}

} // namespace velmix::test
