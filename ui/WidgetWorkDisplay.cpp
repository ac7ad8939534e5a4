#include "WidgetWorkDisplay.h"

#include "ProgressWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace velmix {
namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// The widget an event is for: the receiver, or the widget owning it (as for a shortcut).
const QWidget *widgetOf(const QObject *receiver)
{
    for (; receiver; receiver = receiver->parent()) {
        if (receiver->isWidgetType())
            return static_cast<const QWidget *>(receiver);
    }
    return nullptr;
}

} // namespace

WidgetWorkDisplay::WidgetWorkDisplay(QWidget *window)
    : m_window(window)
{
}

void WidgetWorkDisplay::workStarted(WorkKind kind, WorkProgress &progress)
{
    m_kind = kind;
    m_progress = &progress;
    QCoreApplication::instance()->installEventFilter(this);
}

void WidgetWorkDisplay::showProgress()
{
    if (!m_progress)
        return;
    if (!m_progressWindow) {
        m_progressWindow = new ProgressWindow(m_kind, *m_progress, m_window);
        m_progressWindow->show();
        m_progressWindow->activateWindow();
    }
    m_progressWindow->showCount();
}

void WidgetWorkDisplay::workFinished()
{
    QCoreApplication::instance()->removeEventFilter(this);
    delete m_progressWindow;
    m_progress = nullptr;
}

void WidgetWorkDisplay::cancelWork()
{
    if (m_progress)
        m_progress->cancel();
}

bool WidgetWorkDisplay::eventFilter(QObject *watched, QEvent *event)
{
    if (!isUserInput(event->type()))
        return false;
    const QWidget *widget = widgetOf(watched);
    const bool mouse = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease
                       || event->type() == QEvent::MouseMove;
    if (mouse && std::find(m_letThrough.cbegin(), m_letThrough.cend(), widget) != m_letThrough.cend())
        return false;
    return widget && !(m_progressWindow && widget->window() == m_progressWindow);
}

} // namespace velmix
