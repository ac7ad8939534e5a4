#pragma once

#include <QObject>

class QMouseEvent;
class QWidget;

namespace velmix {

// Moves a frameless window when it is dragged by its bare surface (where no control is)
// with any mouse button; a quick second press, which arrives as a double click, drags too.
// Where the platform does not let a window place itself (Wayland), the drag is handed to
// the window system.
class WindowDragger : public QObject
{
    Q_OBJECT

public:
    explicit WindowDragger(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool Form_MouseDown(QMouseEvent *event);
    bool Form_MouseMove(QMouseEvent *event);
    bool Form_MouseUp();

    QWidget *m_window;
    bool m_dragActive = false;
    int m_dragAnchorX = 0;
    int m_dragAnchorY = 0;
};

} // namespace velmix
