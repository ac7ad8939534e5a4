#pragma once

#include "LongWork.h"
#include "apply/BatchReport.h"
#include "apply/JournaledBatch.h"
#include "apply/JournaledRename.h"
#include "journal/RenameJournal.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace velmix {

// One batch of renames in one folder: row i of `moves.from` becomes row i of `moves.to`.
// The columns are copies (they share their storage): the re-read replaces the table's
// and the listing's.
struct RenameBatch
{
    WorkKind kind;
    QString folder;
    JournaledBatch moves; // its kind and folder's bytes are set as the moves start
    std::vector<bool> markedAhead = {}; // per row, refused in the grid before the apply
    // An undo's folder is listed first (the window may show another), and its other
    // entries are the batch's to plan around.
    bool listFolderFirst = false;
    // Rows left as they were before the moves, with why: told as refused all the same.
    std::vector<RenameFailure> heldBack = {};
};

// The hub's step that every batch runs through: the moves, journaled in `journal` where
// there is one, then the folder read again; what happened goes into `report`. Nothing
// where the folder cannot be opened.
using RenameStep = std::function<std::optional<JournaledOutcome>(const RenameBatch &batch, RenameJournal *journal,
                                                                 BatchReport &report)>;

} // namespace velmix
