#include "PictureButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace velmix {

PictureButton::PictureButton(QWidget *parent)
    : QAbstractButton(parent)
{
    // Reached with Tab, not taken by a mouse press, so a click does not pull the caret
    // out of the text box the user is working in.
    setFocusPolicy(Qt::TabFocus);
}

void PictureButton::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    resize(naturalSize());
}

QSize PictureButton::naturalSize() const
{
    return m_picture.deviceIndependentSize().toSize();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!isEnabled())
        painter.setOpacity(DisabledOpacity); // faded into the cream behind
    painter.drawPixmap(rect(), m_picture);
    if (hasFocus()) {
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(4, 4, -5, -5));
    }
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    resize(width() - PressedShrink, height() - PressedShrink);
    if (event->button() == Qt::LeftButton)
        QAbstractButton::mousePressEvent(event);
    // Every button's press belongs to the button; none starts a window drag.
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    resize(naturalSize());
    if (event->button() == Qt::LeftButton)
        QAbstractButton::mouseReleaseEvent(event);
    event->accept();
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

} // namespace velmix
