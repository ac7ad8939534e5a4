#pragma once

#include "lists/NameList.h"

#include <QStringList>

#include <functional>

#include <utility>
#include <vector>

namespace velmix {

class NameColumn;

// Where a list by row goes: over every row, or from one row down (a pasted column), where
// it may end before the last.
struct ListPlace
{
    qsizetype firstRow = 0;
    bool wholeTable = true;
};

// What a list makes of the rows: the new names it changes, or why nothing is taken.
struct ListOutcome
{
    QString problem; // one line, naming the line of the list; nothing is taken where set
    qsizetype problemLine = 0; // that line, where the problem is one line's
    std::vector<std::pair<qsizetype, QString>> changed; // row and its new name, in row order
    // A map's rows whose old name is no row's, by line: how many, and the first of them.
    qsizetype unmatched = 0;
    QStringList unmatchedLines;

    [[nodiscard]] bool taken() const { return problem.isEmpty(); }
    // The map's rows that matched no file, as a box tells them; empty where all did.
    [[nodiscard]] QString unmatchedText() const;
};

// With subfolders, each row's folder below the chosen one with a trailing "/" ("" for the
// chosen folder itself); none for one folder.
using RowPrefix = std::function<QString(qsizetype row)>;

// Checks a list against the rows' current and new names. A name that reads as its row's
// new name reads (control characters as their pictures, as the editor shows them) changes
// nothing; every other must be a name: not empty, without "/" or a control character.
// With subfolders a map names its files by their paths below the chosen folder, as a saved
// list does; a bare old name is the one row of that name the map names by no path, and is
// refused where it could be several. A new name may carry its row's own folder, no other:
// a list never moves files between folders.
[[nodiscard]] ListOutcome checkList(const NameList &list, const NameColumn &currentNames, const NameColumn &newNames,
                                    ListPlace place = {}, const RowPrefix &prefixOf = {});

} // namespace velmix
