#pragma once

#include "rules/ConflictChoice.h"

#include <QString>

namespace velmix {

// Where find and replace looks: the name before its extension (the last dot's part, a
// leading dot not counting), or the whole name.
enum class ReplaceScope : quint8 { NameBeforeExtension, WholeName };
// Title case: off, or every word's first letter capital with the rest as typed or lower.
enum class TitleCase : quint8 { Off, RestAsTyped, RestLower };
// Cyrillic to Latin: off, or one of the schemes.
enum class Transliteration : quint8 { Off, Gost779B, Passport, BgnPcgn };
// The extension's letters: as they are, small or capital.
enum class ExtensionCase : quint8 { AsIs, Lower, Upper };

// The rules that run on every new name after the naming options, in this order: find
// and replace, cut and insert at a position, title case, Cyrillic to Latin, the
// extension's letter case. All off and
// empty (the default) leaves every new name as the options made it. Last, what becomes
// of a new name that is taken.
struct NameRules
{
    QString findText;
    QString replaceText;
    bool ignoreCase = false;
    bool regularExpression = false;
    ReplaceScope replaceScope = ReplaceScope::NameBeforeExtension;

    // In characters as a reader sees them, in the name before the extension: `cutCount`
    // characters go from `position`, then `insertText` goes in where they were.
    int cutCount = 0;
    int position = 0;
    bool positionFromEnd = false;
    QString insertText;

    TitleCase titleCase = TitleCase::Off;
    Transliteration transliteration = Transliteration::Off;
    ExtensionCase extensionCase = ExtensionCase::AsIs;
    ConflictChoice conflicts = {};

    [[nodiscard]] bool replaces() const { return !findText.isEmpty(); }
    [[nodiscard]] bool cutsOrInserts() const { return cutCount > 0 || !insertText.isEmpty(); }
    [[nodiscard]] bool anyOn() const
    {
        return replaces() || cutsOrInserts() || titleCase != TitleCase::Off || transliteration != Transliteration::Off
               || extensionCase != ExtensionCase::AsIs;
    }

    friend bool operator==(const NameRules &, const NameRules &) = default;
};

} // namespace velmix
