#pragma once

#include "FileMover.h"
#include "text/NameColumn.h"

#include <QByteArray>

namespace velmix {

// Whether the folder ignores letter case (FAT, exFAT and the like): one listed name,
// looked up with the case of its letters changed, leads to a file that the listing does
// not hold under that spelling. Costs one look-up. `listedNames` must be the folder's
// listing just read, with a mask that ignores case, so that any other spelling of a
// listed file that is really there would be listed too.
[[nodiscard]] bool folderIgnoresCase(FolderMover &mover, const NameColumn &listedNames);

// The form in which two on-disk names are compared: the bytes themselves, or, in a folder
// that ignores case, the case-folded name, so that names differing only in letter case
// meet.
[[nodiscard]] QByteArray nameKey(const QByteArray &name, bool ignoresCase);

} // namespace velmix
