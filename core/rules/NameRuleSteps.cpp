#include "NameRuleSteps.h"

#include "CutInsert.h"
#include "TitleCase.h"

#include <tuple>

namespace velmix {

qsizetype lengthBeforeExtension(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? dot : name.size();
}

NameRuleSteps::NameRuleSteps(const NameRules &rules)
    : m_rules(rules)
    , m_find(rules)
    , m_latin(rules.transliteration)
{
}

void NameRuleSteps::update(const NameRules &rules)
{
    const auto findSettings = [](const NameRules &r) {
        return std::tie(r.findText, r.replaceText, r.ignoreCase, r.regularExpression);
    };
    if (findSettings(rules) != findSettings(m_rules))
        m_find = FindReplace(rules);
    if (rules.transliteration != m_rules.transliteration)
        m_latin = Transliterator(rules.transliteration);
    m_rules = rules;
}

QStringView NameRuleSteps::ruled(QStringView name) const
{
    // Each rule reads one scratch buffer and writes the other; both keep their memory
    // from row to row.
    TextBuffer *from = &m_scratch;
    TextBuffer *to = &m_scratch2;
    from->clear();
    from->append(name);
    const auto step = [&](auto rule, bool beforeExtension) {
        to->clear();
        const QStringView text = from->view();
        const qsizetype end = beforeExtension ? lengthBeforeExtension(text) : text.size();
        rule(text.first(end), *to);
        to->append(text.sliced(end));
        std::swap(from, to);
    };
    if (m_find.isOn())
        step([&](QStringView text, TextBuffer &out) { m_find.appendReplaced(text, out); },
             m_rules.replaceScope == ReplaceScope::NameBeforeExtension);
    if (m_rules.cutsOrInserts())
        step([&](QStringView text, TextBuffer &out) { appendCutAndInserted(text, m_rules, out); }, true);
    if (m_rules.titleCase != TitleCase::Off)
        step([&](QStringView text, TextBuffer &out) { appendTitleCased(text, m_rules.titleCase, out); }, true);
    if (m_latin.isOn())
        step([&](QStringView text, TextBuffer &out) { m_latin.appendLatin(text, out); }, false);
    return from->view();
}

void NameRuleSteps::apply(FileNameTable &table) const
{
    if (!m_rules.anyOn())
        return;
    const NameColumn &names = table.newNames();
    NameColumn &ruled = table.spareColumn();
    ruled.beginRewrite(names.size(), names.totalLength() + names.size() * 8);
    for (qsizetype i = 0; i < names.size(); ++i)
        ruled.writeGrowing(this->ruled(names.at(i)));
    ruled.endRewrite();
    table.takeSpareAsNewNames();
}

} // namespace velmix
