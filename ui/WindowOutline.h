#pragma once

#include <QRect>
#include <QRegion>
#include <QSize>

namespace velmix {

// The exact outlines of the window and of its two round title buttons, built row by row:
// a pixel belongs to a shape when its centre lies inside it (right and bottom edges are
// exclusive, each ellipse is inscribed in its box). Qt has no rounded-rectangle region,
// and polygon approximations miss the skin's rim by a pixel here and there.
namespace WindowOutline {

[[nodiscard]] QRegion ellipse(const QRect &box);
[[nodiscard]] QRegion roundedRect(const QRect &box, int cornerWidth, int cornerHeight);

// The skin's rounded panel united with the circles of the minimise and close buttons, at
// the designed size grown by `growth`; the circles stay at the right edge.
[[nodiscard]] QRegion mainWindow(QSize growth = QSize(0, 0));
// The circle of a 40 x 40 round title button.
[[nodiscard]] QRegion roundButton();

} // namespace WindowOutline
} // namespace velmix
