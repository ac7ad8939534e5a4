#pragma once

#include "sets/RuleSet.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace velmix {

// The rule sets saved under names the user typed, one INI file each (readable, diffable)
// in $XDG_CONFIG_HOME/velmix/sets/. A set that is damaged or from a later version is
// never half-loaded: it is named in one line and skipped.
class RuleSetStore
{
public:
    // The settings of the last apply, kept on every apply; always the list's first entry.
    static const QString LastApplied;
    static constexpr int Version = 1;

    explicit RuleSetStore(QString folder = defaultFolder());
    [[nodiscard]] static QString defaultFolder();
    [[nodiscard]] const QString &folder() const { return m_folder; }

    struct Listing
    {
        QStringList names;   // LastApplied first where it is kept, then the others by name
        QStringList skipped; // one line for each set that cannot be read
    };
    [[nodiscard]] Listing list() const;

    // The set, or nothing with `problem` saying why, in one line.
    [[nodiscard]] std::optional<RuleSet> load(const QString &name, QString &problem) const;
    // Why a name cannot be a set's, or empty: none, "/", a control character, too long.
    [[nodiscard]] static QString nameProblem(const QString &name);
    // Saves the set, over one of the same name; empty, or why not.
    QString save(const QString &name, const RuleSet &set);
    QString keepLastApplied(const RuleSet &set);
    // Empty, or why not.
    QString remove(const QString &name);

private:
    [[nodiscard]] QString pathOf(const QString &name) const;
    QString write(const QString &name, const RuleSet &set);

    QString m_folder;
};

} // namespace velmix
