#include "rules/TitleCase.h"

#include "text/Surrogates.h"

namespace velmix {
namespace {

enum class Kind { Letter, WordPart, Other };

// Digits, marks and undecodable bytes belong to the word they stand in or start; an
// apostrophe only to a word already begun ("l’eau" is one word, "’78" is not). ASCII
// never comes here: appendTitleCased tells it itself, by the same rules. Cyrillic letters
// are told without a look-up.
Kind kindOf(char32_t c, bool inWord)
{
    if ((c >= 0x400 && c < 0x460) || QChar::isLetter(c))
        return Kind::Letter;
    if (QChar::isNumber(c) || QChar::isMark(c) || QChar::isSurrogate(c))
        return Kind::WordPart;
    return inWord && c == u'’' ? Kind::WordPart : Kind::Other;
}

// Of a letter beyond ASCII, as kindOf; Russian letters without a look-up.
char32_t capital(char32_t c)
{
    if (c >= u'а' && c <= u'я')
        return c - 32;
    return c >= u'А' && c <= u'Я' ? c : QChar::toTitleCase(c);
}

char32_t small(char32_t c)
{
    if (c >= u'А' && c <= u'Я')
        return c + 32;
    return c >= u'а' && c <= u'я' ? c : QChar::toLower(c);
}

} // namespace

void appendTitleCased(QStringView text, TitleCase titleCase, TextBuffer &out)
{
    bool inWord = false;
    for (qsizetype i = 0; i < text.size();) {
        if (const char16_t u = text[i].unicode(); u < 0x80) { // most names: no pair, no look-up
            const char16_t lower = u | 0x20;
            const bool letter = lower >= u'a' && lower <= u'z';
            if (!letter)
                inWord = (u >= u'0' && u <= u'9') || (inWord && u == u'\'');
            out.append(!letter ? u : !inWord ? char16_t(lower - 32) : titleCase == TitleCase::RestLower ? lower : u);
            inWord = inWord || letter;
            ++i;
            continue;
        }
        const qsizetype units = characterUnitsAt(text, i);
        const char32_t c = units == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        i += units;
        const Kind kind = kindOf(c, inWord);
        if (kind != Kind::Letter)
            out.appendCodePoint(c);
        else if (!inWord)
            out.appendCodePoint(capital(c));
        else
            out.appendCodePoint(titleCase == TitleCase::RestLower ? small(c) : c);
        inWord = kind != Kind::Other;
    }
}

} // namespace velmix
