#pragma once

#include <QString>

namespace velmix {

// Where the program keeps its settings: $XDG_CONFIG_HOME/velmix, or ~/.config/velmix
// where that is unset or not absolute.
[[nodiscard]] QString configFolder();

} // namespace velmix
