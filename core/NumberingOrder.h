#pragma once

namespace velmix {

// The order the rows are numbered in, and shown in.
enum class NumberingOrder { ByName, ByNumbersInName, ByDateTaken };

} // namespace velmix
