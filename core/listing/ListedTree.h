#pragma once

#include "listing/FolderRules.h"
#include "text/NameColumn.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace velmix {

// The folders of a listing with subfolders: every row names its folder by an index into
// this one table, so a folder's path is kept once, not once per file.
struct ListedTree
{
    // Relative to the chosen folder, parts joined by "/"; the first is "" (the folder
    // itself), and a folder comes before the folders inside it.
    QStringList folders;
    std::vector<FolderRules> rules; // per folder: each judges the names of its own files

    // The folder's path with a trailing "/", or nothing for the chosen folder itself.
    [[nodiscard]] QString prefix(quint32 folder) const
    {
        return folders[folder].isEmpty() ? QString() : folders[folder] + u'/';
    }
    // A name of the folder as a path below the chosen folder.
    [[nodiscard]] QString path(quint32 folder, QStringView name) const
    {
        return withPrefix(prefix(folder), name);
    }
    [[nodiscard]] static QString withPrefix(QString prefix, QStringView name)
    {
        prefix += name;
        return prefix;
    }
};

// What one read of a tree found: the matching files and the other entries of every
// folder, each with the index of its folder.
struct TreeEntries
{
    NameColumn names;
    std::vector<quint32> folderOfName;
    std::vector<bool> folderRow; // per name, where folders are listed as rows: a folder itself
    NameColumn unlisted;
    std::vector<quint32> folderOfUnlisted;
    QStringList folders;
    // The chosen folder's own visible subfolders, links to folders included, for the
    // folder list.
    QStringList subfolders;
};

// How deep a listing goes: not below the chosen folder, a number of levels, or all; and
// whether the subfolders of every folder listed are rows themselves, to be renamed too.
struct ListingDepth
{
    bool subfolders = false;
    int levels = -1; // below the chosen folder; -1 for no limit
    bool folders = false;

    bool operator==(const ListingDepth &) const = default;
};

} // namespace velmix
