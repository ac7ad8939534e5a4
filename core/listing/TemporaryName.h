#pragma once

#include "listing/FolderRules.h"

#include <QByteArray>
#include <QStringView>

namespace velmix {

// A temporary name in the same folder for a file that must step aside: it keeps the
// name's tail (so the mask still lists it), shows the old name's first eight letters on
// the first attempt, never starts with a dot, and fits the folder's length limit. Empty
// when no such name can be made.
[[nodiscard]] QByteArray temporaryName(QStringView currentName, int attempt, const FolderRules &rules);
// How many temporary names a file that must step aside tries.
constexpr int TemporaryAttempts = 100;

} // namespace velmix
