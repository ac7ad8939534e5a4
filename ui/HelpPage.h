#pragma once

#include <QString>

namespace velmix::HelpPage {

// The help page beside the program (build tree), else in the data folder it is installed to
// (VELMIX_HELP_FROM_PROGRAM, relative to the program's folder).
[[nodiscard]] QString locate(const QString &programFolder);
// Opens it in the desktop's browser; what the desktop answers is not examined.
void open();

} // namespace velmix::HelpPage
