#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

namespace velmix {

// Where a batch over a tree left what lies below the folders it renamed. A batch names
// every entry by its path as the tree was before it, and renames the folders last; once
// it is done, an entry below a renamed folder is found under that folder's new name.
class RenamedFolders
{
public:
    // Notes that the entry at `before` (a path below the chosen folder) is now named as
    // the last part of `after`; a file noted so changes nothing, as nothing lies below it.
    void renamed(QStringView before, QStringView after);
    [[nodiscard]] bool isEmpty() const { return m_newNames.isEmpty(); }
    // `path`, read as the tree was before the batch, with every folder above it under the
    // name the batch gave it; its own last part stays.
    [[nodiscard]] QString now(QStringView path) const;

    bool operator==(const RenamedFolders &) const = default;

private:
    QHash<QString, QString> m_newNames; // by path before, the new last part
};

} // namespace velmix
