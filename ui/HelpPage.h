#pragma once

#include <QString>

namespace velmix::HelpPage {

// The help page beside the program (build tree), else in the installed data folder.
[[nodiscard]] QString locate(const QString &programFolder);
// Opens it in the desktop's browser; what the desktop answers is not examined.
void open();

} // namespace velmix::HelpPage
