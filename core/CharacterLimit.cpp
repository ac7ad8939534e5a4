#include "CharacterLimit.h"

#include <QList>

namespace velmix {

namespace {

// The UTF-16 units of `text` that hold its first `characters` characters.
qsizetype unitsOf(QStringView text, qsizetype characters)
{
    qsizetype units = 0;
    for (; characters > 0 && units < text.size(); --characters) {
        const bool pair = text[units].isHighSurrogate() && units + 1 < text.size() && text[units + 1].isLowSurrogate();
        units += pair ? 2 : 1;
    }
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
