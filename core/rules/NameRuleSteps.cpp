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

void NameRuleSteps::appendRuled(QStringView name, QString &out) const
{
    // Each rule reads one scratch text and writes the other; the two keep their memory
    // from row to row.
    QString &a = m_scratch;
    QString &b = m_scratch2;
    a.resize(0);
    a.append(name);
    const auto step = [&](auto rule, bool beforeExtension) {
        b.resize(0);
        const QStringView text(a);
        const qsizetype end = beforeExtension ? lengthBeforeExtension(text) : text.size();
        rule(text.first(end), b);
        b.append(text.sliced(end));
        std::swap(a, b);
    };
    if (m_find.isOn())
        step([&](QStringView text, QString &to) { m_find.appendReplaced(text, to); },
             m_rules.replaceScope == ReplaceScope::NameBeforeExtension);
    if (m_rules.cutsOrInserts())
        step([&](QStringView text, QString &to) { appendCutAndInserted(text, m_rules, to); }, true);
    if (m_rules.titleCase != TitleCase::Off)
        step([&](QStringView text, QString &to) { appendTitleCased(text, m_rules.titleCase, to); }, true);
    if (m_latin.isOn())
        step([&](QStringView text, QString &to) { m_latin.appendLatin(text, to); }, false);
    out.append(a);
}

void NameRuleSteps::apply(FileNameTable &table) const
{
    if (!m_rules.anyOn())
        return;
    const NameColumn &names = table.newNames();
    NameColumn &ruled = table.spareColumn();
    ruled.beginRewrite(names.size(), names.totalLength() + names.size() * 8);
    QString name;
    for (qsizetype i = 0; i < names.size(); ++i) {
        name.resize(0);
        appendRuled(names.at(i), name);
        ruled.writeGrowing(name);
    }
    ruled.endRewrite();
    table.takeSpareAsNewNames();
}

} // namespace velmix
