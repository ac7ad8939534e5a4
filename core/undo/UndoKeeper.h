#pragma once

#include "FileIdentity.h"
#include "FileMover.h"
#include "FolderLocks.h"
#include "MessageBox.h"
#include "StateFolder.h"
#include "apply/BatchReport.h"
#include "apply/RenameStep.h"
#include "journal/BatchRepair.h"
#include "journal/RenameJournal.h"
#include "undo/UndoHistory.h"
#include "work/WorkRunner.h"

#include <QObject>
#include <QStringList>

#include <optional>

namespace velmix {

// The undo room: which applies can still be taken back, their journals, and the batches a
// crash cut short. It runs the apply, the undo and the repair through the hub's rename
// step, asks its questions through the message port, and alone removes journals, each
// once its batch no longer needs it. It tells the window when Ctrl+Z has something to
// take back and what.
class UndoKeeper : public QObject
{
    Q_OBJECT

public:
    // Without both `stateFolder` and `identities` batches go unjournaled and undo lasts
    // for this run.
    // With `locks`, each batch holds its folder against other programs from its planning
    // to its end; a folder held elsewhere is not touched and the report says so.
    UndoKeeper(StateFolder *stateFolder, FileIdentities *identities, FolderLocks *locks, FileMover &files, MessageBox &messages,
               WorkRunner &runner, RenameStep step);

    // At start-up: the finished applies become undoable; the batches a crash cut short
    // and the journals set aside wait for repair().
    void readJournals();
    // The folder the window lists: Ctrl+Z takes back its last apply.
    void folderShown(const QString &folder);
    // The folder whose last apply Ctrl+Z takes back, as last read; empty when there is none.
    [[nodiscard]] QString undoFolder() const;

    // Runs an apply's batch and keeps it for its undo.
    [[nodiscard]] BatchReport apply(const RenameBatch &batch);
    // Reads the history again (another program may have applied or undone since), then
    // takes back the newest apply of the undo's folder once the user agrees: every file it
    // renamed goes back to its old name but one changed since. Files that did not come
    // back stay undoable. Nothing happens (`ran` false) when there is nothing to take back.
    [[nodiscard]] BatchReport undo();
    // Tells of the journals set aside and, for each batch a crash cut short, asks whether
    // to finish it or to put every name back, and does so.
    [[nodiscard]] BatchReport repair();
    // The lines of the journals set aside not told yet, for a start that neither applies,
    // undoes nor repairs (a dry run).
    [[nodiscard]] QStringList takeSetAside() { return setAsideLines(std::exchange(m_problems, {})); }

Q_SIGNALS:
    void undoAvailable(bool available);
    // What Ctrl+Z would take back, in words; empty when nothing.
    void undoTextChanged(const QString &text);

private:
    // The history as the journals on disk have it now; at start the unfinished too.
    void readHistory(bool atStart);
    std::optional<JournaledOutcome> runStep(const RenameBatch &batch, BatchReport &report);
    // Holds `folder` for a batch of `kind` in `held`; false, the report saying so, where
    // another program holds it.
    bool holdFolder(WorkKind kind, const QString &folder, std::unique_ptr<FolderHold> &held, BatchReport &report);
    void applied(const QString &folder, const JournaledOutcome &moved);
    // The entry's record, read from its journal where needed; null, the entry dropped and
    // any problem kept to be told, where nothing is left to take back.
    const UndoRecord *recordOf(UndoHistory::Entry &entry);
    // The moves that put back the files of `record` still as it left them; the rows of
    // the record they come from in `rows`, the paths of those changed since in `changed`.
    [[nodiscard]] JournaledBatch undoMoves(const UndoRecord &record, std::vector<qsizetype> &rows,
                                           QStringList &changed) const;
    // After an undo: the files that did not come back stay undoable, in the apply's place.
    void keepRemainder(UndoHistory::Entry &entry, const JournaledBatch &batch, const std::vector<qsizetype> &rows,
                       const RenameOutcome &outcome, BatchReport &report);
    BatchReport repairBatch(const QString &journal);
    [[nodiscard]] JournaledBatch repairMoves(const QString &journal, const JournalContent &content,
                                             const BatchState &state, bool finish);
    void closeUnmoved(const QString &journal, const BatchState &state);
    // After a finished undo, the apply's rows it could not put back, as an apply of their own.
    void keepUndoneRemainder(const JournalPlan &undo, const std::vector<QByteArray> &namesNow, BatchReport &report);
    void repaired(const QString &journal, const JournalPlan &plan, bool finish);
    void remember(UndoHistory::Entry entry);
    void awaitFolder(const QString &folder);
    // The problems' lines, with the temporary names left in the folders they name.
    [[nodiscard]] QStringList setAsideLines(const QStringList &problems);
    // The box for a journal that could not be written, once per run.
    [[nodiscard]] QString journalProblem(int error);
    void removeJournal(const QString &journal);
    // Tells the window where what Ctrl+Z takes back changed.
    void announce();

    std::optional<RenameJournal> m_journal;
    FileIdentities *m_identities;
    FolderLocks *m_locks;
    FileMover &m_files;
    MessageBox &m_messages;
    WorkRunner &m_runner;
    RenameStep m_step;
    UndoHistory m_history;
    QStringList m_unfinished;
    QStringList m_problems;
    QString m_shownFolder;
    QString m_awaitedFolder;
    QString m_announced; // the folder last told, to tell only changes
    bool m_toldJournalFailed = false;
};

} // namespace velmix
