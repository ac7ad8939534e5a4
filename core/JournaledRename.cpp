#include "JournaledRename.h"

#include "FileNameCodec.h"
#include "FolderCase.h"
#include "JournalingMover.h"
#include "RenamePlanner.h"

#include <QSet>

#include <cerrno>
#include <future>

namespace velmix {
namespace {

// The journal's plan of a batch, for the rows `plan` moves.
JournalPlan journalPlan(const JournaledBatch &batch, const RenamePlan &plan,
                        const std::vector<std::optional<FileIdentity>> &identities)
{
    JournalPlan journal{batch.kind, batch.undoes, batch.folder, plan.rules, {}};
    QSet<QByteArray> held; // names other entries held: an empty file there is theirs
    for (qsizetype i = 0; i < batch.unlisted.size(); ++i)
        held.insert(nameKey(FileNameCodec::encode(batch.unlisted.at(i)).value_or(QByteArray()), plan.rules.ignoresCase));
    journal.rows.reserve(plan.sources.size());
    for (size_t row = 0; row < plan.sources.size(); ++row) {
        if (plan.targets[row].isEmpty() || !identities[row])
            continue; // not moved, or not there to move
        journal.rows.push_back({plan.sources[row], plan.targets[row], *identities[row],
                                held.isEmpty() || !held.contains(nameKey(plan.targets[row], plan.rules.ignoresCase))});
    }
    return journal;
}

} // namespace

JournaledOutcome renameJournaled(FolderMover &mover, const JournaledBatch &batch, FileIdentities *identities,
                                 RenameJournal *journal, WorkProgress *progress)
{
    JournaledOutcome moved;
    std::unique_ptr<JournalWriter> writer;
    // The files that change are looked at while the moves are planned, on another thread.
    std::future<std::vector<std::optional<FileIdentity>>> looked;
    if (identities) {
        looked = std::async(std::launch::async, [&] {
            std::vector<QByteArray> changing(size_t(batch.from.size()));
            for (qsizetype row = 0; row < batch.from.size(); ++row) {
                if (batch.from.at(row) != batch.to.at(row))
                    changing[size_t(row)] = FileNameCodec::encode(batch.from.at(row)).value_or(QByteArray());
            }
            return identities->identify(batch.folder, changing);
        });
    }
    const auto beforeMoves = [&](const RenamePlan &plan) {
        if (!identities)
            return;
        moved.identities = looked.get();
        for (size_t row = 0; row < plan.targets.size(); ++row) {
            if (plan.targets[row].isEmpty())
                moved.identities[row].reset(); // not moved
        }
        if (!journal)
            return;
        writer = batch.resumes.isEmpty() ? journal->begin(journalPlan(batch, plan, moved.identities), moved.journalError)
                                         : journal->resume(batch.resumes, moved.journalError);
        if (writer)
            moved.journal = writer->name();
        for (const FoundName &found : batch.unrecorded)
            if (writer)
                writer->found(found);
    };
    JournalingMover journaled(mover, writer);
    moved.outcome = renameFiles(journaled, batch.from, batch.to, batch.rules, progress, beforeMoves);
    if (writer && !writer->finish()) {
        // An end mark that did not reach the disk would ask for a repair of a batch that
        // ended: the journal goes, and the batch's undo lasts for this run.
        moved.journalError = EIO;
        writer.reset();
        if (batch.resumes.isEmpty())
            journal->remove(std::exchange(moved.journal, {}));
    }
    return moved;
}

} // namespace velmix
