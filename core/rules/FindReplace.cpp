#include "rules/FindReplace.h"

#include "rules/ExpressionError.h"
#include "text/Surrogates.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>

namespace velmix {

struct FindReplace::Compiled
{
    ~Compiled()
    {
        pcre2_match_context_free(bounds);
        pcre2_code_free(code);
    }
    pcre2_code *code = nullptr;
    pcre2_match_context *bounds = nullptr; // the match and depth limits
    bool jit = false;
};

struct FindReplace::MatchBuffer::Data
{
    ~Data()
    {
        pcre2_match_data_free(matches);
        pcre2_match_data_free(atByte);
    }
    pcre2_match_data *matches = nullptr;
    pcre2_match_data *atByte = nullptr; // an empty match at an undecodable byte, asked for alone
};

FindReplace::MatchBuffer::MatchBuffer() = default;
FindReplace::MatchBuffer::~MatchBuffer() = default;
FindReplace::MatchBuffer::MatchBuffer(MatchBuffer &&) noexcept = default;
FindReplace::MatchBuffer &FindReplace::MatchBuffer::operator=(MatchBuffer &&) noexcept = default;

FindReplace::FindReplace() = default;
FindReplace::~FindReplace() = default;
FindReplace::FindReplace(FindReplace &&) noexcept = default;
FindReplace &FindReplace::operator=(FindReplace &&) noexcept = default;

FindReplace::FindReplace(const NameRules &rules)
    : m_find(rules.findText)
    , m_case(rules.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive)
    , m_replace(rules.replaceText)
{
    if (m_find.isEmpty())
        return;
    if (!rules.regularExpression) {
        m_on = true;
        return;
    }
    // The options QRegularExpression gives PCRE2, with its case option and Unicode
    // properties: \w, \b and \d take Cyrillic letters and other scripts' digits too.
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    auto compiled = std::make_unique<Compiled>();
    // A name that is not UTF-8 is one subject: its undecodable bytes (lone surrogates)
    // match nothing, and ^, $, \b and empty matches see the name whole.
    compiled->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(m_find.utf16()), PCRE2_SIZE(m_find.size()),
                                   PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_UCP | (rules.ignoreCase ? PCRE2_CASELESS : 0),
                                   &errorCode, &errorOffset, nullptr);
    if (!compiled->code) {
        m_error = expressionError(errorCode, qsizetype(errorOffset) + 1);
        return;
    }
    compiled->jit = pcre2_jit_compile(compiled->code, PCRE2_JIT_COMPLETE) == 0; // else the interpreter runs
    compiled->bounds = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(compiled->bounds, MatchLimit);
    pcre2_set_depth_limit(compiled->bounds, DepthLimit);
    m_compiled = std::move(compiled);
    // The replacement is read once: "\3" or "$3" names group 3; a backslash or dollar
    // before anything else stands for itself.
    QString literal;
    for (qsizetype i = 0; i < m_replace.size(); ++i) {
        const QChar c = m_replace[i];
        const bool groupFollows = (c == u'\\' || c == u'$') && i + 1 < m_replace.size()
                                  && m_replace[i + 1] >= u'0' && m_replace[i + 1] <= u'9';
        if (!groupFollows) {
            literal.append(c);
            continue;
        }
        if (!literal.isEmpty())
            m_parts.append({std::exchange(literal, {}), -1});
        m_parts.append({{}, m_replace[++i].unicode() - u'0'});
    }
    if (!literal.isEmpty())
        m_parts.append({literal, -1});
    m_on = true;
}

FindReplace::MatchBuffer FindReplace::matchBuffer() const
{
    MatchBuffer buffer;
    if (m_compiled) {
        buffer.m_data = std::make_unique<MatchBuffer::Data>();
        buffer.m_data->matches = pcre2_match_data_create_from_pattern(m_compiled->code, nullptr);
        buffer.m_data->atByte = pcre2_match_data_create_from_pattern(m_compiled->code, nullptr);
    }
    return buffer;
}

bool FindReplace::appendReplaced(QStringView text, MatchBuffer &matches, TextBuffer &out) const
{
    if (!m_on) {
        out.append(text);
        return true;
    }
    if (!m_compiled) {
        appendPlain(text, out);
        return true;
    }
    const qsizetype before = out.size();
    if (appendMatched(text, matches, out))
        return true;
    out.truncate(before);
    out.append(text);
    return false;
}

