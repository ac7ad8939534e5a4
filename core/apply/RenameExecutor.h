#pragma once

#include "FileMover.h"
#include "LongWork.h"
#include "listing/FolderRules.h"
#include "marks/RenameFailure.h"
#include "text/NameColumn.h"

#include <vector>

namespace velmix {

struct RenameOutcome
{
    std::vector<RenameFailure> failures; // in row order
    // Per row, the name the file has on disk afterwards: its new name, a temporary name a
    // broken cycle left, or its old name.
    std::vector<QByteArray> finalNames;
    std::vector<QByteArray> sources; // per row, the on-disk name before
    qsizetype renamed = 0;           // files that got their new name
    qsizetype notReached = 0;        // rows a cancel or a pulled medium left as they were, not failures
    bool mediumGone = false;         // the work stopped because the medium stopped answering
    FolderRules rules;               // how the folder's names were judged
};

// Gives the files of one folder their new names, row i of `currentNames` to row i of
// `newNames`, as a whole and without ever replacing a file, judging the names by the
// folder's `rules` as its listing read them (the marks judged by the same). With
// `progress`, its total is the number of files to rename, it advances as each one gets
// its name, and a cancel stops the work within the next 64 moves, finishing a cycle
// already begun so that no file is left under a temporary name. A medium that stops
// answering stops the work at once: the rows not yet moved are left as they were.
// With `gate`, each move waits for it (the journal writes the plan down ahead of the moves).
struct RenamePlan;
class MoveGate
{
public:
    virtual ~MoveGate() = default;
    // The plan, before the first move.
    virtual void planned(const RenamePlan &plan) = 0;
    // Returns once move `index` of the plan may be made, with how many of the plan's first
    // moves may be made by then (more than `index`).
    virtual size_t reaching(size_t index) = 0;
    // After the last move made: the plan is not read from here on.
    virtual void movesEnded() = 0;
};
[[nodiscard]] RenameOutcome renameFiles(FolderMover &mover, const NameColumn &currentNames, const NameColumn &newNames,
                                        const FolderRules &rules, WorkProgress *progress = nullptr,
                                        MoveGate *gate = nullptr);

} // namespace velmix
