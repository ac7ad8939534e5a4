#pragma once

#include "FileNameTable.h"
#include "FindReplace.h"
#include "NameRules.h"
#include "Transliteration.h"

#include <QString>

namespace velmix {

// The rules compiled for the rows: the expression and the transliterator are built here,
// once per change of the rules, never per row.
class NameRuleSteps
{
public:
    NameRuleSteps() = default;
    explicit NameRuleSteps(const NameRules &rules);

    [[nodiscard]] const NameRules &rules() const { return m_rules; }
    // Takes new rules, compiling again only what their change touches.
    void update(const NameRules &rules);
    // Why the find text does not compile as an expression; else empty.
    [[nodiscard]] const QString &findError() const { return m_find.error(); }

    // One new name through every rule that is on, in the panel's order; the view holds
    // until the next call.
    [[nodiscard]] QStringView ruled(QStringView name) const;
    // Every new name of the table through the rules; nothing at all where all are off.
    void apply(FileNameTable &table) const;

private:
    NameRules m_rules;
    FindReplace m_find;
    Transliterator m_latin;
    mutable TextBuffer m_scratch;
    mutable TextBuffer m_scratch2;
};

// The length of the name before its extension: up to the last dot, where that dot is
// not the first character.
[[nodiscard]] qsizetype lengthBeforeExtension(QStringView name);

} // namespace velmix
