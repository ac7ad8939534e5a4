#include "WidgetMessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace velmix {

void WidgetMessageBox::showMessage(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_owner);
    box.exec();
}

bool WidgetMessageBox::ask(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, m_owner);
    QPushButton *yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace velmix
