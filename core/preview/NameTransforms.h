#pragma once

#include "preview/FileNameTable.h"

#include <QStringView>

namespace velmix {

// The number of characters after the leftmost dot among positions 1 to L-1 (the last
// character is never looked at), or 0 when there is none.
[[nodiscard]] int FindExtensionDot(QStringView name);

// Length of the tail (from the first dot to the end). A name without any dot has an
// empty tail; a name whose only dot is its last character keeps "." as its tail.
[[nodiscard]] qsizetype tailLength(QStringView name);

// Per-name rules; each keeps the length of the name (one character in, one out).
void upperCaseInPlace(char16_t *name, qsizetype length);
void lowerCaseInPlace(char16_t *name, qsizetype length);
void capitalizeInPlace(char16_t *name, qsizetype length);
void replaceInPlace(char16_t *name, qsizetype length, char16_t from, char16_t to);

// Table steps: each rewrites the new-name column of every data row.
void ToUpperCase(FileNameTable &table);
void ToLowerCase(FileNameTable &table);
void ReplaceSpaces(FileNameTable &table);
void ReplaceUnderscores(FileNameTable &table);
void CapitalizeFirstLetter(FileNameTable &table);

} // namespace velmix
