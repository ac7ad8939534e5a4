#include "WidgetBusyPointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace velmix {

void WidgetBusyPointer::showBusy()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void WidgetBusyPointer::restore()
{
    QGuiApplication::restoreOverrideCursor();
}

} // namespace velmix
