#pragma once

#include "FileIdentity.h"
#include "apply/JournaledBatch.h"
#include "apply/RenameExecutor.h"
#include "apply/RenamePlanner.h"
#include "journal/RenameJournal.h"
#include "work/AsyncTask.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <stop_token>
#include <vector>

namespace velmix {

// Writes the whole batch's names in the journal, then looks at the files and writes their
// identities a part at a time, on a thread of its own, ahead of the moves: a move waits
// only until its part is on disk, so a large batch starts moving after its first few
// hundred files are looked at instead of after all of them, and a repair always knows
// every move of the batch. A part never ends inside a cycle. Each part is synced on a
// second thread while the next one is looked up: a sync waits on the disk, which may take
// longer than the moves of the part before.
class PlanAhead : public MoveGate
{
public:
    // `writer` receives the journal once it is made (a new one, or the interrupted one the
    // batch resumes); without `journal` the files are only looked at.
    PlanAhead(const JournaledBatch &batch, FileIdentities &identities, RenameJournal *journal,
              std::unique_ptr<JournalWriter> &writer);

    void planned(const RenamePlan &plan) override;
    size_t reaching(size_t index) override;
    void movesEnded() override;
    // Once the moves are done: per row, what each file moved was before its move; and
    // the error that kept the journal from being begun, or 0.
    [[nodiscard]] std::vector<std::optional<FileIdentity>> finish(int &journalError);

private:
    void run(const std::stop_token &stop);
    void openJournal();
    // Looks the part's files up and writes the part; its files' identities by row.
    // `syncLater`: another thread syncs it (partWritten).
    [[nodiscard]] std::vector<std::pair<qsizetype, FileIdentity>> writePart(size_t from, size_t to, bool syncLater);
    void keep(const std::vector<std::pair<qsizetype, FileIdentity>> &seen);
    void release(size_t moves);
    // The part up to move `moves` is written; it is released once synced.
    void partWritten(size_t moves);
    // The syncing thread: returns once a stop is asked and every part written is synced.
    void syncWrittenParts(const std::stop_token &stop);

    const JournaledBatch &m_batch;
    FileIdentities &m_identities;
    RenameJournal *const m_journal;
    std::unique_ptr<JournalWriter> &m_writer;
    int m_journalError = 0;

    // Read by this thread until the moves end; they change only its failures meanwhile.
    const RenamePlan *m_plan = nullptr;
    size_t m_rows = 0;
    std::vector<std::optional<FileIdentity>> m_seen;
    QByteArray m_wholeBatch; // the journal's names, not yet written
    size_t m_journalRows = 0; // the journal's rows whose part is written

    std::atomic<size_t> m_released{0}; // the moves that may be made
    std::mutex m_mutex;
    std::condition_variable m_releasedMore;
    // Under m_mutex: the parts written and the moves they reach.
    size_t m_partsWritten = 0;
    size_t m_writtenMoves = 0;
    std::condition_variable_any m_writtenMore;
    // Last, so that it is stopped and waited for before anything it uses goes.
    std::optional<AsyncTask<void>> m_planning;
};

} // namespace velmix
