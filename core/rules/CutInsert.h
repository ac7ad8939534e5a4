#pragma once

#include "rules/NameRules.h"
#include "rules/TextBuffer.h"

#include <QStringView>

namespace velmix {

// Appends `text` to `out` with the rules' cut made and `inserted` (their text, its fields
// filled in for this name) where the cut was. Positions count characters as a reader sees
// them (an emoji, a letter with its accents, an undecodable byte: one each) and stop at
// the ends of the text.
void appendCutAndInserted(QStringView text, const NameRules &rules, QStringView inserted, TextBuffer &out);

} // namespace velmix
