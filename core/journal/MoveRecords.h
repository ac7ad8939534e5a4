#pragma once

#include "journal/JournalFormat.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

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

    void moved(const QByteArray &from, const QByteArray &to);
    void found(const FoundName &found);
    // Returns once every record so far is written.
    void flush();

private:
    struct Group
    {
        QByteArray written; // records already in words
        // Each move's names as they are, each ended by a NUL (which no path holds): the
        // mover copies bytes it has just used, and touches nothing else of the names.
        QByteArray moves;
        size_t count = 0;
    };
    void handOver();
    void writeGroup(const Group &group);
    void run();

    const std::function<void(const QByteArray &)> m_write;
    Group m_held;       // the caller's alone
    QByteArray m_words; // the writing side's, its room kept from group to group

    std::mutex m_mutex; // over the queue and m_ending
    std::condition_variable m_queued;
    std::deque<Group> m_queue;
    bool m_ending = false;
    std::thread m_thread; // started with the first full group
};

} // namespace velmix
