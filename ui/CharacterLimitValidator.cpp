#include "CharacterLimitValidator.h"

#include "text/CharacterLimit.h"

#include <algorithm>

namespace velmix {

CharacterLimitValidator::CharacterLimitValidator(int limit, QObject *parent)
    : QValidator(parent)
    , m_limit(limit)
{
}

QValidator::State CharacterLimitValidator::validate(QString &text, int &cursor) const
{
    if (characterCount(text) <= m_limit)
        return Acceptable;
    // What came in ends at the cursor; what follows it was there before and stays.
    const QString after = text.mid(cursor);
    const QString before = firstCharacters(text.left(cursor), std::max<qsizetype>(0, m_limit - characterCount(after)));
    text = firstCharacters(before + after, m_limit);
    cursor = int(std::min(before.size(), text.size()));
    return Acceptable;
}

} // namespace velmix
