#include "WidgetMessageBox.h"

#include <QMessageBox>

namespace velmix {

void WidgetMessageBox::showMessage(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_owner);
    box.exec();
}

} // namespace velmix
