#include "WindowResizer.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace velmix {

WindowResizer::WindowResizer(QWidget *window, std::function<QRect()> panel)
    : QObject(window)
    , m_window(window)
    , m_panel(std::move(panel))
{
    // Hover moves over the bare skin show the arrows.
    window->setMouseTracking(true);
    window->installEventFilter(this);
    for (QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->installEventFilter(this);
}

Qt::Edges WindowResizer::edgesAt(QPoint at, const QRect &panel)
{
    if (!panel.contains(at))
        return {};
    const int left = at.x() - panel.left(), right = panel.right() - at.x();
    const int top = at.y() - panel.top(), bottom = panel.bottom() - at.y();
    const int across = std::min(left, right), down = std::min(top, bottom);
    const Qt::Edges side = left <= right ? Qt::LeftEdge : Qt::RightEdge;
    const Qt::Edges end = top <= bottom ? Qt::TopEdge : Qt::BottomEdge;
    if (across < CornerGrip && down < CornerGrip && (across < Grip || down < Grip || across + down < CornerGrip))
        return side | end;
    if (across < Grip)
        return side;
    if (down < Grip)
        return end;
    return {};
}

bool WindowResizer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window) {
        // A control inherits the window's pointer: the arrows end where one begins.
        if (event->type() == QEvent::Enter && !m_resizing)
            m_window->unsetCursor();
        return false;
    }
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            child->installEventFilter(this);
        return false;
    case QEvent::MouseButtonPress:
        return pressed(static_cast<QMouseEvent *>(event));
    case QEvent::MouseMove:
        return moved(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
        if (!m_resizing)
            return false;
        m_resizing = {};
        return true;
    case QEvent::Leave:
        if (!m_resizing)
            m_window->unsetCursor();
        return false;
    default:
        return false;
    }
}

bool WindowResizer::pressed(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const Qt::Edges edges = edgesAt(at, m_panel());
    if (event->button() != Qt::LeftButton || !edges || m_window->isMaximized() || m_window->childAt(at))
        return false;
    if (m_window->windowHandle() && m_window->windowHandle()->startSystemResize(edges))
        return true;
    m_resizing = edges;
    m_startGeometry = m_window->geometry();
    m_startPointer = event->globalPosition();
    return true;
}

bool WindowResizer::moved(QMouseEvent *event)
{
    if (!m_resizing) {
        const QPoint at = event->position().toPoint();
        showArrows(m_window->isMaximized() || m_window->childAt(at) ? Qt::Edges() : edgesAt(at, m_panel()));
        return false;
    }
    const QPoint by = (event->globalPosition() - m_startPointer).toPoint();
    const QSize least = m_window->minimumSize();
    QRect shape = m_startGeometry;
    if (m_resizing & Qt::LeftEdge)
        shape.setLeft(std::min(shape.left() + by.x(), shape.right() + 1 - least.width()));
    if (m_resizing & Qt::RightEdge)
        shape.setRight(std::max(shape.right() + by.x(), shape.left() + least.width() - 1));
    if (m_resizing & Qt::TopEdge)
        shape.setTop(std::min(shape.top() + by.y(), shape.bottom() + 1 - least.height()));
    if (m_resizing & Qt::BottomEdge)
        shape.setBottom(std::max(shape.bottom() + by.y(), shape.top() + least.height() - 1));
    m_window->setGeometry(shape);
    return true;
}

void WindowResizer::showArrows(Qt::Edges edges)
{
    if (!edges) {
        m_window->unsetCursor();
        return;
    }
    const bool across = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool down = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (across && down) {
        const bool falling = edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge);
        m_window->setCursor(falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
    } else {
        m_window->setCursor(across ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    }
}

} // namespace velmix
