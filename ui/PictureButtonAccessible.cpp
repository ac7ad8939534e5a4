#include "PictureButtonAccessible.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>

namespace velmix {

PictureButtonAccessible::PictureButtonAccessible(QAbstractButton *button)
    : QAccessibleWidget(button, qobject_cast<QCheckBox *>(button) ? QAccessible::CheckBox : QAccessible::Button)
{
}

QAbstractButton *PictureButtonAccessible::button() const
{
    return static_cast<QAbstractButton *>(widget());
}

QString PictureButtonAccessible::clickAction() const
{
    return button()->isCheckable() ? QAccessibleActionInterface::toggleAction()
                                   : QAccessibleActionInterface::pressAction();
}

QAccessible::State PictureButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.pressed = button()->isDown();
    if (button()->isCheckable()) {
        state.checkable = true;
        state.checked = button()->isChecked();
    }
    return state;
}

QString PictureButtonAccessible::text(QAccessible::Text kind) const
{
    if (kind != QAccessible::Description)
        return QAccessibleWidget::text(kind);
    if (!widget()->accessibleDescription().isEmpty())
        return widget()->accessibleDescription();
    const QString tip = widget()->toolTip();
    return tip == text(QAccessible::Name) ? QString() : tip;
}

QStringList PictureButtonAccessible::actionNames() const
{
    return QStringList{clickAction()} + QAccessibleWidget::actionNames();
}

void PictureButtonAccessible::doAction(const QString &actionName)
{
    if (actionName != clickAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    // Under a modal box the control is out of reach, as it is for the mouse.
    const QWidget *modal = QApplication::activeModalWidget();
    if (!button()->isEnabled() || (modal && modal != widget()->window()))
        return;
    // Posted, so the screen reader gets its answer before the click's work starts, and
    // delivered as keys, so long work drops it like any other key.
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        QCoreApplication::postEvent(button(), new QKeyEvent(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")));
}

} // namespace velmix
