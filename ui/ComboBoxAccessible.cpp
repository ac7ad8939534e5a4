#include "ComboBoxAccessible.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QItemSelectionModel>

namespace velmix {

ComboBoxAccessible::ComboBoxAccessible(QComboBox *comboBox)
    : QAccessibleWidget(comboBox, QAccessible::ComboBox)
{
}

void ComboBoxAccessible::selectCurrentEntry(QComboBox *comboBox)
{
    const QModelIndex entry = comboBox->model()->index(comboBox->currentIndex(), comboBox->modelColumn());
    QItemSelectionModel *selection = comboBox->view()->selectionModel();
    if (!entry.isValid())
        selection->clear();
    else if (!selection->isSelected(entry))
        selection->select(entry, QItemSelectionModel::ClearAndSelect); // not current: that would move the focus
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

void *ComboBoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void ComboBoxAccessible::selection(int, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
}

QString ComboBoxAccessible::text(int startOffset, int endOffset) const
{
    return comboBox()->currentText().mid(startOffset, endOffset - startOffset);
}

int ComboBoxAccessible::characterCount() const
{
    return int(comboBox()->currentText().size());
}

QString ComboBoxAccessible::attributes(int, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

} // namespace velmix
