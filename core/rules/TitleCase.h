#pragma once

#include "rules/NameRules.h"
#include "rules/TextBuffer.h"

#include <QStringView>

namespace velmix {

// Appends `text` to `out` with the first letter of every word capital and the others as
// typed or lower case. A word starts after anything but a letter, a digit, a mark or an
// apostrophe; undecodable bytes count as letters.
void appendTitleCased(QStringView text, TitleCase titleCase, TextBuffer &out);

} // namespace velmix
