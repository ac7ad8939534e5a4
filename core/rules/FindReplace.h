#pragma once

#include "rules/NameRules.h"
#include "rules/TextBuffer.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <memory>

namespace velmix {

// Find and replace, compiled once from the rules: plain text, or a regular expression in
// QRegularExpression's syntax (the same PCRE2 engine, run here with one match buffer for
// all the rows a thread runs, as Qt's wrapper allocates several per match), whose
// replacement may name groups as \1 to \9 or $1 to $9 (\0 and $0: the whole match).
// The compiled pattern is only read while rows run, so threads may share it.
class FindReplace
{
public:
    // Where one thread's matches land; empty for plain text.
    class MatchBuffer
    {
    public:
        MatchBuffer();
        ~MatchBuffer();
        MatchBuffer(MatchBuffer &&) noexcept;
        MatchBuffer &operator=(MatchBuffer &&) noexcept;

    private:
        friend class FindReplace;
        struct Data;
        std::unique_ptr<Data> m_data;
    };

    FindReplace();
    explicit FindReplace(const NameRules &rules);
    ~FindReplace();
    FindReplace(FindReplace &&) noexcept;
    FindReplace &operator=(FindReplace &&) noexcept;

    // Off for an empty find text and for a pattern that does not compile.
    [[nodiscard]] bool isOn() const { return m_on; }
    // Whether it runs as a regular expression.
    [[nodiscard]] bool isExpression() const { return m_compiled != nullptr; }
    // Why the pattern does not compile, with the place; else empty.
    [[nodiscard]] const QString &error() const { return m_error; }

    [[nodiscard]] MatchBuffer matchBuffer() const;
    // Appends `text` with every match replaced. An expression takes the text as one
    // subject and never matches its undecodable bytes (lone surrogates): ^, $, \b, empty
    // matches and groups come out as perl's rename gives them on the same bytes. Each
    // match is bounded (MatchLimit steps, DepthLimit nested backtracks): where one runs
    // past the bound, `text` is appended unchanged and the result is false.
    [[nodiscard]] bool appendReplaced(QStringView text, MatchBuffer &matches, TextBuffer &out) const;

    // Far above what a name of a few hundred characters takes with any sane expression,
    // far below what a catastrophic one ((a+)+$) would run to: a millisecond or so for
    // most, some 40 ms for the worst ((.*a){25} on 255 characters).
    static constexpr uint32_t MatchLimit = 100'000;
    static constexpr uint32_t DepthLimit = 2'000;

private:
    // A piece of the replacement: literal text, or a group's number (`group` >= 0).
    struct Part
    {
        QString text;
        int group = -1;
    };
    struct Compiled; // the PCRE2 pattern
    void appendPlain(QStringView text, TextBuffer &out) const;
    [[nodiscard]] bool appendMatched(QStringView text, MatchBuffer &matches, TextBuffer &out) const;

    bool m_on = false;
    QString m_find;
    Qt::CaseSensitivity m_case = Qt::CaseSensitive;
    QString m_replace;
    std::unique_ptr<Compiled> m_compiled;
    QList<Part> m_parts;
    QString m_error;
};

} // namespace velmix
