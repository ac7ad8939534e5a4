#include "ComboBoxAccessible.h"

#include <QAbstractItemView>
#include <QComboBox>

namespace velmix {

namespace {

QAccessibleInterface *comboBoxFactory(const QString &className, QObject *object)
{
    auto *comboBox = qobject_cast<QComboBox *>(object);
    return className == QLatin1String("QComboBox") && comboBox ? new ComboBoxAccessible(comboBox) : nullptr;
}

} // namespace

ComboBoxAccessible::ComboBoxAccessible(QComboBox *comboBox)
    : QAccessibleWidget(comboBox, QAccessible::ComboBox)
{
}

void ComboBoxAccessible::install()
{
    QAccessible::installFactory(comboBoxFactory);
}

QComboBox *ComboBoxAccessible::comboBox() const
{
    return static_cast<QComboBox *>(widget());
}

QString ComboBoxAccessible::text(QAccessible::Text kind) const
{
    return kind == QAccessible::Value ? comboBox()->currentText() : QAccessibleWidget::text(kind);
}

// The one child is the pop-up list of entries.
int ComboBoxAccessible::childCount() const
{
    return 1;
}

QAccessibleInterface *ComboBoxAccessible::child(int index) const
{
    return index == 0 ? QAccessible::queryAccessibleInterface(comboBox()->view()) : nullptr;
}

int ComboBoxAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child && child->object() == comboBox()->view() ? 0 : -1;
}

QStringList ComboBoxAccessible::actionNames() const
{
    return QStringList{QAccessibleActionInterface::showMenuAction(), QAccessibleActionInterface::pressAction()}
           + QAccessibleWidget::actionNames();
}

void ComboBoxAccessible::doAction(const QString &actionName)
{
    if (actionName == QAccessibleActionInterface::showMenuAction()
        || actionName == QAccessibleActionInterface::pressAction()) {
        if (comboBox()->view()->isVisible())
            comboBox()->hidePopup();
        else
            comboBox()->showPopup();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

} // namespace velmix
