#include "XvfbSession.h"

// After every Qt header: Xlib's macros would clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace velmix::test {

// Read straight from the server: a tool per picture (ImageMagick's import) took seconds
// each on a loaded machine, and the tests poll the screen until the window has drawn.
QImage XvfbSession::screen() const
{
    Display *display = XOpenDisplay(m_display.toLocal8Bit().constData());
    if (!display)
        return {};
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    QImage shot;
    if (XGetWindowAttributes(display, root, &attributes)) {
        XImage *image = XGetImage(display, root, 0, 0, unsigned(attributes.width), unsigned(attributes.height), AllPlanes, ZPixmap);
        // Xvfb's 24-bit screen comes as 32-bit pixels 0x00RRGGBB in this machine's order, QImage's
        // RGB32; any other layout gives no picture, which fails the test that asked.
        if (image && image->bits_per_pixel == 32 && image->red_mask == 0xff0000 && image->green_mask == 0xff00
            && image->blue_mask == 0xff && image->byte_order == (QSysInfo::ByteOrder == QSysInfo::LittleEndian ? LSBFirst : MSBFirst)) {
            shot = QImage(image->width, image->height, QImage::Format_RGB32);
            for (int y = 0; y < image->height; ++y) {
                auto *line = reinterpret_cast<quint32 *>(shot.scanLine(y));
                std::memcpy(line, image->data + qsizetype(y) * image->bytes_per_line, size_t(image->width) * 4);
                for (int x = 0; x < image->width; ++x)
                    line[x] |= 0xff000000; // the byte X leaves unset is RGB32's opaque alpha
            }
        }
        if (image)
            XDestroyImage(image);
    }
    XCloseDisplay(display);
    return shot;
}

} // namespace velmix::test
