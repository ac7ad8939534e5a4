#pragma once

#include "text/NameColumn.h"

#include <QtGlobal>

#include <vector>

namespace velmix {

// The positions of `names` in the listing's order, the order compareNames gives. Each
// name is folded once into a key that compares byte by byte, and a large column is
// sorted on two threads.
[[nodiscard]] std::vector<quint32> sortedOrder(const NameColumn &names);

} // namespace velmix
