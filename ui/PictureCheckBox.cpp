#include "PictureCheckBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace velmix {

PictureCheckBox::PictureCheckBox(QWidget *parent)
    : QCheckBox(parent)
{
    // Before it gets a picture the box shows the window background colour.
    setAutoFillBackground(true);
}

void PictureCheckBox::setPictures(const QPixmap &checked, const QPixmap &unchecked)
{
    m_checked = checked;
    m_unchecked = unchecked;
    update();
}

void PictureCheckBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPixmap &picture = isChecked() ? m_checked : m_unchecked;
    if (!picture.isNull())
        painter.drawPixmap(rect(), picture);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

bool PictureCheckBox::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void PictureCheckBox::nextCheckState()
{
    // The core decides; the box shows its answer after the click.
}

void PictureCheckBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Qt would treat the second press as a new press and so a second click.
    event->accept();
}

} // namespace velmix
