#include "FindReplace.h"

#include "Surrogates.h"

namespace velmix {
namespace {

bool isLoneSurrogateAt(QStringView text, qsizetype at)
{
    return text[at].isSurrogate() && !isSurrogatePairAt(text, at)
           && !(at > 0 && isSurrogatePairAt(text, at - 1));
}

} // namespace

FindReplace::FindReplace(const NameRules &rules)
    : m_find(rules.findText)
    , m_case(rules.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive)
    , m_replace(rules.replaceText)
    , m_usesExpression(rules.regularExpression)
{
    if (m_find.isEmpty())
        return;
    if (!m_usesExpression) {
        m_on = true;
        return;
    }
    m_expression.setPattern(m_find);
    m_expression.setPatternOptions(rules.ignoreCase ? QRegularExpression::CaseInsensitiveOption
                                                    : QRegularExpression::NoPatternOption);
    if (!m_expression.isValid()) {
        m_error = m_expression.errorString();
        return;
    }
    m_expression.optimize();
    // The replacement is read once: "\3" or "$3" names group 3; a backslash or dollar
    // before anything else stands for itself.
    QString literal;
    for (qsizetype i = 0; i < m_replace.size(); ++i) {
        const QChar c = m_replace[i];
        const bool groupFollows = (c == u'\\' || c == u'$') && i + 1 < m_replace.size()
                                  && m_replace[i + 1] >= u'0' && m_replace[i + 1] <= u'9';
        if (!groupFollows) {
            literal.append(c);
            continue;
        }
        if (!literal.isEmpty())
            m_parts.append({std::exchange(literal, {}), -1});
        m_parts.append({{}, m_replace[++i].unicode() - u'0'});
    }
    if (!literal.isEmpty())
        m_parts.append({literal, -1});
    m_on = true;
}

void FindReplace::appendReplaced(QStringView text, QString &out) const
{
    if (!m_on) {
        out.append(text);
        return;
    }
    if (!m_usesExpression) {
        appendPlain(text, out);
        return;
    }
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLoneSurrogateAt(text, i))
            continue;
        appendMatched(text.sliced(runStart, i - runStart), out);
        out.append(text[i]);
        runStart = i + 1;
    }
    appendMatched(text.sliced(runStart), out);
}

void FindReplace::appendPlain(QStringView text, QString &out) const
{
    qsizetype from = 0;
    for (qsizetype at; (at = text.indexOf(m_find, from, m_case)) >= 0; from = at + m_find.size()) {
        out.append(text.sliced(from, at - from));
        out.append(m_replace);
    }
    out.append(text.sliced(from));
}

void FindReplace::appendMatched(QStringView text, QString &out) const
{
    qsizetype from = 0;
    QRegularExpressionMatchIterator matches = m_expression.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        out.append(text.sliced(from, match.capturedStart() - from));
        for (const Part &part : m_parts)
            part.group < 0 ? out.append(part.text) : out.append(match.capturedView(part.group));
        from = match.capturedEnd();
    }
    out.append(text.sliced(from));
}

} // namespace velmix
