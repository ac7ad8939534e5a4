#include "RoundTitleButton.h"

#include <QPainter>

namespace velmix {

RoundTitleButton::RoundTitleButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setAutoFillBackground(true);
}

void RoundTitleButton::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void RoundTitleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_picture.isNull())
        painter.drawPixmap(rect(), m_picture);
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawEllipse(QRectF(7.5, 6.5, 24, 24));
    }
}

} // namespace velmix
