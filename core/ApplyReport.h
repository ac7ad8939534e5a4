#pragma once

#include "NameColumn.h"
#include "RenameFailure.h"

#include <QString>

#include <vector>

namespace velmix {

// The texts of the apply step's message box.
namespace ApplyReport {

inline const QString Title = QStringLiteral("Ошибка !!!");
inline const QString CancelTitle = QStringLiteral("Velmix V2.0");
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
// name before, the name it was to get, and why.
[[nodiscard]] QString failedRows(const NameColumn &sources, const NameColumn &targets, const QString &folderPath,
                                 const std::vector<RenameFailure> &failures);

} // namespace ApplyReport
} // namespace velmix
