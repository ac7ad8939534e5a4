#pragma once

#include "LongWork.h"
#include "MessageBox.h"
#include "apply/JournaledBatch.h"
#include "apply/RenameExecutor.h"
#include "marks/RenameFailure.h"
#include "program/ProgramTitle.h"
#include "text/NameColumn.h"

#include <QString>

#include <vector>

namespace velmix {

// The texts of the apply step's message box.
namespace ApplyReport {

inline const QString Title = QStringLiteral("Ошибка !!!");
inline const QString CancelTitle = ProgramTitle;
constexpr int ListedRowsLimit = 20;

// The folder could not be opened for the step at all.
[[nodiscard]] QString folderUnavailable(const QString &folderPath);
// The folder could not be read again after the moves.
[[nodiscard]] QString folderGone(const QString &folderPath);

// The user stopped the step: `renamed` files got their new names, `unchanged` rows it
// would have changed were not reached.
[[nodiscard]] QString cancelled(qsizetype renamed, qsizetype unchanged);
// The medium stopped answering mid-step: `renamed` files got their new names, the rest
// were not touched.
[[nodiscard]] QString mediumGone(qsizetype renamed);

// Every row that did not get its new name, gathered into one text: the file under its
// name before, the name it was to get, and why; a trouble of the whole folder (every row
// failing with the same error of the file system) is told once. `markedAhead` says, per
// row, which were marked in the grid before the apply; their count closes the text.
[[nodiscard]] QString failedRows(const NameColumn &sources, const NameColumn &targets, const QString &folderPath,
                                 const std::vector<RenameFailure> &failures, const std::vector<bool> &markedAhead = {});

// Tells of a cancel or a medium gone, then of the rows of `moves` that failed, each in a
// box of its own; returns the summary line.
QString tell(MessageBox &boxes, WorkKind kind, const QString &folder, const JournaledBatch &moves,
             const RenameOutcome &outcome, const std::vector<bool> &markedAhead);

// The line the window shows after an apply or an undo: how many files got their new
// (or old) names.
[[nodiscard]] QString summary(WorkKind kind, qsizetype renamed, qsizetype meant);

} // namespace ApplyReport
} // namespace velmix
