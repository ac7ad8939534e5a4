#pragma once

#include "marks/NameConflicts.h"
#include "pairs/FileGroups.h"

#include <vector>

namespace velmix {

class FileNameTable;
class HandNames;

// Per row of the table, the row of its group's first file; empty where `groups` has none.
// The rows (places in the listing, in `order`; the listing's order where empty) are those
// FileGroups::together arranged.
[[nodiscard]] std::vector<quint32> groupLeadsOf(const FileGroups &groups, const std::vector<quint32> &order,
                                                qsizetype rows);

// The rows that count in the running number: a group counts once, at its first row. The
// rows named by hand (`skipped`, increasing) and every other row of a group are left out,
// increasing.
[[nodiscard]] std::vector<qsizetype> rowsNotCounted(const FileNameTable &table, const std::vector<qsizetype> &skipped);
// Each row of a group takes its first row's place in the count.
void shareGroupPlaces(const FileNameTable &table, std::vector<quint32> &places);

// Every file of a group takes the new stem of its group's first row, or of the first row
// named by hand, keeping its own extension as the steps made it. A group whose name is
// not changed keeps its files' names as the steps made them.
void carryGroupStems(FileNameTable &table, const HandNames &handNames);

// Where a file's new name is refused, every other file of its group stays too: their
// rows move no more (PartnerStays), the refused keep their reasons whatever the files
// held free, and the rows that waited on their names are judged again. Returns whether
// any group stays.
bool holdRefusedGroups(const FileNameTable &table, const FolderNames &folder, NameJudgement &judgement);

} // namespace velmix
