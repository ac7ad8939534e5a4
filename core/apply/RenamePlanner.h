#pragma once

#include "listing/FolderRules.h"
#include "listing/TemporaryName.h"
#include "marks/RenameFailure.h"
#include "text/NameColumn.h"

#include <QByteArray>

#include <vector>

namespace velmix {

// One move of a plan. A cycle's first file goes to a temporary name first and from there
// to its new name last, once the others have made room.
struct PlannedMove
{
    enum Kind { Direct, ToTemporary, FromTemporary };
    qsizetype row;
    Kind kind;
};

struct RenamePlan
{
    FolderRules rules;
    std::vector<QByteArray> sources; // on-disk names, per row
    std::vector<QByteArray> targets; // per row; empty when the row is not moved
    std::vector<PlannedMove> moves;  // in the order to carry out
    std::vector<RenameFailure> failures;
};

// Plans the moves that give every file its new name as a whole, from the names alone:
// unchanged rows stay, invalid names and repeated new names fail, so does a new name
// held by a listed file that stays, a file moves only after the file holding its new
// name has moved away, and cycles go through a temporary name. In a folder that ignores
// letter case names are compared case-folded, and a change of case alone is a cycle of
// one file. Over a tree (paths below the chosen folder, each read as the tree was before
// the batch) the deepest folders' entries move first, so a folder renamed in the batch
// moves after everything below it.
[[nodiscard]] RenamePlan planRenames(const NameColumn &currentNames, const NameColumn &newNames,
                                     const FolderRules &rules);

} // namespace velmix
