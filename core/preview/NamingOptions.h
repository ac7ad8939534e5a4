#pragma once

#include "preview/NumberingOrder.h"

#include <QString>

namespace velmix {

// The six toggles, four numbering fields and the numbering order that derive the new names.
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

    friend bool operator==(const NamingOptions &, const NamingOptions &) = default;
};

enum class Toggle { UpperCase, LowerCase, FirstLetterCapital, SpacesToUnderscores, UnderscoresToSpaces, Numbering };

} // namespace velmix
