#pragma once

#include "LongWork.h"
#include "metadata/ListingMetadata.h"
#include "preview/FileNameTable.h"
#include "preview/NameFields.h"
#include "preview/Numbering.h"
#include "rules/FindReplace.h"
#include "rules/NameRules.h"
#include "rules/Transliteration.h"

#include <QDeadlineTimer>
#include <QString>

#include <array>
#include <optional>
#include <vector>

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
    // The fields of the inserted text; null where it holds nothing in braces.
    [[nodiscard]] const NameFields *insertFields() const { return m_insertFields ? &*m_insertFields : nullptr; }

    // Every new name of the table through the rules; nothing at all where all are off. A
    // large table runs in two parts, the second on another core where one is free; each
    // row's name depends on that row alone, so the result is the same either way. The
    // inserted text's fields take each row's metadata and number from these.
    void apply(FileNameTable &table, const ListingMetadata &metadata, const RunningNumber &number) const;
    // Whether the rules run an expression, the one step that can take long.
    [[nodiscard]] bool runsExpression() const { return m_find.isOn() && m_find.isExpression(); }
    // What apply computes, on any thread, the table left as it is: the rules' names of
    // `names` into `out`, and the rows the expression did not finish (the rows of
    // `folderRows` named whole, without an extension). Nothing where
    // `progress` was cancelled before the last row; it counts the rows done.
    [[nodiscard]] std::optional<std::vector<qsizetype>> rule(const NameColumn &names, NameColumn &out,
                                                            const ListingMetadata &metadata,
                                                            const RunningNumber &number,
                                                            WorkProgress *progress,
                                                            const std::vector<bool> &folderRows = {}) const;

    // The time the expression may take in one rebuild, all rows together; the rows it
    // does not reach in time keep their names before it, marked, so a hostile pattern
    // never holds the window for long.
    static constexpr int FindTimeBudgetMs = 1000;

private:
    // What one part's rows share, kept from row to row: the two buffers a name passes
    // between and the expression's match buffer. A cache line of its own, as the two
    // parts write their buffers' sizes at every character.
    struct alignas(64) Part
    {
        TextBuffer first;
        TextBuffer second;
        FindReplace::MatchBuffer matches;
        QString inserted; // the inserted text with the row's fields
        std::vector<qsizetype> bounded; // the rows the expression did not finish, in order
    };
    // What the inserted text's fields read, while apply runs.
    struct FieldValues
    {
        const ListingMetadata &metadata;
        const RunningNumber &number;
        const std::vector<bool> &folderRows; // per row, a folder: its name has no extension
    };
    // One new name through every rule that is on, in the panel's order; the view holds
    // until the part's next name.
    [[nodiscard]] QStringView ruled(QStringView name, qsizetype row, const FieldValues &values, bool findInTime,
                                    Part &part) const;
    void ruleRows(const NameColumn &names, qsizetype from, qsizetype to, const FieldValues &values,
                  const QDeadlineTimer &findTime, WorkProgress *progress, Part &part, NameColumn &out) const;
    void makeMatchBuffers();
    void compileInsertFields();

    NameRules m_rules;
    FindReplace m_find;
    Transliterator m_latin;
    std::optional<NameFields> m_insertFields;
    mutable std::array<Part, 2> m_parts;
    alignas(64) mutable NameColumn m_secondPart; // the second part's names, before they join the first's
};

} // namespace velmix
