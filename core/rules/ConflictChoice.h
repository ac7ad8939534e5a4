#pragma once

#include <QString>
#include <QStringView>

namespace velmix {

// What becomes of a row whose new name is taken: marked and left as it is (the safe
// default), given the first free number " (2)", " (3)"… before its extension, given a
// pattern of the user's holding {n} or {n:width}, or, for a burst of photos, given the
// sub-second the camera wrote (then a number, where that does not tell the rows apart).
enum class ConflictRule : quint8 { MarkAndSkip, AddNumber, Pattern, SubSecond };

struct ConflictChoice
{
    static constexpr int PatternLimit = 20;

    ConflictRule rule = ConflictRule::MarkAndSkip;
    QString pattern; // for ConflictRule::Pattern

    [[nodiscard]] bool fixes() const { return rule != ConflictRule::MarkAndSkip; }
    // The text put before the extension: the user's pattern, or " ({n})".
    [[nodiscard]] QString numberPattern() const;

    friend bool operator==(const ConflictChoice &, const ConflictChoice &) = default;
};

// Why a pattern cannot number taken names (in Russian), or empty: it must hold {n} or
// {n:1}…{n:9} once, and no "/" or control character.
[[nodiscard]] QString conflictPatternProblem(QStringView pattern);

// The pattern with its {n} as `number`, zero-filled to the width the pattern asks.
[[nodiscard]] QString numberedPattern(QStringView pattern, int number);

} // namespace velmix
