#pragma once

#include <QStringView>

namespace velmix {

// The number of characters after the leftmost dot among positions 1 to L-1 (the last
// character is never looked at), or 0 when there is none.
[[nodiscard]] int FindExtensionDot(QStringView name);

// Length of the tail (from the first dot to the end). A name without any dot has an
// empty tail; a name whose only dot is its last character keeps "." as its tail.
[[nodiscard]] qsizetype tailLength(QStringView name);

} // namespace velmix
