#pragma once

#include "LongWork.h"

#include <QElapsedTimer>
#include <QRect>
#include <QSize>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace velmix {

// The small window over the Velmix window while long work runs: what is being done, a
// bar, how far it got, and "Отмена" (also Esc), which asks the work to stop.
// Not a QProgressDialog: that takes the skin's colours and font, but lays out its own
// parts (here the cancel button sits where the skin puts it), times its own showing and
// hides itself on a cancel, which the work runner and the work's end decide here.
class ProgressWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize Size{300, 112};
    static constexpr QRect CancelPlace{204, 78, 84, 24};

    ProgressWindow(WorkKind kind, WorkProgress &progress, QWidget *over);

    // Shows how far the work got, a few times a second at most.
    void showCount();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // Closing it in any way the desktop offers is "Отмена"; it stays until the work is over.
    void closeEvent(QCloseEvent *event) override;

private:
    void cancel();

    WorkProgress &m_progress;
    QLabel *m_count;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    QElapsedTimer m_shown;
};

} // namespace velmix
