#include "WindowDragger.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace velmix {

namespace {

bool windowsCannotPlaceThemselves()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

WindowDragger::WindowDragger(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    window->installEventFilter(this);
}

bool WindowDragger::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return Form_MouseDown(static_cast<QMouseEvent *>(event));
    case QEvent::MouseMove:
        return Form_MouseMove(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
        return Form_MouseUp();
    default:
        return false;
    }
}

bool WindowDragger::Form_MouseDown(QMouseEvent *event)
{
    // Controls that ignore the press (labels, frames) pass it on to the window; they are
    // not its bare surface.
    if (m_window->childAt(event->position().toPoint()))
        return false;
    if (windowsCannotPlaceThemselves() && m_window->windowHandle()) {
        m_window->windowHandle()->startSystemMove();
        return true;
    }
    m_dragActive = true;
    m_dragAnchorX = int(std::nearbyint(event->position().x()));
    m_dragAnchorY = int(std::nearbyint(event->position().y()));
    return true;
}

bool WindowDragger::Form_MouseMove(QMouseEvent *event)
{
    if (!m_dragActive)
        return false;
    // The anchor stays: the window follows the pointer, so the grabbed point stays under it.
    const QPoint offset(int(std::nearbyint(event->position().x())) - m_dragAnchorX,
                        int(std::nearbyint(event->position().y())) - m_dragAnchorY);
    m_window->move(m_window->pos() + offset);
    return true;
}

bool WindowDragger::Form_MouseUp()
{
    const bool wasDragging = m_dragActive;
    m_dragActive = false;
    return wasDragging;
}

} // namespace velmix