void FindReplace::appendPlain(QStringView text, TextBuffer &out) const
{
    qsizetype from = 0;
    for (qsizetype at; (at = text.indexOf(m_find, from, m_case)) >= 0; from = at + m_find.size()) {
        out.append(text.sliced(from, at - from));
        out.append(m_replace);
    }
    out.append(text.sliced(from));
}

// Every match, as perl's s///g finds them: after an empty match the next one must not be
// empty at the same place, else the search moves on a character. A search never tries the
// place before an undecodable byte, where perl may find an empty match: that one is asked
// for alone, of the name up to there, as no pattern matches the byte after it.
bool FindReplace::appendMatched(QStringView text, MatchBuffer &buffer, TextBuffer &out) const
{
    const auto subject = reinterpret_cast<PCRE2_SPTR>(text.utf16());
    const auto length = PCRE2_SIZE(text.size());
    pcre2_match_data *matches = buffer.m_data->matches;
    pcre2_match_data *atByte = buffer.m_data->atByte;
    // The JIT's own entry skips the checks the general one makes on every call; a search
    // anchored at match time only the general one takes.
    const auto search = [&](PCRE2_SIZE start, uint32_t options) {
        return m_compiled->jit && !(options & PCRE2_ANCHORED)
                   ? pcre2_jit_match(m_compiled->code, subject, length, start, options, matches, m_compiled->bounds)
                   : pcre2_match(m_compiled->code, subject, length, start, options, matches, m_compiled->bounds);
    };
    const auto matchEmptyAt = [&](PCRE2_SIZE at) {
        return pcre2_match(m_compiled->code, subject, at, at, PCRE2_ANCHORED | PCRE2_NOTEOL, atByte, m_compiled->bounds);
    };
    // No match is no error; any other error is a bound the match ran past.
    const auto bounded = [](int found) { return found < 0 && found != PCRE2_ERROR_NOMATCH; };
    // Most names hold no surrogate at all: one tight pass tells, and spares the look at
    // every place between matches.
    const bool holdsSurrogates = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); });
    const auto isByte = [&](PCRE2_SIZE at) {
        return holdsSurrogates && at < length && isLoneSurrogateAt(text, qsizetype(at));
    };
    PCRE2_SIZE from = 0; // copied up to here
    const auto replace = [&](pcre2_match_data *found) {
        const PCRE2_SIZE *groups = pcre2_get_ovector_pointer(found);
        const auto groupCount = int(pcre2_get_ovector_count(found));
        out.append(text.sliced(qsizetype(from), qsizetype(groups[0] - from)));
        for (const Part &part : m_parts) {
            if (part.group < 0)
                out.append(part.text);
            else if (part.group < groupCount && groups[2 * part.group] != PCRE2_UNSET)
                out.append(text.sliced(qsizetype(groups[2 * part.group]),
                                       qsizetype(groups[2 * part.group + 1] - groups[2 * part.group])));
        }
        from = groups[1];
    };
    PCRE2_SIZE at = 0;       // next search from here
    bool afterEmpty = false; // an empty match ended at `at`
    while (at <= length) {
        if (isByte(at)) {
            const int empty = afterEmpty ? PCRE2_ERROR_NOMATCH : matchEmptyAt(at);
            if (bounded(empty))
                return false;
            if (empty >= 0)
                replace(atByte);
            afterEmpty = false;
            ++at;
            continue;
        }
        int found = search(at, afterEmpty ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0);
        if (bounded(found))
            return false;
        const PCRE2_SIZE *groups = pcre2_get_ovector_pointer(matches);
        if (afterEmpty && found >= 0 && groups[0] != at)
            found = -1; // the anchor holds only within a run of valid text: a match further on is none
        if (found < 0 && afterEmpty) {
            at += PCRE2_SIZE(characterUnitsAt(text, qsizetype(at)));
            afterEmpty = false;
            continue;
        }
        const PCRE2_SIZE start = found < 0 ? length : groups[0];
        for (PCRE2_SIZE between = at + 1; holdsSurrogates && between < start; ++between) {
            const int empty = isByte(between) ? matchEmptyAt(between) : PCRE2_ERROR_NOMATCH;
            if (bounded(empty))
                return false;
            if (empty >= 0)
                replace(atByte);
        }
        if (found < 0)
            break;
        replace(matches);
        afterEmpty = groups[0] == groups[1];
        at = groups[1];
    }
    out.append(text.sliced(qsizetype(from)));
    return true;
}

} // namespace velmix
