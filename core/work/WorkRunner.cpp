#include "work/WorkRunner.h"

#include "program/Logging.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QTimer>

namespace velmix {
namespace {

constexpr std::chrono::milliseconds ProgressInterval(50);

const char *workName(WorkKind kind)
{
    switch (kind) {
    case WorkKind::ReadingFolder: return "reading a folder";
    case WorkKind::Renaming: return "renaming";
    case WorkKind::Undoing: return "undoing";
    case WorkKind::ReadingTags: return "reading dates and tags";
    case WorkKind::MatchingExpression: return "matching an expression";
    }
    return "work";
}

} // namespace

WorkRunner::WorkRunner(WorkDisplay &display, std::chrono::milliseconds delay)
    : m_display(display), m_delay(delay)
{
    m_pool.setMaxThreadCount(1);
}

void WorkRunner::waitFor(WorkKind kind, WorkProgress &progress, const QFuture<void> &future,
                         std::chrono::milliseconds delay)
{
    QElapsedTimer elapsed;
    elapsed.start();
    // The calling thread's flows wait for the result, so its events are handled here
    // meanwhile; the watcher ends the loop, also when the work ended before it started.
    QEventLoop loop;
    QFutureWatcher<void> watcher;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    QTimer progressTimer;
    progressTimer.setInterval(ProgressInterval);
    QObject::connect(&progressTimer, &QTimer::timeout, &loop, [this] { m_display.showProgress(); });
    QTimer::singleShot(delay, &loop, [this, &progressTimer] {
        m_display.showProgress();
        progressTimer.start();
    });
    watcher.setFuture(future);
    loop.exec();
    m_display.workFinished();
    qCDebug(workLog, "%s took %lld ms%s", workName(kind), qlonglong(elapsed.elapsed()),
            progress.cancelled() ? ", cancelled" : "");
}

} // namespace velmix
