#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace velmix {

// A run of UTF-16 units of a name.
struct TextRun
{
    qsizetype start = 0;
    qsizetype length = 0;

    friend bool operator==(const TextRun &, const TextRun &) = default;
};

// What a new name changes of the old one, character by character as a reader sees them
// (a surrogate pair, or a letter with its combining marks, is never split): the runs of
// the new name that are new to it (inserted, or put in place of others), and the runs of
// the old name that are gone. Letter case counts: "a" to "A" is a change.
struct NameDifference
{
    std::vector<TextRun> added;   // in the new name
    std::vector<TextRun> removed; // in the old name
};

// The longest common run of characters decides what stays; names longer than a few
// hundred characters each are compared by their common start and end alone.
[[nodiscard]] NameDifference differenceOf(QStringView oldName, QStringView newName);

// What a screen reader says of the change, "изменено: «Vac_»", or "удалено: «x»" where
// the new name only lost characters; empty where the names are the same.
[[nodiscard]] QString describeChange(QStringView oldName, QStringView newName, const NameDifference &difference);

} // namespace velmix
