#pragma once

namespace velmix {

// The order in which the table's rows are numbered, and so shown: by name with letter
// case ignored (the listing's own order), or with the runs of digits in the names
// compared as numbers ("Скрин 2" before "Скрин 10").
enum class NumberingOrder { ByName, ByNumbersInName };

} // namespace velmix
