#pragma once

#include <QStringView>

namespace velmix {

// Whether the units at `at` and `at + 1` are one character written as a surrogate pair.
[[nodiscard]] inline bool isSurrogatePairAt(QStringView text, qsizetype at)
{
    return at >= 0 && at + 1 < text.size() && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate();
}

// Whether the unit at `at` is a surrogate that is half of no pair: an undecodable byte
// as the file name codec keeps it.
[[nodiscard]] inline bool isLoneSurrogateAt(QStringView text, qsizetype at)
{
    return text[at].isSurrogate() && !isSurrogatePairAt(text, at) && !isSurrogatePairAt(text, at - 1);
}

// The units the character at `at` takes: 2 for a surrogate pair, else 1.
[[nodiscard]] inline qsizetype characterUnitsAt(QStringView text, qsizetype at)
{
    return isSurrogatePairAt(text, at) ? 2 : 1;
}

// The units the last character takes (0 for an empty text), so that chopping it never
// splits a pair.
[[nodiscard]] inline qsizetype lastCharacterUnits(QStringView text)
{
    return text.isEmpty() ? 0 : isSurrogatePairAt(text, text.size() - 2) ? 2 : 1;
}

} // namespace velmix
