#include "WindowOutline.h"

#include "SkinDrawing.h"

#include <cmath>

namespace velmix::WindowOutline {

namespace {

// A pixel centre that lies exactly on the curve counts as inside; the tolerance keeps
// rounding errors from deciding that.
constexpr double onCurve = 1e-9;

// Half the width of an ellipse (centre cy, half-height ry, half-width rx) at height y.
double halfWidthAt(double y, double cy, double rx, double ry)
{
    const double t = (y - cy) / ry;
    return t * t > 1.0 + onCurve ? -1.0 : rx * std::sqrt(std::max(0.0, 1.0 - t * t));
}

// Adds the pixels whose centres lie within [from, to] on row y.
void addSpan(QRegion &region, int y, double from, double to)
{
    const int first = int(std::ceil(from - 0.5 - onCurve));
    const int last = int(std::floor(to - 0.5 + onCurve));
    if (last >= first)
        region += QRect(first, y, last - first + 1, 1);
}

} // namespace

QRegion ellipse(const QRect &box)
{
    const double rx = box.width() / 2.0;
    const double ry = box.height() / 2.0;
    const double cx = box.left() + rx;
    const double cy = box.top() + ry;
    QRegion region;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const double half = halfWidthAt(y + 0.5, cy, rx, ry);
        if (half >= 0)
            addSpan(region, y, cx - half, cx + half);
    }
    return region;
}

QRegion roundedRect(const QRect &box, int cornerWidth, int cornerHeight)
{
    const double rx = cornerWidth / 2.0;
    const double ry = cornerHeight / 2.0;
    const double left = box.left();
    const double right = box.left() + box.width();
    const double top = box.top();
    const double bottom = box.top() + box.height();
    QRegion region;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const double centre = y + 0.5;
        // Rows between the corners span the whole width; the others are cut by the arcs.
        const double arcCentreY = centre < top + ry ? top + ry : centre > bottom - ry ? bottom - ry : centre;
        const double half = halfWidthAt(centre, arcCentreY, rx, ry);
        if (half >= 0)
            addSpan(region, y, left + rx - half, right - rx + half);
    }
    return region;
}

QRegion mainWindow(QSize growth)
{
    // The pixels of the shapes the skin is drawn with.
    const int right = growth.width();
    return roundedRect(SkinDrawing::Panel.toRect().adjusted(0, 0, right, growth.height()), 21, 21)
        + ellipse(SkinDrawing::MinimiseCircle.toRect().translated(right, 0))
        + ellipse(SkinDrawing::CloseCircle.toRect().translated(right, 0));
}

QRegion roundButton()
{
    return ellipse(QRect(QPoint(2, 1), QPoint(36, 35)));
}

} // namespace velmix::WindowOutline
