#pragma once

#include "preview/FileNameTable.h"

#include <QStringView>

namespace velmix {

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
