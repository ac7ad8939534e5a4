#include "rules/ConflictChoice.h"

#include <algorithm>

namespace velmix {

using namespace Qt::StringLiterals;

namespace {

// A number field at `at`: "{n}" or "{n:1}"…"{n:9}"; its length, 0 for none, and its width.
qsizetype numberFieldAt(QStringView pattern, qsizetype at, int &width)
{
    const QStringView rest = pattern.sliced(at);
    width = 1;
    if (rest.startsWith(u"{n}"))
        return 3;
    if (rest.size() >= 5 && rest.startsWith(u"{n:") && rest[3] >= u'1' && rest[3] <= u'9' && rest[4] == u'}') {
        width = rest[3].unicode() - u'0';
        return 5;
    }
    return 0;
}

} // namespace

QString ConflictChoice::numberPattern() const
{
    return rule == ConflictRule::Pattern ? pattern : u" ({n})"_s;
}

QString conflictPatternProblem(QStringView pattern)
{
    if (pattern.size() > ConflictChoice::PatternLimit)
        return u"шаблон длиннее %1 знаков"_s.arg(ConflictChoice::PatternLimit);
    if (pattern.contains(u'/'))
        return u"в шаблоне не может быть знака «/»"_s;
    if (std::any_of(pattern.begin(), pattern.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return u"в шаблоне не может быть управляющих знаков"_s;
    qsizetype fields = 0;
    int width = 1;
    for (qsizetype at = 0; at < pattern.size(); ++at)
        fields += numberFieldAt(pattern, at, width) > 0;
    if (fields != 1)
        return u"в шаблоне должно быть одно поле {n} (или {n:2} для двух цифр)"_s;
    return {};
}

QString numberedPattern(QStringView pattern, int number)
{
    int width = 1;
    for (qsizetype at = 0; at < pattern.size(); ++at) {
        if (const qsizetype length = numberFieldAt(pattern, at, width); length > 0)
            return pattern.first(at).toString() + u"%1"_s.arg(number, width, 10, QChar(u'0'))
                   + pattern.sliced(at + length).toString();
    }
    return pattern.toString();
}

} // namespace velmix
