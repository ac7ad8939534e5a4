#pragma once

#include "metadata/DateChain.h"

#include <optional>
#include <vector>

namespace velmix {

// The places of the rows (given in name order) sorted by their date, earliest first; rows
// of the same date keep their order by name, and rows without a date come last.
[[nodiscard]] std::vector<quint32> dateTakenOrder(const std::vector<std::optional<RowMetadata>> &rows);

} // namespace velmix
