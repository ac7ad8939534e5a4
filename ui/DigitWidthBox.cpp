#include "DigitWidthBox.h"

#include <QMouseEvent>

namespace velmix {

DigitWidthBox::DigitWidthBox(QWidget *parent)
    : QComboBox(parent)
{
}

void DigitWidthBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT doubleClicked();
}

} // namespace velmix
