#pragma once

#include "rules/ConflictChoice.h"
#include "marks/NameConflicts.h"
#include "text/NameColumn.h"

#include <QString>

#include <functional>
#include <vector>

namespace velmix {

// The sub-second the camera wrote for the photo of a row ("25" for a quarter second);
// empty where there is none.
using SubSecondOf = std::function<QString(qint32 row)>;

// Gives every row `judgement` finds taken (by another row's new name, by a file that
// stays or is not listed) a free name by `choice`, rewriting `newNames`, and judges them
// again into `judgement`. A name is free where no file of the folder holds it now and no
// other row asks for it, compared as the folder compares names. A row waiting on a file
// that itself gets a free name keeps its own. For ConflictRule::SubSecond the first row
// asking for a name takes its sub-second too, so the whole burst reads alike. Returns
// the rows whose new names it changed, in increasing order. The rows of `folderRows` are
// folders: the number goes at the end of their names, which have no extension. Files
// that go together (`groupLeads`: per row, its group's first row, the group's rows
// together behind it) take one number, free for each of them with its own extension,
// and stay together.
[[nodiscard]] std::vector<qint32> fixTakenNames(const FolderNames &folder, NameColumn &newNames,
                                                NameJudgement &judgement, const ConflictChoice &choice,
                                                const SubSecondOf &subSecondOf = {},
                                                const std::vector<bool> &folderRows = {},
                                                const std::vector<quint32> &groupLeads = {});

} // namespace velmix
