#pragma once

#include "FileIdentity.h"
#include "FileMover.h"
#include "MessageBox.h"
#include "StateFolder.h"
#include "apply/JournaledRename.h"
#include "journal/BatchRepair.h"
#include "journal/RenameJournal.h"
#include "undo/UndoHistory.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <optional>

namespace velmix {

// The bookkeeping after the moves: which applies can still be taken back, their
// journals, and the batches a crash cut short. It alone removes journals, each once its
// batch no longer needs it, and it tells the window when Ctrl+Z has something to take
// back and what.
class UndoKeeper : public QObject
{
    Q_OBJECT

public:
    // Without both services batches go unjournaled and undo lasts for this run.
    UndoKeeper(StateFolder *stateFolder, FileIdentities *identities, FileMover &files, MessageBox &messages);

    // Where the batches are journaled, else null.
    [[nodiscard]] RenameJournal *journal() { return m_journal ? &*m_journal : nullptr; }

    // At start-up: the finished applies become undoable; the batches a crash cut short
    // and the journals set aside wait for the window.
    void readJournals();
    // Tells of the journals set aside and hands over the batches to repair.
    [[nodiscard]] QStringList takeUnfinished();
    // Tells of the journals set aside, once.
    void tellJournalsSetAside();
    // Says once per run that batches go without a journal.
    void tellIfJournalFailed(int error);

    // The folder the window lists: Ctrl+Z takes back its last apply.
    void folderShown(const QString &folder);
    // An apply in `folder` that the window could not list afterwards stays Ctrl+Z's.
    void awaitFolder(const QString &folder);
    // The folder whose last apply Ctrl+Z takes back; empty when there is none.
    [[nodiscard]] QString undoFolder() const;

    // Keeps an apply's outcome for its undo, or drops its journal where it moved nothing.
    void applied(const QString &folder, const JournaledOutcome &moved);

    // The last apply in the undo's folder, read from its journal where needed; null, the
    // entry dropped and any problem told, where nothing is left to take back.
    [[nodiscard]] const UndoRecord *recordToUndo();
    // Takes the last apply in `folder` out of the history: the moves that put back the
    // files still as it left them (its journal in `undoes`), the paths of those changed
    // since in `changed`.
    [[nodiscard]] JournaledBatch takeUndo(const QString &folder, const NameColumn &unlisted, QStringList &changed);
    // The undo's end mark is on disk: its apply's journal goes, then its own.
    void undone(const JournaledBatch &undo, const QString &undoJournal);

    // The interrupted batch in full; nothing, the problem told, where it cannot be trusted.
    [[nodiscard]] std::optional<JournalContent> readUnfinished(const QString &journal);
    // The moves that finish the batch (or put every name back), its leftovers removed.
    [[nodiscard]] JournaledBatch repairMoves(const QString &journal, const JournalContent &content,
                                             const BatchState &state, bool finish);
    // Closes the journal of a batch that needs no move, with where its files were found.
    void closeUnmoved(const QString &journal, const BatchState &state);
    // After the repair's moves: a batch put back is forgotten; a finished undo takes its
    // apply with it; a finished apply becomes undoable.
    void repaired(const QString &journal, const JournalPlan &plan, bool finish);

Q_SIGNALS:
    void undoAvailable(bool available);
    // What Ctrl+Z would take back, in words; empty when nothing.
    void undoTextChanged(const QString &text);

private:
    void remember(UndoHistory::Entry entry);
    // Shows the lines of the journals set aside, with the temporary names in their folders.
    void tellSetAside(QString lines);
    void removeJournal(const QString &journal);
    // Tells the window where what Ctrl+Z takes back changed.
    void announce();

    std::optional<RenameJournal> m_journal;
    FileIdentities *m_identities;
    FileMover &m_files;
    MessageBox &m_messages;
    UndoHistory m_history;
    QStringList m_unfinished;
    QStringList m_problems;
    QString m_shownFolder;
    QString m_awaitedFolder;
    QString m_announced; // the folder last told, to tell only changes
    bool m_toldJournalFailed = false;
};

} // namespace velmix
