#pragma once

namespace velmix {

// The order in which the table's rows are numbered, and so shown: by name with letter
// case ignored (the listing's own order), with the runs of digits in the names compared
// as numbers ("Скрин 2" before "Скрин 10"), by the date each file was taken, as the user
// arranged the rows (sorted by a column, moved by hand), by size (smallest first), by
// modification time (oldest first), or by name from the end.
enum class NumberingOrder { ByName, ByNumbersInName, ByDateTaken, AsShown, BySize, ByModified, ByReverseName };

} // namespace velmix
