#pragma once

#include <QtGlobal>

#include <atomic>

namespace velmix {

// MatchingExpression: the find rule's expression over every name of a rebuild.
enum class WorkKind { ReadingFolder, Renaming, Undoing, ReadingTags, MatchingExpression };

// What a long piece of work shares with the thread waiting for it: how far it got, and
// whether the user asked it to stop. The worker writes, the window's thread reads.
class WorkProgress
{
public:
    // Work that must run to its end (a re-read that has to show what is on disk) ignores
    // a cancel.
    explicit WorkProgress(bool cancellable = true)
        : m_cancellable(cancellable)
    {
    }

    // 0 where the amount is not known in advance, as for a folder being read.
    void setTotal(qsizetype total) { m_total.store(total, std::memory_order_relaxed); }
    [[nodiscard]] qsizetype total() const { return m_total.load(std::memory_order_relaxed); }
    void advance(qsizetype by = 1) { m_done.fetch_add(by, std::memory_order_relaxed); }
    [[nodiscard]] qsizetype done() const { return m_done.load(std::memory_order_relaxed); }
    [[nodiscard]] bool cancellable() const { return m_cancellable; }
    void cancel()
    {
        if (m_cancellable)
            m_cancelled.store(true, std::memory_order_relaxed);
    }
    [[nodiscard]] bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

private:
    const bool m_cancellable;
    std::atomic<qsizetype> m_total{0};
    std::atomic<qsizetype> m_done{0};
    std::atomic<bool> m_cancelled{false};
};

// The window's side of long work, called on the window's thread.
class WorkDisplay
{
public:
    virtual ~WorkDisplay() = default;
    // From the first moment of the work the window takes no clicks or keys.
    virtual void workStarted(WorkKind kind, WorkProgress &progress) = 0;
    // The work outlasted the delay: show or update its progress; called again regularly.
    virtual void showProgress() = 0;
    virtual void workFinished() = 0;
};

} // namespace velmix
