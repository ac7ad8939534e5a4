#include "rules/Transliteration.h"

#include "text/Surrogates.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <QtGlobal>

#include <algorithm>
#include <array>

namespace velmix {
namespace {

// The lower-case Russian letters а to я in alphabet order, then ё.
constexpr int RussianLetters = 33;
using Table = std::array<const char *, RussianLetters>;

// GOST 7.79-2000, system B (Latin letters only, with ` and `` for the signs); ц is "c"
// before i, e, y and j, "cz" elsewhere.
constexpr Table gost779B = {"a", "b", "v", "g", "d", "e", "zh", "z", "i", "j", "k", "l", "m", "n", "o", "p", "r",
                            "s", "t", "u", "f", "x", "cz", "ch", "sh", "shh", "``", "y`", "`", "e`", "yu", "ya",
                            "yo"};
// ICAO Doc 9303, Part 3, as Russian passports spell names since 2013.
constexpr Table passport = {"a", "b", "v", "g", "d", "e", "zh", "z", "i", "i", "k", "l", "m", "n", "o", "p", "r",
                            "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "ie", "y", "", "e", "iu", "ia",
                            "e"};

constexpr char16_t LetterTse = u'ц';

// The table's row of a Russian letter of either case, or -1.
int rowOf(char16_t c)
{
    if (c >= u'а' && c <= u'я')
        return c - u'а';
    if (c >= u'А' && c <= u'Я')
        return c - u'А';
    return c == u'ё' || c == u'Ё' ? 32 : -1;
}

char16_t asciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
}

bool isUpperLetter(QChar c)
{
    return c.isLetter() && c.isUpper();
}

// The Latin letter the text goes on with after position `at`, lower case, or 0.
char16_t nextLatin(QStringView text, qsizetype at, const Table &table)
{
    if (at + 1 >= text.size())
        return 0;
    const char16_t next = text[at + 1].unicode();
    const int row = rowOf(next);
    if (row >= 0)
        return char16_t(table[size_t(row)][0]);
    return next < 0x80 ? QChar::toLower(next) : 0;
}

bool isCyrillic(QChar c)
{
    return c.unicode() >= 0x400 && c.unicode() < 0x530;
}

} // namespace

struct Transliterator::IcuRules
{
    std::unique_ptr<icu::Transliterator> rules;
};

Transliterator::Transliterator(Transliteration scheme)
    : m_scheme(scheme)
{
    if (scheme != Transliteration::BgnPcgn)
        return;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> rules(
        icu::Transliterator::createInstance("Russian-Latin/BGN", UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !rules) {
        qWarning("ICU has no Russian-Latin/BGN transliterator: %s", u_errorName(status));
        return;
    }
    m_icu = std::make_unique<IcuRules>(IcuRules{std::move(rules)});
}

Transliterator::~Transliterator() = default;
Transliterator::Transliterator(Transliterator &&) noexcept = default;
Transliterator &Transliterator::operator=(Transliterator &&) noexcept = default;

bool Transliterator::changes(QStringView text) const
{
    switch (m_scheme) {
    case Transliteration::Off: return false;
    case Transliteration::Gost779B:
    case Transliteration::Passport:
        return std::any_of(text.begin(), text.end(), [](QChar c) { return rowOf(c.unicode()) >= 0; });
    case Transliteration::BgnPcgn: return m_icu && std::any_of(text.begin(), text.end(), isCyrillic);
    }
    return false;
}

void Transliterator::appendLatin(QStringView text, TextBuffer &out) const
{
    switch (m_scheme) {
    case Transliteration::Off: out.append(text); return;
    case Transliteration::Gost779B:
    case Transliteration::Passport: appendFromTable(text, out); return;
    case Transliteration::BgnPcgn: appendFromIcu(text, out); return;
    }
}

void Transliterator::appendFromTable(QStringView text, TextBuffer &out) const
{
    const Table &table = m_scheme == Transliteration::Gost779B ? gost779B : passport;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const int row = rowOf(c.unicode());
        if (row < 0) {
            out.append(c.unicode());
            continue;
        }
        QLatin1StringView latin(table[size_t(row)]);
        const bool tse = c.toLower() == QChar(LetterTse);
        if (tse && m_scheme == Transliteration::Gost779B && QStringView(u"iejy").contains(QChar(nextLatin(text, i, table))))
            latin = QLatin1StringView("c");
        const bool capital = c.unicode() < u'а';
        if (!capital || latin.isEmpty()) {
            for (const char letter : latin)
                out.append(char16_t(letter));
            continue;
        }
        // A capital spelled with several letters is all capitals within a word in
        // capitals (ЩУКА: SHCHUKA), else capital first (Щука: Shchuka).
        const bool nextIsLetter = i + 1 < text.size() && text[i + 1].isLetter();
        const bool inCapitals = nextIsLetter ? isUpperLetter(text[i + 1]) : i > 0 && isUpperLetter(text[i - 1]);
        for (qsizetype k = 0; k < latin.size(); ++k) {
            const auto letter = char16_t(latin[k].unicode());
            out.append(k == 0 || inCapitals ? asciiUpper(letter) : letter);
        }
    }
}

void Transliterator::appendFromIcu(QStringView text, TextBuffer &out) const
{
    if (!changes(text)) {
        out.append(text);
        return;
    }
    // ICU sees only the runs of well-formed text; an undecodable byte stays as it is.
    qsizetype runStart = 0;
    const auto appendRun = [&](qsizetype end) {
        icu::UnicodeString run(false, reinterpret_cast<const UChar *>(text.utf16() + runStart), int32_t(end - runStart));
        m_icu->rules->transliterate(run);
        out.append(QStringView(reinterpret_cast<const char16_t *>(run.getBuffer()), run.length()));
        runStart = end;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLoneSurrogateAt(text, i))
            continue;
        appendRun(i);
        out.append(text[i].unicode());
        runStart = i + 1;
    }
    appendRun(text.size());
}

} // namespace velmix
