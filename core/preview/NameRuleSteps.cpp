#include "preview/NameRuleSteps.h"

#include "rules/CutInsert.h"
#include "rules/TitleCase.h"
#include "text/FileExtension.h"
#include "work/AsyncTask.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace velmix {

NameRuleSteps::NameRuleSteps(const NameRules &rules)
    : m_rules(rules)
    , m_find(rules)
    , m_latin(rules.transliteration)
{
    makeMatchBuffers();
    compileInsertFields();
}

void NameRuleSteps::compileInsertFields()
{
    m_insertFields.reset();
    if (!m_rules.insertText.contains(u'{'))
        return;
    NameFields fields(m_rules.insertText);
    if (fields.holdsFields())
        m_insertFields = std::move(fields);
}

void NameRuleSteps::makeMatchBuffers()
{
    for (Part &part : m_parts)
        part.matches = m_find.matchBuffer();
}

void NameRuleSteps::update(const NameRules &rules)
{
    const auto findSettings = [](const NameRules &r) {
        return std::tie(r.findText, r.replaceText, r.ignoreCase, r.regularExpression);
    };
    if (findSettings(rules) != findSettings(m_rules)) {
        m_find = FindReplace(rules);
        makeMatchBuffers();
    }
    if (rules.transliteration != m_rules.transliteration)
        m_latin = Transliterator(rules.transliteration);
    const bool newInsert = rules.insertText != m_rules.insertText;
    m_rules = rules;
    if (newInsert)
        compileInsertFields();
}

QStringView NameRuleSteps::ruled(QStringView name, qsizetype row, const FieldValues &values, bool findInTime,
                                 Part &part) const
{
    // The first rule reads the name itself; each one after reads the buffer the one before
    // wrote and writes the other. Both keep their memory from row to row.
    QStringView text = name;
    TextBuffer *to = &part.first;
    TextBuffer *spare = &part.second;
    const bool folder = size_t(row) < values.folderRows.size() && values.folderRows[size_t(row)];
    const auto beforeExtension = [folder](QStringView t) { return folder ? t.size() : lengthBeforeExtension(t); };
    const auto step = [&](auto rule, bool toExtension) {
        to->clear();
        const qsizetype end = toExtension ? beforeExtension(text) : text.size();
        rule(text.first(end), *to);
        to->append(text.sliced(end));
        text = to->view();
        std::swap(to, spare);
    };
    // An expression past its bound, or past the rebuild's time, leaves the row's name as
    // it was before it and the row marked.
    if (m_find.isOn() && !findInTime)
        part.bounded.push_back(row);
    else if (m_find.isOn())
        step(
            [&](QStringView piece, TextBuffer &out) {
                if (!m_find.appendReplaced(piece, part.matches, out))
                    part.bounded.push_back(row);
            },
            m_rules.replaceScope == ReplaceScope::NameBeforeExtension);
    if (m_rules.cutsOrInserts()) {
        QStringView inserted = m_rules.insertText;
        if (m_insertFields) {
            part.inserted.resize(0);
            m_insertFields->expand(values.metadata, row, values.number, part.inserted);
            inserted = part.inserted;
        }
        step([&](QStringView piece, TextBuffer &out) { appendCutAndInserted(piece, m_rules, inserted, out); }, true);
    }
    if (m_rules.titleCase != TitleCase::Off)
        step([&](QStringView piece, TextBuffer &out) { appendTitleCased(piece, m_rules.titleCase, out); }, true);
    if (m_latin.changes(text)) // most names hold no Cyrillic: nothing to copy
        step([&](QStringView piece, TextBuffer &out) { m_latin.appendLatin(piece, out); }, false);
    const qsizetype extension = beforeExtension(text);
    if (m_rules.extensionCase != ExtensionCase::AsIs && extension < text.size()) {
        const bool upper = m_rules.extensionCase == ExtensionCase::Upper;
        to->clear();
        to->append(text.first(extension));
        // Unit by unit: an extension's letters are in the basic plane, a pair stays as is.
        for (const QChar unit : text.sliced(extension)) {
            const char32_t c = unit.unicode();
            to->appendCodePoint(unit.isSurrogate() ? c : upper ? QChar::toUpper(c) : QChar::toLower(c));
        }
        text = to->view();
    }
    return text;
}

void NameRuleSteps::ruleRows(const NameColumn &names, qsizetype from, qsizetype to, const FieldValues &values,
                             const QDeadlineTimer &findTime, WorkProgress *progress, Part &part,
                             NameColumn &out) const
{
    part.bounded.clear();
    // While an expression runs, the clock and a cancel are read every few rows, and the
    // clock after each row it did not finish, the sign of a pattern that may take its
    // bound on every row.
    constexpr qsizetype RowsBetweenLooks = 8;
    const bool timed = m_find.isExpression();
    bool findInTime = true;
    size_t boundedBefore = 0;
    for (qsizetype i = from; i < to; ++i) {
        if ((i - from) % RowsBetweenLooks == 0 && progress) {
            if (progress->cancelled())
                return;
            progress->advance(std::min(RowsBetweenLooks, to - i));
        }
        if (findInTime && timed && ((i - from) % RowsBetweenLooks == 0 || part.bounded.size() > boundedBefore))
            findInTime = !findTime.hasExpired();
        boundedBefore = part.bounded.size();
        out.writeGrowing(ruled(names.at(i), i, values, findInTime, part));
    }
}

std::optional<std::vector<qsizetype>> NameRuleSteps::rule(const NameColumn &names, NameColumn &out,
                                                          const ListingMetadata &metadata,
                                                          const RunningNumber &number, WorkProgress *progress,
                                                          const std::vector<bool> &folderRows) const
{
    // ICU's rules run one text at a time whatever the threads, behind its own lock.
    const FieldValues values{metadata, number, folderRows};
    const QDeadlineTimer findTime(FindTimeBudgetMs);
    const qsizetype rows = names.size();
    if (progress)
        progress->setTotal(rows);
    const qsizetype bound = names.totalLength() + rows * 8;
    out.beginRewrite(rows, bound);
    const qsizetype half = rows >= PartedRows && m_rules.transliteration != Transliteration::BgnPcgn ? rows / 2 : rows;
    std::optional<AsyncTask<void>> second;
    if (half < rows) {
        second.emplace([&] {
            m_secondPart.beginRewrite(rows - half, bound);
            ruleRows(names, half, rows, values, findTime, progress, m_parts[1], m_secondPart);
            m_secondPart.endRewrite();
        });
    }
    ruleRows(names, 0, half, values, findTime, progress, m_parts[0], out);
    std::vector<qsizetype> bounded = m_parts[0].bounded;
    if (second) {
        second->take();
        for (qsizetype i = 0; i < m_secondPart.size(); ++i)
            out.writeGrowing(m_secondPart.at(i));
        bounded.insert(bounded.end(), m_parts[1].bounded.begin(), m_parts[1].bounded.end());
    }
    out.endRewrite();
    if (progress && progress->cancelled() && out.size() < rows)
        return std::nullopt;
    return bounded;
}

void NameRuleSteps::apply(FileNameTable &table, const ListingMetadata &metadata, const RunningNumber &number) const
{
    table.setBoundedRows({});
    if (!m_rules.anyOn())
        return;
    std::optional<std::vector<qsizetype>> bounded = rule(table.newNames(), table.spareColumn(), metadata, number, nullptr, table.folderRows());
    table.takeSpareAsNewNames();
    table.setBoundedRows(std::move(*bounded));
}

} // namespace velmix
