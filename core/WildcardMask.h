#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace velmix {

// A file mask: patterns joined by ";", with "*" for any run of characters and "?" for one
// character, letter case ignored. A pattern ending in ".*" also takes a name without a
// dot whose whole name matches the part before ".*", so "*.*" lists every file.
class WildcardMask
{
public:
    explicit WildcardMask(const QString &mask = QStringLiteral("*.*"));

    [[nodiscard]] bool matches(QStringView name) const;
    [[nodiscard]] const QString &text() const { return m_text; }

private:
    QString m_text;
    QList<QString> m_patterns; // folded
    bool m_takesEveryName = false;
};

} // namespace velmix
