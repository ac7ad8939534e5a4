#pragma once

namespace velmix {

// The order in which the table's rows are numbered, and so shown: by name with letter
// case ignored (the listing's own order), with the runs of digits in the names compared
// as numbers ("Скрин 2" before "Скрин 10"), or by the date each file was taken.
enum class NumberingOrder { ByName, ByNumbersInName, ByDateTaken };

} // namespace velmix
