#pragma once

#include "StateFolder.h"
#include "journal/JournalFormat.h"
#include "journal/JournalReport.h"
#include "journal/MoveRecords.h"

#include <QStringList>

#include <memory>
#include <mutex>
#include <utility>
#include <optional>
#include <vector>

namespace velmix {

// Records one batch as it goes. Moves are written in groups, so that a large apply
// costs a few writes, not one per file, and off the mover's thread; the repair looks at
// the disk itself for the moves a crash kept from being written. Parts of the plan may
// be written from another thread while the moves are recorded. Once writing fails, the
// rest is dropped.
class JournalWriter
{
public:
    JournalWriter(std::unique_ptr<StateFile> file, QString name);
    [[nodiscard]] const QString &name() const { return m_name; }
    // Writes one part of the plan and syncs it; false where that failed.
    bool planned(const QByteArray &part);
    // The same in two steps, for a caller that syncs on another thread: the part is on
    // disk once a sync() begun after this returns true.
    void plannedUnsynced(const QByteArray &part) { append(part); }
    bool sync();
    // See MoveRecords::numberRows.
    void numberRows(MoveRecords::PlannedRows rows) { m_records.numberRows(std::move(rows)); }
    void moved(const QByteArray &from, const QByteArray &to);
    // The names stay as they are, where they are, until finish() (see MoveRecords::movedKept).
    void movedKept(const QByteArray &from, const QByteArray &to);
    void found(const FoundName &found);
    // Writes the moves still held, then the end mark, and syncs; false where that failed.
    bool finish();
    // The first write's error that failed, or 0.
    [[nodiscard]] int error() const;

private:
    void append(const QByteArray &bytes);

    std::unique_ptr<StateFile> m_file;
    QString m_name;
    mutable std::mutex m_writing; // over m_file's appends and m_error
    int m_error = 0;
    MoveRecords m_records; // last: it writes what it holds as it goes
};

// The journals of the batches in the state folder: each apply and each undo is planned
// there, synced, before its first move; a finished apply's journal is its undo, kept
// for the last HistoryDepth applies.
class RenameJournal
{
public:
    static constexpr int HistoryDepth = 20;

    explicit RenameJournal(StateFolder &folder)
        : m_folder(folder)
    {
    }
    [[nodiscard]] QString path() const { return m_folder.path(); }

    // A new journal with the plan's header, its rows to follow in parts (JournalWriter::
    // planned); nothing, with `error` set, where it cannot be made.
    std::unique_ptr<JournalWriter> begin(const JournalPlan &plan, qsizetype rows, int &error);
    // Reopens an interrupted batch's journal for the moves that repair it.
    std::unique_ptr<JournalWriter> resume(const QString &name, int &error);

    struct Entry
    {
        QString name;
        JournalContent content; // a finished batch's without its rows
    };
    struct Scan
    {
        std::vector<Entry> finishedApplies; // oldest first
        std::vector<Entry> finishedUndos;   // each takes its apply with it
        QStringList unfinished;             // no running program holds them
        QStringList problems;               // one line per journal set aside
    };
    // Looks at every journal and sets aside those it cannot trust; removes none.
    [[nodiscard]] Scan scan();
    // A journal in full; nothing where it cannot be trusted, which then is set aside and
    // `problem` says so in one line.
    [[nodiscard]] std::optional<JournalContent> read(const QString &name, QString &problem);
    // Writes the finished apply that is what is left of `original`: each row's file is
    // under `namesNow` and goes back to its `from`. Its name sorts just before the
    // original's, so it keeps that apply's place in the history; empty, `error` set,
    // where it cannot be written.
    [[nodiscard]] QString writeRemainder(const QString &original, const JournalPlan &plan,
                                         const std::vector<QByteArray> &namesNow, int &error);
    // The folders the journals set aside since the last call name, where they could be read:
    // a kill's temporary names there are to be told.
    [[nodiscard]] QList<QByteArray> takeAsideFolders() { return std::exchange(m_asideFolders, {}); }

private:
    friend class UndoKeeper; // it alone removes journals, each once its batch needs it no more
    void remove(const QString &name) { (void)m_folder.remove(name); }
    std::unique_ptr<JournalWriter> begin(const QString &name, const JournalPlan &plan, qsizetype rows, int &error);

    // Renames a journal out of the way and says so in one line.
    [[nodiscard]] QString setAside(const QString &name, JournalReport::Trouble trouble, const QByteArray &folder = {});

    StateFolder &m_folder;
    QList<QByteArray> m_asideFolders;
};

} // namespace velmix
