#pragma once

#include <QString>
#include <QStringView>

namespace velmix {

// Limits on text boxes count characters as a reader sees them: a surrogate pair (an emoji)
// is one character and is never split, where QString counts two UTF-16 units.
[[nodiscard]] qsizetype characterCount(QStringView text);

// The first `limit` characters of `text`.
[[nodiscard]] QString firstCharacters(const QString &text, qsizetype limit);

} // namespace velmix
