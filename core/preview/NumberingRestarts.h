#pragma once

#include "metadata/ListingMetadata.h"

#include <vector>

namespace velmix {

// Where the running number starts again: in each folder, on each day (by the date the
// fields take, its camera's shift included), or on each day in each folder.
struct NumberingRestarts
{
    bool perFolder = false;
    bool perDay = false;

    [[nodiscard]] bool any() const { return perFolder || perDay; }
};

// Each table row's place in its own count: the rows of one folder and one day count from 0
// in the table's order, the rows named by hand (`skipped`, increasing) counting nowhere.
// Rows without a date, or not read, count together as one more day.
[[nodiscard]] std::vector<quint32> restartedPlaces(const ListingMetadata &metadata, qsizetype rows,
                                                   const std::vector<qsizetype> &skipped, NumberingRestarts restarts);

} // namespace velmix
