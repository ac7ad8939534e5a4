#pragma once

#include "FileIdentity.h"
#include "RenameExecutor.h"
#include "RenameJournal.h"

#include <optional>
#include <vector>

namespace velmix {

// One batch of moves in one folder, with what its journal needs to know.
struct JournaledBatch
{
    BatchKind kind = BatchKind::Apply;
    QByteArray folder = {};
    NameColumn from = {};
    NameColumn to = {};
    FolderRules rules = {};
    NameColumn unlisted = {}; // the folder's other entries as listed
    QString undoes = {};      // an undo's apply, by its journal
    QString resumes = {};     // a repair's interrupted journal, which records it
    // For a repair, where the files are whose moves the interrupted batch did not record.
    std::vector<FoundName> unrecorded = {};
};

struct JournaledOutcome
{
    RenameOutcome outcome;
    std::vector<std::optional<FileIdentity>> identities; // per row, of the files moved
    QString journal; // empty where none was written
    int journalError = 0;
};

// renameFiles, with each file looked at and its row of the plan made durable in
// `journal` before its move, and every move recorded; without a journal (or where it
// cannot be written) the moves go all the same. Runs on the worker.
[[nodiscard]] JournaledOutcome renameJournaled(FolderMover &mover, const JournaledBatch &batch,
                                               FileIdentities *identities, RenameJournal *journal,
                                               WorkProgress *progress = nullptr);

} // namespace velmix
