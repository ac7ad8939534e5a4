#pragma once

#include <QStringView>

namespace velmix {

// One character folded for comparisons that ignore letter case (simple case folding).
[[nodiscard]] inline char16_t foldCase(char16_t unit)
{
    if (unit < 0x80)
        return (unit >= u'A' && unit <= u'Z') ? char16_t(unit + 32) : unit;
    const char32_t folded = QChar::toCaseFolded(char32_t(unit));
    return folded > 0xFFFF ? unit : char16_t(folded);
}

// The listing's order: by name with letter case ignored, ties broken by the exact
// UTF-16 units so that the order never depends on how the folder was read.
[[nodiscard]] int compareNames(QStringView a, QStringView b);

} // namespace velmix
