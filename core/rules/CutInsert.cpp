#include "rules/CutInsert.h"

#include <QList>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace velmix {
namespace {

// Whether every unit of `text` is a whole character on its own: no surrogate, no mark,
// no joiner or other format character, no Hangul jamo and no CR (which joins a following
// LF). Nearly all names are, and skip the boundary finder.
bool unitsAreCharacters(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        if (u < 0x300)
            return u != u'\r';
        if (u >= 0x400 && u < 0x483)
            return true;
        if ((u >= 0x1100 && u < 0x1200) || (u >= 0xA960 && u < 0xA980) || (u >= 0xD7B0 && u < 0xD800))
            return false;
        switch (c.category()) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
            return false;
        default:
            return true;
        }
    });
}

// The unit offset of each character boundary, 0 and the text's size included.
QList<qsizetype> characterBoundaries(QStringView text)
{
    QList<qsizetype> boundaries;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    for (qsizetype at = 0; at >= 0; at = finder.toNextBoundary())
        boundaries.append(at);
    if (boundaries.last() != text.size())
        boundaries.append(text.size());
    return boundaries;
}

} // namespace

void appendCutAndInserted(QStringView text, const NameRules &rules, QStringView inserted, TextBuffer &out)
{
    const bool simple = unitsAreCharacters(text);
    const QList<qsizetype> boundaries = simple ? QList<qsizetype>() : characterBoundaries(text);
    const qsizetype characters = simple ? text.size() : boundaries.size() - 1;
    const auto unitAt = [&](qsizetype character) { return simple ? character : boundaries[character]; };

    const qsizetype position = std::clamp<qsizetype>(rules.position, 0, characters);
    const qsizetype cut = std::max(0, rules.cutCount);
    const qsizetype cutEnd = rules.positionFromEnd ? characters - position : std::min(characters, position + cut);
    const qsizetype cutStart = rules.positionFromEnd ? std::max<qsizetype>(0, cutEnd - cut) : position;
    out.append(text.first(unitAt(cutStart)));
    out.append(inserted);
    out.append(text.sliced(unitAt(cutEnd)));
}

} // namespace velmix
