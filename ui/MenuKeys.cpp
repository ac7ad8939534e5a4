#include "MenuKeys.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QWidget>

namespace velmix::MenuKeys {
namespace {

const char *const FilterName = "velmix-menu-keys";

class ShiftF10 : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<const QKeyEvent *>(event);
        if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::ShiftModifier)
            return false;
        // Where the key is delivered first, not again on its way up to the parents; an
        // open menu takes its keys itself.
        QWidget *target = QApplication::focusWidget();
        if (!target || watched != target || QApplication::activePopupWidget())
            return false;
        // As the Menu key's event: at the caret or the current cell, without modifiers.
        const QPoint at = target->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at), Qt::NoModifier);
        QApplication::sendEvent(target, &menu);
        return true;
    }
};

} // namespace

void install()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (application->findChild<QObject *>(QLatin1String(FilterName), Qt::FindDirectChildrenOnly))
        return;
    auto *filter = new ShiftF10(application);
    filter->setObjectName(QLatin1String(FilterName));
    application->installEventFilter(filter);
}

} // namespace velmix::MenuKeys
