#pragma once

#include "program/ProgramTitle.h"

#include <QString>
#include <QStringList>

namespace velmix {

// The texts the journal's repair and the persisted undo show.
namespace JournalReport {

inline const QString Title = ProgramTitle;
inline const QString RepairTitle = QStringLiteral("Прерванное переименование");

enum class Trouble { Unreadable, Truncated, Damaged, Newer };
// One line for a journal not trusted, with the folder of its batch where it names one;
// `aside` is the name it was moved to, empty where it could not be moved.
[[nodiscard]] QString setAside(const QString &path, Trouble trouble, const QString &aside, const QString &folder);

// The box at start-up: the batch in `folder` was cut short with `moved` files renamed
// and `notMoved` not; "Да" finishes it, "Нет" puts every name back.
[[nodiscard]] QString repairQuestion(bool undo, const QString &folder, qsizetype moved, qsizetype notMoved,
                                     qsizetype missing);
[[nodiscard]] QString folderUnreachable(const QString &folder);
// The status line after a repair: `files` under their new names, or given back the old.
[[nodiscard]] QString repaired(bool namesBack, qsizetype files);
// Names in the form of the temporary names a kill may leave, found in the folder of a
// journal set aside: without the journal their old names are unknown.
[[nodiscard]] QString temporaryNamesLeft(const QString &folder, const QStringList &names);
// The state folder takes no journal: renaming goes on without crash repair.
[[nodiscard]] QString repairOff(const QString &stateFolder, int error);
// The files an undo left alone since they changed after the apply.
[[nodiscard]] QString changedSinceApply(const QStringList &paths);
// An undo brought back only some files: the others stay in the history for a later undo.
[[nodiscard]] QString keptForUndo(qsizetype files);

} // namespace JournalReport
} // namespace velmix
