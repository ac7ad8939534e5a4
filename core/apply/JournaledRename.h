#pragma once

#include "FileIdentity.h"
#include "apply/JournaledBatch.h"
#include "apply/RenameExecutor.h"
#include "journal/RenameJournal.h"

#include <optional>
#include <vector>

namespace velmix {

struct JournaledOutcome
{
    RenameOutcome outcome;
    std::vector<std::optional<FileIdentity>> identities; // per row, of the files moved
    QString journal; // empty where none was written
    int journalError = 0;
    // The journal's end mark did not reach the disk: it would ask for the repair of a
    // batch that ended, so the undo room removes it (but a repair's own).
    bool journalUnended = false;
};

// renameFiles, with each file looked at and its row of the plan made durable in
// `journal` before its move, and every move recorded; without a journal (or where it
// cannot be written) the moves go all the same. Runs on the worker.
[[nodiscard]] JournaledOutcome renameJournaled(FolderMover &mover, const JournaledBatch &batch,
                                               FileIdentities *identities, RenameJournal *journal,
                                               WorkProgress *progress = nullptr);

} // namespace velmix
