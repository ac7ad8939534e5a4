#pragma once

#include "NameRules.h"
#include "TextBuffer.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <memory>

namespace velmix {

// Find and replace, compiled once from the rules: plain text, or a regular expression in
// QRegularExpression's syntax (the same PCRE2 engine, run here with one match buffer for
// all rows, as Qt's wrapper allocates several per match), whose replacement may name
// groups as \1 to \9 or $1 to $9 (\0 and $0: the whole match).
class FindReplace
{
public:
    FindReplace();
    explicit FindReplace(const NameRules &rules);
    ~FindReplace();
    FindReplace(FindReplace &&) noexcept;
    FindReplace &operator=(FindReplace &&) noexcept;

    // Off for an empty find text and for a pattern that does not compile.
    [[nodiscard]] bool isOn() const { return m_on; }
    // Why the pattern does not compile, with the place; else empty.
    [[nodiscard]] const QString &error() const { return m_error; }

    // Appends `text` with every match replaced. Undecodable bytes (lone surrogates) are
    // never matched by an expression: it runs on the text between them.
    void appendReplaced(QStringView text, TextBuffer &out) const;

private:
    // A piece of the replacement: literal text, or a group's number (`group` >= 0).
    struct Part
    {
        QString text;
        int group = -1;
    };
    struct Compiled; // the PCRE2 pattern and its match buffer
    void appendPlain(QStringView text, TextBuffer &out) const;
    void appendMatched(QStringView text, TextBuffer &out) const;

    bool m_on = false;
    QString m_find;
    Qt::CaseSensitivity m_case = Qt::CaseSensitive;
    QString m_replace;
    std::unique_ptr<Compiled> m_compiled;
    QList<Part> m_parts;
    QString m_error;
};

} // namespace velmix
