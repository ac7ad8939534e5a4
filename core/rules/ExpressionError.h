#pragma once

#include <QString>

namespace velmix {

// Why a find text does not compile as an expression, in Russian: the place (its first
// character is 1) and, for the faults a user makes, what is wrong.
[[nodiscard]] QString expressionError(int pcre2ErrorCode, qsizetype place);

} // namespace velmix
