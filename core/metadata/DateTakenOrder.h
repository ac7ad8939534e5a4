#pragma once

#include "metadata/DateChain.h"

#include <optional>
#include <vector>

namespace velmix {

// The places of the rows (given in name order) sorted by their date, earliest first; rows
// of the same date keep their order by name, and rows without a date come last.
[[nodiscard]] std::vector<quint32> dateTakenOrder(const std::vector<std::optional<RowMetadata>> &rows);

// The same by what the file system tells of each file: its size, smallest first, or its
// modification time, oldest first.
enum class FileFact : quint8 { Size, ModificationTime };
[[nodiscard]] std::vector<quint32> fileFactOrder(const std::vector<std::optional<RowMetadata>> &rows, FileFact fact);

} // namespace velmix
