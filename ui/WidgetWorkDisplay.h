#pragma once

#include "LongWork.h"

#include <QObject>
#include <QPointer>

#include <initializer_list>
#include <vector>

class QWidget;

namespace velmix {

class ProgressWindow;

// The window's side of long work: from its first moment every click and key meant for
// the Velmix window is dropped (not queued for later), but for the mouse on its round
// title buttons, while painting goes on; work that outlasts the runner's delay gets a
// progress window with a cancel button.
class WidgetWorkDisplay : public QObject, public WorkDisplay
{
    Q_OBJECT

public:
    explicit WidgetWorkDisplay(QWidget *window);
    // The buttons whose clicks go through during the work: closing (which cancels the
    // work first) and minimising.
    void letThrough(std::initializer_list<const QWidget *> buttons) { m_letThrough = buttons; }

    void workStarted(WorkKind kind, WorkProgress &progress) override;
    void showProgress() override;
    void workFinished() override;

    // Asks the work under way, if any, to stop.
    void cancelWork();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    WorkKind m_kind = WorkKind::ReadingFolder;
    WorkProgress *m_progress = nullptr;
    QPointer<ProgressWindow> m_progressWindow;
    std::vector<const QWidget *> m_letThrough;
};

} // namespace velmix
