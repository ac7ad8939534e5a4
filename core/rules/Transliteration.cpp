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

bool isWordPart(QChar c)
{
    return c.isLetter() || c.isMark();
}

// The word that starts at `at` and how its capitals come out, the same in every scheme: a
// word of two letters or more with no small letter stays in capitals (ЩУКА: SHCHUKA);
// elsewhere a capital spelled with several letters gives one capital (Щука: Shchuka).
struct Word
{
    qsizetype end;
    bool inCapitals;
};

Word wordAt(QStringView text, qsizetype at)
{
    qsizetype end = at;
    int letters = 0;
    bool small = false;
    for (; end < text.size() && isWordPart(text[end]); ++end) {
        if (text[end].isLetter()) {
            ++letters;
            small = small || text[end].isLower();
        }
    }
    return {end, letters >= 2 && !small};
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

QString icuLatin(const icu::Transliterator &rules, QStringView text)
{
    icu::UnicodeString run(false, reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()));
    rules.transliterate(run);
    return QString(reinterpret_cast<const QChar *>(run.getBuffer()), run.length());
}

// ICU spells the letters on both sides of its middle dot in capitals where one is a
// capital (Хэллоуин: KH·ellouin, Ыы: Y·Y). Such a run is spelled in small letters, and
// each capital raises the first letter of its own spelling, which starts where the
// spelling of the run before it ends.
QString icuLatinKeepingCapitals(const icu::Transliterator &rules, QStringView run)
{
    QString latin = icuLatin(rules, run);
    if (!latin.contains(u'\u00B7') || std::none_of(run.begin(), run.end(), [](QChar c) { return c.isUpper(); }))
        return latin;
    const QString small = run.toString().toLower();
    if (small.size() != run.size())
        return latin;
    QString spelled = icuLatin(rules, small);
    for (qsizetype i = 0; i < run.size(); ++i) {
        if (!run[i].isUpper())
            continue;
        const QString before = icuLatin(rules, QStringView(small).first(i));
        // Letter case aside, as the capitals before are raised already.
        if (!spelled.startsWith(before, Qt::CaseInsensitive))
            return latin; // the letters after changed the spelling before: left as ICU has it
        for (qsizetype at = before.size(); at < spelled.size(); ++at) {
            if (spelled[at].isLetter()) {
                spelled[at] = spelled[at].toUpper();
                break;
            }
        }
    }
    return spelled;
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
    Word word{0, false};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (i >= word.end && isWordPart(c))
            word = wordAt(text, i);
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
        for (qsizetype k = 0; k < latin.size(); ++k) {
            const auto letter = char16_t(latin[k].unicode());
            out.append(k == 0 || word.inCapitals ? asciiUpper(letter) : letter);
        }
    }
}

void Transliterator::appendFromIcu(QStringView text, TextBuffer &out) const
{
    if (!changes(text)) {
        out.append(text);
        return;
    }
    // ICU sees only the runs of well-formed text; an undecodable byte stays as it is. ICU
    // keeps a word in capitals only in part (MESTOROZHDENIYe) and a lone capital Ё as Ë,
    // so such words are spelled in small letters and given their capitals after.
    const icu::Transliterator &rules = *m_icu->rules;
    qsizetype runStart = 0;
    const auto appendRun = [&](qsizetype end) {
        if (end > runStart)
            out.append(icuLatinKeepingCapitals(rules, text.sliced(runStart, end - runStart)));
        runStart = end;
    };
    for (qsizetype i = 0; i < text.size();) {
        if (isLoneSurrogateAt(text, i)) {
            appendRun(i);
            out.append(text[i].unicode());
            runStart = ++i;
            continue;
        }
        if (!isWordPart(text[i])) {
            ++i;
            continue;
        }
        const Word word = wordAt(text, i);
        const QStringView letters = text.sliced(i, word.end - i);
        const bool loneCapital = letters.size() == 1 && letters[0].isUpper();
        if ((word.inCapitals || loneCapital) && std::any_of(letters.begin(), letters.end(), isCyrillic)) {
            appendRun(i);
            QString latin = icuLatin(rules, letters.toString().toLower());
            if (word.inCapitals)
                latin = latin.toUpper();
            else if (!latin.isEmpty())
                latin[0] = latin[0].toUpper();
            out.append(latin);
            runStart = word.end;
        }
        i = word.end;
    }
    appendRun(text.size());
}

} // namespace velmix
