#pragma once

#include "LongWork.h"
#include "work/VectorRegisters.h"

#include <QFuture>
#include <QPromise>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <type_traits>

namespace velmix {

// Runs long work on a pool thread of its own while the calling thread keeps handling its
// events, so the window repaints and its cancel button answers. Returns the work's result
// once it is over, on the calling thread, so the core's state is never touched from two
// threads at once; an exception the work throws is thrown here. Work that outlasts `delay`
// is shown.
class WorkRunner
{
public:
    static constexpr std::chrono::milliseconds ShowDelay{500};

    explicit WorkRunner(WorkDisplay &display, std::chrono::milliseconds delay = ShowDelay);

    // `work` holds its inputs by value; `progress` is all it shares with the caller.
    // Calls the display's workStarted first and its workFinished before it returns.
    template<typename Work>
    std::invoke_result_t<Work> run(WorkKind kind, WorkProgress &progress, Work work)
    {
        return run(kind, progress, std::chrono::milliseconds(0), std::move(work));
    }

    // Work that is nearly always over at once, as a rebuild of the names on a key release:
    // for its first `quiet` the calling thread waits without handling its events, so keys
    // typed meanwhile wait their turn instead of being dropped, and work over by then is
    // never shown. Only work that outlasts it is long work, told to the display. The
    // work may read the caller's state by reference: nothing the caller's events can
    // reach changes it meanwhile, as the display takes no input.
    template<typename Work>
    std::invoke_result_t<Work> run(WorkKind kind, WorkProgress &progress, std::chrono::milliseconds quiet, Work work)
    {
        using Result = std::invoke_result_t<Work>;
        // Shared, as the pool's task must be copyable and a promise is not.
        auto promise = std::make_shared<QPromise<Result>>();
        auto over = std::make_shared<QSemaphore>();
        QFuture<Result> future = promise->future();
        promise->start();
        if (quiet.count() == 0)
            m_display.workStarted(kind, progress); // before the work can see a cancel
        m_pool.start([promise, over, work = std::move(work)]() mutable {
            clearUpperVectorHalves(); // the thread may have been started while they were in use
            try {
                if constexpr (std::is_void_v<Result>)
                    work();
                else
                    promise->addResult(work());
            } catch (...) {
                promise->setException(std::current_exception());
            }
            promise->finish();
            over->release();
        });
        if (quiet.count() == 0 || !over->tryAcquire(1, int(quiet.count()))) {
            if (quiet.count() != 0)
                m_display.workStarted(kind, progress);
            waitFor(kind, progress, QFuture<void>(future), std::max(m_delay - quiet, std::chrono::milliseconds(0)));
        }
        if constexpr (std::is_void_v<Result>)
            future.waitForFinished(); // throws the work's exception
        else
            return future.takeResult();
    }

private:
    // Handles the calling thread's events until the work is over.
    void waitFor(WorkKind kind, WorkProgress &progress, const QFuture<void> &future, std::chrono::milliseconds delay);

    WorkDisplay &m_display;
    const std::chrono::milliseconds m_delay;
    QThreadPool m_pool;
};

} // namespace velmix
