#pragma once

#include <QString>

namespace velmix {

// The program's name and its whole version, as the window's and the boxes' titles show it.
inline const QString ProgramTitle = QStringLiteral("Velmix V" VELMIX_VERSION);

} // namespace velmix
