#pragma once

#include <QString>

namespace velmix {

// The process's working folder, decoded byte for byte like every listed name, so a path
// that is not valid UTF-8 still leads back to the same folder. Empty when it cannot be
// read (it was removed, say).
[[nodiscard]] QString currentFolder();

} // namespace velmix
