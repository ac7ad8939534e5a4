#pragma once

namespace velmix {

// Qt's own texts (a text box's context menu, a dialog's standard buttons) in Russian like
// the rest of the window, from the system's qtbase_ru; false where that is not installed.
bool installQtRussian();

} // namespace velmix
