#include "CharacterLimitValidator.h"

#include "text/CharacterLimit.h"

#include <algorithm>

namespace velmix {

CharacterLimitValidator::CharacterLimitValidator(int limit, QObject *parent)
    : CharacterLimitValidator([limit](QStringView) { return limit; }, parent)
{
}

CharacterLimitValidator::CharacterLimitValidator(std::function<int(QStringView)> limitOf, QObject *parent)
    : QValidator(parent)
    , m_limitOf(std::move(limitOf))
{
}

QValidator::State CharacterLimitValidator::validate(QString &text, int &cursor) const
{
    const int limit = m_limitOf(text);
    if (characterCount(text) <= limit)
        return Acceptable;
    // What came in ends at the cursor; what follows it was there before and stays.
    const QString after = text.mid(cursor);
    const QString before = firstCharacters(text.left(cursor), std::max<qsizetype>(0, limit - characterCount(after)));
    text = firstCharacters(before + after, limit);
    cursor = int(std::min(before.size(), text.size()));
    return Acceptable;
}

} // namespace velmix
