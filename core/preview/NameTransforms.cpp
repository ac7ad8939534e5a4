#include "preview/NameTransforms.h"

#include "text/Surrogates.h"

#include <QChar>

namespace velmix {
namespace {

enum class Case { Upper, Lower };

char16_t mapAscii(char16_t unit, Case to)
{
    if (to == Case::Upper)
        return (unit >= u'a' && unit <= u'z') ? unit - 32 : unit;
    return (unit >= u'A' && unit <= u'Z') ? unit + 32 : unit;
}

char32_t mapCodePoint(char32_t codePoint, Case to)
{
    return to == Case::Upper ? QChar::toUpper(codePoint) : QChar::toLower(codePoint);
}

// Maps the character at `name[i]` and returns how many units it took. A surrogate pair is
// one character; it is only replaced by a mapping that is again a pair, so the name keeps
// its length. Lone surrogates (undecodable bytes) map to themselves.
qsizetype mapCharacterAt(char16_t *name, qsizetype i, qsizetype length, Case to)
{
    const char16_t unit = name[i];
    if (unit < 0x80) {
        name[i] = mapAscii(unit, to);
        return 1;
    }
    if (isSurrogatePairAt(QStringView(name, length), i)) {
        const char32_t mapped = mapCodePoint(QChar::surrogateToUcs4(unit, name[i + 1]), to);
        if (QChar::requiresSurrogates(mapped)) {
            name[i] = QChar::highSurrogate(mapped);
            name[i + 1] = QChar::lowSurrogate(mapped);
        }
        return 2;
    }
    const char32_t mapped = mapCodePoint(unit, to);
    if (!QChar::requiresSurrogates(mapped))
        name[i] = char16_t(mapped);
    return 1;
}

void mapCase(char16_t *name, qsizetype length, Case to)
{
    for (qsizetype i = 0; i < length;)
        i += mapCharacterAt(name, i, length, to);
}

} // namespace

int FindExtensionDot(QStringView name)
{
    const qsizetype length = name.size();
    int k = 0;
    // Scans from the second-to-last character down to the first; each dot met
    // overwrites k, so the leftmost one decides.
    for (qsizetype i = 1; i <= length - 1; ++i) {
        if (name[length - i - 1] == u'.')
            k = int(i);
    }
    return k;
}

qsizetype tailLength(QStringView name)
{
    const int k = FindExtensionDot(name);
    if (k > 0)
        return k + 1;
    return name.endsWith(u'.') ? 1 : 0;
}

void upperCaseInPlace(char16_t *name, qsizetype length)
{
    mapCase(name, length, Case::Upper);
}

void lowerCaseInPlace(char16_t *name, qsizetype length)
{
    mapCase(name, length, Case::Lower);
}

void capitalizeInPlace(char16_t *name, qsizetype length)
{
    mapCase(name, length, Case::Lower);
    if (length > 0)
        mapCharacterAt(name, 0, length, Case::Upper);
}

void replaceInPlace(char16_t *name, qsizetype length, char16_t from, char16_t to)
{
    for (qsizetype i = 0; i < length; ++i) {
        if (name[i] == from)
            name[i] = to;
    }
}

void ToUpperCase(FileNameTable &table)
{
    table.newNamesForEdit().editEach(upperCaseInPlace);
}

void ToLowerCase(FileNameTable &table)
{
    table.newNamesForEdit().editEach(lowerCaseInPlace);
}

void ReplaceSpaces(FileNameTable &table)
{
    table.newNamesForEdit().editEach([](char16_t *name, qsizetype length) { replaceInPlace(name, length, u' ', u'_'); });
}

void ReplaceUnderscores(FileNameTable &table)
{
    table.newNamesForEdit().editEach([](char16_t *name, qsizetype length) { replaceInPlace(name, length, u'_', u' '); });
}

void CapitalizeFirstLetter(FileNameTable &table)
{
    table.newNamesForEdit().editEach(capitalizeInPlace);
}

} // namespace velmix
