#include "preview/NameTransforms.h"

#include "text/Surrogates.h"
#include "work/AsyncTask.h"

#include <QChar>

#include <optional>

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
    // Most names are ASCII alone: one pass tells, another maps them, both without a
    // branch per character, so the compiler can do them several characters at a time.
    unsigned units = 0;
    for (qsizetype i = 0; i < length; ++i)
        units |= name[i];
    if (units < 0x80) {
        const char16_t from = to == Case::Upper ? u'a' : u'A';
        const int shift = to == Case::Upper ? -32 : 32;
        for (qsizetype i = 0; i < length; ++i)
            name[i] = char16_t(name[i] + (char16_t(name[i] - from) < 26 ? shift : 0));
        return;
    }
    for (qsizetype i = 0; i < length;)
        i += mapCharacterAt(name, i, length, to);
}

// Edits every new name, a large table in two parts, the second on another core where
// one is free: each row's name depends on that row alone.
template<typename Edit>
void editNewNames(FileNameTable &table, Edit edit)
{
    NameColumn &names = table.newNamesForEdit();
    names.detach(); // here, not in the two parts at once
    const qsizetype rows = names.size();
    const qsizetype half = rows >= PartedRows ? rows / 2 : rows;
    std::optional<AsyncTask<void>> second;
    if (half < rows)
        second.emplace([&] { names.editRows(half, rows, edit); });
    names.editRows(0, half, edit);
    if (second)
        second->take();
}

} // namespace

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
    editNewNames(table, upperCaseInPlace);
}

void ToLowerCase(FileNameTable &table)
{
    editNewNames(table, lowerCaseInPlace);
}

void ReplaceSpaces(FileNameTable &table)
{
    editNewNames(table, [](char16_t *name, qsizetype length) { replaceInPlace(name, length, u' ', u'_'); });
}

void ReplaceUnderscores(FileNameTable &table)
{
    editNewNames(table, [](char16_t *name, qsizetype length) { replaceInPlace(name, length, u'_', u' '); });
}

void CapitalizeFirstLetter(FileNameTable &table)
{
    editNewNames(table, capitalizeInPlace);
}

} // namespace velmix
