#pragma once

#include "LongWork.h"
#include "MessageBox.h"
#include "apply/BatchReport.h"
#include "marks/RenameFailure.h"
#include "program/ProgramTitle.h"

#include <QString>

#include <vector>

namespace velmix {

// The texts of the apply step's message box.
namespace ApplyReport {

inline const QString Title = QStringLiteral("Ошибка !!!");
inline const QString CancelTitle = ProgramTitle;

// The folder could not be opened for the step at all.
[[nodiscard]] QString folderUnavailable(const QString &folderPath);
// Another Velmix program renames in the folder now.
[[nodiscard]] QString folderBusy(const QString &folderPath);
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
// failing with the same error of the file system) is told once. The count of rows marked
// in the grid before the apply closes the text.
[[nodiscard]] QString failedRows(const std::vector<BatchReport::RefusedRow> &rows, const QString &folderPath);

// The line the window shows after an apply or an undo: how many files got their new
// (or old) names.
[[nodiscard]] QString summary(WorkKind kind, qsizetype renamed, qsizetype meant);

} // namespace ApplyReport
} // namespace velmix
