#pragma once

#include <QObject>
#include <QPointF>
#include <QRect>

#include <functional>

class QMouseEvent;
class QWidget;

namespace velmix {

// Resizes a frameless window by the edges and corners of its skin's panel: near them the
// pointer shows the resize arrows, and a press hands the resize to the window system.
// Where the system cannot take it (no window manager), the window follows the pointer
// itself, never below its minimum size.
class WindowResizer : public QObject
{
    Q_OBJECT

public:
    // `panel`: the rounded panel in the window's pixels, as it is now.
    WindowResizer(QWidget *window, std::function<QRect()> panel);

    static constexpr int Grip = 5;        // pixels inside an edge that take it
    static constexpr int CornerGrip = 16; // along a rounded corner the grip is wider
    // The edges a press at `at` resizes; none away from them or outside the panel.
    [[nodiscard]] static Qt::Edges edgesAt(QPoint at, const QRect &panel);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool pressed(QMouseEvent *event);
    bool moved(QMouseEvent *event);
    void showArrows(Qt::Edges edges);

    QWidget *m_window;
    std::function<QRect()> m_panel;
    Qt::Edges m_resizing;
    QRect m_startGeometry;
    QPointF m_startPointer;
};

} // namespace velmix
