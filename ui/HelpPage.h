#pragma once

#include <QString>

namespace velmix::HelpPage {

// The help page beside the program (build tree), else in the data folder it is installed to
// (VELMIX_HELP_FROM_PROGRAM, relative to the program's folder).
[[nodiscard]] QString locate(const QString &programFolder);
// Opens the page in the desktop's browser; false where no program could be started for it.
[[nodiscard]] bool open(const QString &page);
// What the user is told then.
[[nodiscard]] QString notOpened(const QString &page);

} // namespace velmix::HelpPage
