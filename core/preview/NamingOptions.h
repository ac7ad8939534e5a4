#pragma once

#include "metadata/DateShifts.h"
#include "preview/NumberingOrder.h"

#include <QString>

namespace velmix {

// The six toggles, four numbering fields, the numbering order and restarts, and the
// cameras' date shifts that derive the new names.
struct NamingOptions
{
    static constexpr int BaseNameLimit = 50;
    // A base name holding a known field, whose names are long, takes this many characters.
    static constexpr int FieldBaseNameLimit = 200;
    static constexpr int StartTextLimit = 5;
    static constexpr int DigitWidthCount = 5;

    bool UpperCase = false;
    bool LowerCase = false;
    bool FirstLetterCapital = false;
    bool SpacesToUnderscores = false;
    bool UnderscoresToSpaces = false;
    bool Numbering = false;
    QString BaseName = QStringLiteral("-");
    QString StartText = QStringLiteral("1");
    QString StepText = QStringLiteral("1");
    int DigitWidthIndex = 0;
    NumberingOrder Order = NumberingOrder::ByName;
    // The running number starts again in each folder, on each day (by the date {дата} takes).
    bool RestartPerFolder = false;
    bool RestartPerDay = false;
    // The cameras' clocks put right: the dates of their files move.
    DateShifts Shifts;

    friend bool operator==(const NamingOptions &, const NamingOptions &) = default;
};

enum class Toggle { UpperCase, LowerCase, FirstLetterCapital, SpacesToUnderscores, UnderscoresToSpaces, Numbering };

} // namespace velmix
