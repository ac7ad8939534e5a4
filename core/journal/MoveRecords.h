#pragma once

#include "journal/JournalFormat.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace velmix {

// The records of a batch's moves, written in groups on a thread of their own: the moves
// of a large batch go on while the records of those before are put in words and written.
// The records are not synced one by one (the repair looks at the disk for moves a crash
// kept from being written), so only their order matters, and it is kept.
class MoveRecords
{
public:
    // `write` appends a group's records to the journal; it is called on the records'
    // thread, or on the caller's where no thread is to be had.
    explicit MoveRecords(std::function<void(const QByteArray &)> write) : m_write(std::move(write)) {}
    ~MoveRecords() { flush(); }
    MoveRecords(const MoveRecords &) = delete;
    MoveRecords &operator=(const MoveRecords &) = delete;

    // The plan's rows as the journal numbers them (NotInJournal where it does not): a kept
    // move of a row from its planned name to its new one is then written as the row's
    // number, a run of rows in one record. Given before the first move, or never.
    struct PlannedRows
    {
        const QByteArray *sources = nullptr; // per plan row, where the kept moves point
        const QByteArray *targets = nullptr;
        std::vector<quint32> journalRows; // per plan row
    };
    static constexpr quint32 NotInJournal = ~quint32(0);
    void numberRows(PlannedRows rows) { m_planned = std::move(rows); }

    void moved(const QByteArray &from, const QByteArray &to);
    // The same for names that stay as they are, where they are, until flush() returns:
    // they are kept by address and read on the records' thread.
    void movedKept(const QByteArray &from, const QByteArray &to);
    void found(const FoundName &found);
    // Returns once every record so far is written.
    void flush();

private:
    struct Group
    {
        QByteArray written; // records already in words
        // The moves in order: a kept move's names by address, another's as null, its names
        // copied into `copies`, each ended by a NUL (which no path holds).
        std::vector<std::pair<const QByteArray *, const QByteArray *>> moves;
        QByteArray copies;
    };
    void added();
    void handOver();
    void writeGroup(const Group &group);
    // The journal's row of a kept move under its row's planned names; nothing otherwise.
    [[nodiscard]] std::optional<size_t> journalRowOf(const QByteArray *from, const QByteArray *to) const;
    void run();

    const std::function<void(const QByteArray &)> m_write;
    PlannedRows m_planned;
    Group m_held;       // the caller's alone
    QByteArray m_words; // the writing side's, its room kept from group to group

    std::mutex m_mutex; // over the queue and m_ending
    std::condition_variable m_queued;
    std::deque<Group> m_queue;
    bool m_ending = false;
    std::thread m_thread; // started with the first full group
};

} // namespace velmix
