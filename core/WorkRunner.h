#pragma once

#include "LongWork.h"

#include <chrono>
#include <functional>

namespace velmix {

// Runs long work on a thread of its own while the calling thread keeps handling its
// events, so the window repaints and its cancel button answers. Returns when the work
// is over; its result is then swapped in on the calling thread, so the core's state is
// never touched from two threads at once. Work that outlasts `delay` is shown.
class WorkRunner
{
public:
    static constexpr std::chrono::milliseconds ShowDelay{500};

    explicit WorkRunner(WorkDisplay &display, std::chrono::milliseconds delay = ShowDelay)
        : m_display(display), m_delay(delay)
    {
    }

    // `work` must touch nothing the calling thread uses meanwhile but `progress`.
    void run(WorkKind kind, WorkProgress &progress, const std::function<void()> &work);

private:
    WorkDisplay &m_display;
    const std::chrono::milliseconds m_delay;
};

} // namespace velmix
