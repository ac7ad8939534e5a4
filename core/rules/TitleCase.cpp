#include "TitleCase.h"

#include "Surrogates.h"

namespace velmix {
namespace {

// Digits, marks and undecodable bytes belong to the word they stand in or start; an
// apostrophe only to a word already begun ("l'eau" is one word, "'78" is not).
bool continuesWord(char32_t c, bool inWord)
{
    if (QChar::isNumber(c) || QChar::isMark(c) || QChar::isSurrogate(c))
        return true;
    return inWord && (c == u'\'' || c == u'’');
}

void appendCodePoint(char32_t c, QString &out)
{
    if (QChar::requiresSurrogates(c)) {
        out.append(QChar(QChar::highSurrogate(c)));
        out.append(QChar(QChar::lowSurrogate(c)));
    } else {
        out.append(QChar(char16_t(c)));
    }
}

} // namespace

void appendTitleCased(QStringView text, TitleCase titleCase, QString &out)
{
    bool inWord = false;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype units = characterUnitsAt(text, i);
        const char32_t c = units == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        i += units;
        if (!QChar::isLetter(c)) {
            appendCodePoint(c, out);
            inWord = continuesWord(c, inWord);
            continue;
        }
        appendCodePoint(!inWord ? QChar::toTitleCase(c) : titleCase == TitleCase::RestLower ? QChar::toLower(c) : c, out);
        inWord = true;
    }
}

} // namespace velmix
