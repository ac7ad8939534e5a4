#include "SkinDrawing.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

namespace velmix::SkinDrawing {

QLinearGradient faceGradient(const QRectF &area)
{
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0, QColor(226, 34, 30));
    gradient.setColorAt(1, QColor(188, 0, 0));
    return gradient;
}

void drawRoundButtonFace(QPainter &painter, const QRectF &bounds)
{
    constexpr qreal ringWidth = 1.5;
    const QRectF ring = bounds.adjusted(ringWidth / 2, ringWidth / 2, -ringWidth / 2, -ringWidth / 2);
    painter.setPen(QPen(ringRed, ringWidth));
    painter.setBrush(faceGradient(bounds));
    painter.drawEllipse(ring);
}

void drawBackground(QPainter &painter, QSize growth)
{
    constexpr qreal rimWidth = 3;
    // The rim bleeds a pixel past the outline, so the hard-edged mask never cuts into a
    // half-blended pixel and the window edge stays cleanly red.
    constexpr qreal bleed = 1;
    const QRectF panel = Panel.adjusted(0, 0, growth.width(), growth.height());
    const QPointF right(growth.width(), 0);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(QPointF(0, 0), BackgroundSize + growth), cream);

    QPainterPath outline;
    outline.addRoundedRect(panel, PanelCornerRadius, PanelCornerRadius);
    outline.addEllipse(MinimiseCircle.translated(right));
    outline.addEllipse(CloseCircle.translated(right));
    outline = outline.simplified();
    QPainterPathStroker widen;
    widen.setWidth(2 * bleed);
    widen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(Qt::NoPen);
    painter.setBrush(red);
    painter.drawPath(outline.united(widen.createStroke(outline)));

    const qreal innerRadius = PanelCornerRadius - rimWidth;
    painter.setBrush(cream);
    painter.drawRoundedRect(panel.adjusted(rimWidth, rimWidth, -rimWidth, -rimWidth), innerRadius, innerRadius);

    drawRoundButtonFace(painter, MinimiseCircle.translated(right));
    drawRoundButtonFace(painter, CloseCircle.translated(right));
    painter.restore();
}

} // namespace velmix::SkinDrawing
