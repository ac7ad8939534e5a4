#include "apply/JournaledRename.h"

#include "apply/JournalingMover.h"
#include "apply/PlanAhead.h"

#include <cerrno>

namespace velmix {

JournaledOutcome renameJournaled(FolderMover &mover, const JournaledBatch &batch, FileIdentities *identities,
                                 RenameJournal *journal, WorkProgress *progress)
{
    JournaledOutcome moved;
    std::unique_ptr<JournalWriter> writer;
    JournalingMover journaled(mover, writer);
    if (!identities) {
        moved.outcome = renameFiles(journaled, batch.from, batch.to, batch.rules, progress);
        return moved;
    }
    PlanAhead ahead(batch, *identities, journal, writer);
    moved.outcome = renameFiles(journaled, batch.from, batch.to, batch.rules, progress, &ahead);
    moved.identities = ahead.finish(moved.journalError);
    if (!writer)
        return moved;
    moved.journal = writer->name();
    if (!writer->finish()) {
        moved.journalError = writer->error() != 0 ? writer->error() : EIO;
        moved.journalUnended = true;
    }
    return moved;
}

} // namespace velmix
