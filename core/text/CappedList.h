#pragma once

#include <QStringList>

#include <functional>

namespace velmix {

// A box lists at most this many items: the rest are counted.
constexpr qsizetype ListedItemsLimit = 20;

// The lines of the first ListedItemsLimit of `count` items, each given by `linesOf`, then
// «… и ещё N» for the rest.
[[nodiscard]] QStringList cappedList(qsizetype count, const std::function<QStringList(qsizetype)> &linesOf);

} // namespace velmix
