#pragma once

#include "NameRules.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringView>

namespace velmix {

// Find and replace, compiled once from the rules: plain text or a regular expression,
// whose replacement may name groups as \1 to \9 or $1 to $9 (\0 and $0: the whole match).
class FindReplace
{
public:
    FindReplace() = default;
    explicit FindReplace(const NameRules &rules);

    // Off for an empty find text and for a pattern that does not compile.
    [[nodiscard]] bool isOn() const { return m_on; }
    // Why the pattern does not compile, in the words of the expression engine; else empty.
    [[nodiscard]] const QString &error() const { return m_error; }

    // Appends `text` with every match replaced to `out`. Undecodable bytes (lone
    // surrogates) are never matched by an expression: it runs on the text between them.
    void appendReplaced(QStringView text, QString &out) const;

private:
    // A piece of the replacement: literal text, or a group's number (`group` >= 0).
    struct Part
    {
        QString text;
        int group = -1;
    };
    void appendPlain(QStringView text, QString &out) const;
    void appendMatched(QStringView text, QString &out) const;

    bool m_on = false;
    QString m_find;
    Qt::CaseSensitivity m_case = Qt::CaseSensitive;
    QString m_replace;
    QRegularExpression m_expression;
    bool m_usesExpression = false;
    QList<Part> m_parts;
    QString m_error;
};

} // namespace velmix
