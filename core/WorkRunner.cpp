#include "WorkRunner.h"

#include <QEventLoop>
#include <QTimer>

#include <exception>
#include <thread>

namespace velmix {
namespace {

constexpr std::chrono::milliseconds ProgressInterval(50);

} // namespace

void WorkRunner::run(WorkKind kind, WorkProgress &progress, const std::function<void()> &work)
{
    m_display.workStarted(kind, progress);
    QEventLoop loop;
    QTimer progressTimer;
    progressTimer.setInterval(ProgressInterval);
    QObject::connect(&progressTimer, &QTimer::timeout, &loop, [this] { m_display.showProgress(); });
    QTimer::singleShot(m_delay, &loop, [this, &progressTimer] {
        m_display.showProgress();
        progressTimer.start();
    });
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued, so it also ends a loop that has not started yet.
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    m_display.workFinished();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace velmix
