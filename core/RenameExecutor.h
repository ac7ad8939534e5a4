#pragma once

#include "FileMover.h"
#include "NameColumn.h"
#include "RenameFailure.h"

#include <vector>

namespace velmix {

// Gives the files of one folder their new names, row i of `currentNames` to row i of
// `newNames`, as a whole and without ever replacing a file. `currentNames` must be the
// folder's listing as just read: whether the folder ignores letter case is told from it.
// Returns the rows that did not get their new name, in row order.
[[nodiscard]] std::vector<RenameFailure> renameFiles(FolderMover &mover, const NameColumn &currentNames,
                                                     const NameColumn &newNames);

} // namespace velmix
