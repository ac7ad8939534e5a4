#include "text/CharacterLimit.h"

#include "text/Surrogates.h"

#include <QList>

namespace velmix {

namespace {

// The UTF-16 units of `text` that hold its first `characters` characters.
qsizetype unitsOf(QStringView text, qsizetype characters)
{
    qsizetype units = 0;
    for (; characters > 0 && units < text.size(); --characters)
        units += characterUnitsAt(text, units);
    return units;
}

} // namespace

qsizetype characterCount(QStringView text)
{
    return text.toUcs4().size();
}

QString firstCharacters(const QString &text, qsizetype limit)
{
    return text.left(unitsOf(text, limit));
}

} // namespace velmix
