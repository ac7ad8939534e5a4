#pragma once

#include <QByteArray>

namespace velmix {

// Makes the folder and any parent missing, private to the user (settings and journals name
// the user's files); 0, or the error that stopped it, so a read-only medium is told as one
// and not as a lack of rights.
[[nodiscard]] int makeFolders(const QByteArray &path);

} // namespace velmix
