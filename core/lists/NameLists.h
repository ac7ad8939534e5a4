#pragma once

#include "lists/ListCheck.h"
#include "lists/NameList.h"

#include <QByteArray>
#include <QString>

namespace velmix {

class FileNameTable;
class PreviewSession;

// Names from outside the grid, for the window and the command line alike: the list to
// edit as text, a list file read or written, and a list taken as the user's own names.
namespace NameLists {

// Every row's new name, one a line in the rows' order; control characters show as their
// pictures, so no name breaks its line.
[[nodiscard]] QString editorText(const FileNameTable &table);

// Checks the list against the preview's rows and, where it fits, makes every name that
// changes its row's new name a name typed by hand for that row, the preview rebuilt once.
[[nodiscard]] ListOutcome take(PreviewSession &preview, const NameList &list, ListPlace place = {});

// A list file: a .csv file is a CSV map; a .tsv file, or one whose first line holds a
// tab, a TSV map; any other one name a line. `path` empty or "-": standard input. Where
// it cannot be read, the list's problem says so.
enum class FileKind { Guess, Names, Map };
[[nodiscard]] NameList readFile(const QString &path, FileKind kind = FileKind::Guess);
// The list's text read as the kind says (Guess as readFile guesses by `fileName`).
[[nodiscard]] NameList readText(const QString &text, const QString &fileName, FileKind kind);

// Every row as a TSV row (old name, new name, the reason of its mark), as --tsv prints:
// with subfolders, both as paths below the chosen folder.
[[nodiscard]] QByteArray tableTsv(const FileNameTable &table);
// Writes that to `path`, whole or not at all; the reason where it could not.
[[nodiscard]] QString writeTsv(const QString &path, const FileNameTable &table);

} // namespace NameLists
} // namespace velmix
