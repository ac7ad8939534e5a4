#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace velmix {

// A file mask: patterns joined by ";", with "*" for any run of characters and "?" for one
// character, letter case ignored. A pattern ending in ".*" also takes a name without a
// dot whose whole name matches the part before ".*", so "*.*" lists every file.
class WildcardMask
{
public:
    explicit WildcardMask(const QString &mask = QStringLiteral("*.*"));

    // A mask as the user typed it, with the blanks around each pattern dropped. Nothing
    // when it holds no pattern, or a "/", which no file name holds.
    [[nodiscard]] static std::optional<QString> fromTyped(const QString &typed);

    [[nodiscard]] bool matches(QStringView name) const;
    [[nodiscard]] const QString &text() const { return m_text; }

private:
    QString m_text;
    QList<QString> m_patterns; // folded
    bool m_takesEveryName = false;
};

} // namespace velmix
