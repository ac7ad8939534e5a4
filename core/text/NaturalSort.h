#pragma once

#include "text/NameColumn.h"

#include <QtGlobal>

#include <vector>

namespace velmix {

// The positions of `names` with the runs of digits compared as numbers and letter case
// ignored; names that compare equal so (IMG_01 and IMG_1) keep the listing's order.
[[nodiscard]] std::vector<quint32> naturalOrder(const NameColumn &names);

} // namespace velmix
