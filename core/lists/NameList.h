#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace velmix {

// One name of a list as read: the line it starts on (from 1), and in a map the old name
// it is for.
struct ListEntry
{
    qsizetype line = 0;
    QString oldName;
    QString newName;
};

// New names from outside the grid: one a line in the rows' order, or a map of old names
// to new ones.
struct NameList
{
    enum class Kind { ByRow, ByOldName };
    Kind kind = Kind::ByRow;
    std::vector<ListEntry> entries;
    QString problem; // why it could not be read, naming the line; nothing is taken then
};

// One name a line, every line kept (an empty one is the check's to tell).
[[nodiscard]] NameList readNameLines(QStringView text);

// A map of two columns, old name and new name; more columns (a saved list's reason) are
// passed over, and so are empty lines. TSV fields are read back as tsvField writes them;
// CSV fields as RFC 4180 quotes them, a quoted one spanning lines if it holds a line
// break. A CSV whose first line holds a semicolon and no comma is split at semicolons,
// as spreadsheets in Russian write it.
enum class MapFormat { Tsv, Csv };
[[nodiscard]] NameList readNameMap(QStringView text, MapFormat format);

} // namespace velmix
