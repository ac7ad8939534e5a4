#include "listing/WildcardMask.h"

#include "text/NameOrder.h"
#include "text/Surrogates.h"

#include <QStringList>

#include <algorithm>

namespace velmix {
namespace {

// Greedy match with one backtrack point, linear for practical masks.
bool matchesPattern(QStringView pattern, QStringView name)
{
    qsizetype p = 0, n = 0;
    qsizetype starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = ++p;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == u'?') {
            ++p;
            n += characterUnitsAt(name, n);
        } else if (p < pattern.size() && pattern[p].unicode() == foldCase(name[n].unicode())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP;
            starN += characterUnitsAt(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

// Stars only, or stars and ".*", which also takes the dot-less names the stars take.
bool takesEveryName(QStringView pattern)
{
    const QStringView stars = pattern.endsWith(u".*") ? pattern.chopped(2) : pattern;
    return !stars.isEmpty() && std::all_of(stars.begin(), stars.end(), [](QChar c) { return c == u'*'; });
}

} // namespace

WildcardMask::WildcardMask(const QString &mask)
    : m_text(mask)
{
    for (const QString &pattern : mask.split(u';', Qt::SkipEmptyParts)) {
        QString folded = pattern;
        for (QChar &unit : folded)
            unit = QChar(foldCase(unit.unicode()));
        m_takesEveryName = m_takesEveryName || takesEveryName(folded);
        m_patterns.append(folded);
    }
}

std::optional<QString> WildcardMask::fromTyped(const QString &typed)
{
    QStringList patterns;
    for (const QString &pattern : typed.split(u';'))
        if (const QString trimmed = pattern.trimmed(); !trimmed.isEmpty())
            patterns.append(trimmed);
    if (patterns.isEmpty() || typed.contains(u'/'))
        return std::nullopt;
    return patterns.join(u';');
}

bool WildcardMask::matches(QStringView name) const
{
    // The usual "*.*" takes every name; a large folder's listing then skips the matching.
    if (m_takesEveryName)
        return true;
    const bool hasDot = name.contains(u'.');
    for (const QString &pattern : m_patterns) {
        if (matchesPattern(pattern, name))
            return true;
        if (!hasDot && pattern.endsWith(u".*") && matchesPattern(QStringView(pattern).chopped(2), name))
            return true;
    }
    return false;
}

} // namespace velmix
