#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QRectF>
#include <QSize>

class QPainter;

// The window's skin drawn with paths, for its designed size and any larger one: the skin
// pictures are drawn from here too (assets/drawskin), so a grown window looks as the
// designed one does. QtGui alone, so the picture drawer can share it.
namespace velmix::SkinDrawing {

inline const QColor cream(255, 243, 195);
inline const QColor red(200, 0, 0);
inline const QColor ringRed(165, 0, 0);

// The size of the background picture at the designed size; a grown window's is larger by
// the growth.
inline constexpr QSize BackgroundSize(570, 580);
// The rounded panel the window is masked to, and its corners' radius.
inline constexpr QRectF Panel(5, 24, 555, 555);
inline constexpr qreal PanelCornerRadius = 10.5;
// The round title buttons' circles, at the designed size.
inline constexpr QRectF MinimiseCircle(481, 12, 34, 33);
inline constexpr QRectF CloseCircle(515, 12, 33, 34);

// The red faces' gradient, top to bottom of `area`.
[[nodiscard]] QLinearGradient faceGradient(const QRectF &area);
// A red round button's face and ring, the ring drawn inside the bounds.
void drawRoundButtonFace(QPainter &painter, const QRectF &bounds);
// The cream panel in its red rim, with the two title buttons' circles, at the designed
// size grown by `growth` (the title buttons stay at the right edge). Antialiased.
void drawBackground(QPainter &painter, QSize growth = QSize(0, 0));

} // namespace velmix::SkinDrawing
