#include "rules/TitleCase.h"

#include "text/Surrogates.h"

namespace velmix {
namespace {

enum class Kind { Letter, WordPart, Other };

// Digits, marks and undecodable bytes belong to the word they stand in or start; an
// apostrophe only to a word already begun ("l'eau" is one word, "'78" is not). Latin and
// Cyrillic letters are told without a look-up.
Kind kindOf(char32_t c, bool inWord)
{
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= 0x400 && c < 0x460))
        return Kind::Letter;
    if (c < 0x80) {
        if (c >= u'0' && c <= u'9')
            return Kind::WordPart;
        return inWord && c == u'\'' ? Kind::WordPart : Kind::Other;
    }
    if (QChar::isLetter(c))
        return Kind::Letter;
    if (QChar::isNumber(c) || QChar::isMark(c) || QChar::isSurrogate(c))
        return Kind::WordPart;
    return inWord && c == u'’' ? Kind::WordPart : Kind::Other;
}

char32_t capital(char32_t c)
{
    if (c >= u'a' && c <= u'z')
        return c - 32;
    if (c >= u'а' && c <= u'я')
        return c - 32;
    return c < 0x80 || (c >= u'А' && c <= u'Я') ? c : QChar::toTitleCase(c);
}

char32_t small(char32_t c)
{
    if (c >= u'A' && c <= u'Z')
        return c + 32;
    if (c >= u'А' && c <= u'Я')
        return c + 32;
    return c < 0x80 || (c >= u'а' && c <= u'я') ? c : QChar::toLower(c);
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
