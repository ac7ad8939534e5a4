#pragma once

#include "FileMover.h"
#include "LongWork.h"
#include "listing/FolderRules.h"
#include "listing/ListedTree.h"
#include "listing/WildcardMask.h"
#include "text/NameColumn.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace velmix {

// The folder listing behind the table: a folder and a mask, the matching plain files in
// one order by name with letter case ignored. Setting the folder or the mask, or a
// refresh, makes the listing stale: whoever owns it reads the folder once, off the
// window's thread, and hands over what the read found. The getters never read.
class FolderListing
{
public:
    // What one read of a folder found: the matching names in the listing's order, the
    // other entries' names, the visible subfolders and the folder's rules, or the error
    // number of a failed read (ECANCELED where the read was cancelled).
    struct Contents
    {
        NameColumn names;
        NameColumn unlisted;
        QStringList subfolders;
        FolderRules rules;
        int error = 0;
        // With subfolders: the folders, and per name and per other entry its folder's
        // index; the rules are then the chosen folder's. Null and empty without.
        std::shared_ptr<const ListedTree> tree;
        std::vector<quint32> folderOfName;
        std::vector<quint32> folderOfUnlisted;
        // Where folders are rows: per name, whether it is a folder. Empty where they are not.
        std::vector<bool> folderRows;
    };

    // Reads and sorts without touching any listing, so it can run on another thread;
    // the rules come through `files`, the same service that renames. `progress` counts
    // the files read and can stop the read.
    [[nodiscard]] static Contents read(FileMover &files, const QString &folder, const QString &mask,
                                       WorkProgress *progress = nullptr, ListingDepth depth = {});

    void setPath(const QString &folder);
    void setMask(const QString &mask);
    // Whether the files of the subfolders are listed too, and how deep.
    void setDepth(ListingDepth depth);
    [[nodiscard]] ListingDepth depth() const { return m_depth; }
    void refresh() { m_stale = true; }
    // Whether the folder must be read again before the listing is next looked at.
    [[nodiscard]] bool stale() const { return m_stale; }
    // Takes what a read of this listing's folder and mask found.
    void adopt(Contents contents);

    [[nodiscard]] const QString &path() const { return m_path; }
    [[nodiscard]] const QString &mask() const { return m_mask.text(); }
    [[nodiscard]] const NameColumn &names() const { return m_contents.names; }
    // 0 when the folder was read, else the error number of the failed read.
    [[nodiscard]] int readError() const { return m_contents.error; }
    // The names of the folder's other entries, hidden ones included, which hold their
    // names all the same; its subfolders; and how its file system compares and refuses
    // names.
    [[nodiscard]] const NameColumn &unlistedNames() const { return m_contents.unlisted; }
    [[nodiscard]] const QStringList &subfolders() const { return m_contents.subfolders; }
    [[nodiscard]] const FolderRules &rules() const { return m_contents.rules; }
    // With subfolders: the folders and each name's and each other entry's folder.
    [[nodiscard]] const std::shared_ptr<const ListedTree> &tree() const { return m_contents.tree; }
    [[nodiscard]] const std::vector<quint32> &folderOfName() const { return m_contents.folderOfName; }
    [[nodiscard]] const std::vector<quint32> &folderOfUnlisted() const { return m_contents.folderOfUnlisted; }
    [[nodiscard]] const std::vector<bool> &folderRows() const { return m_contents.folderRows; }

private:
    [[nodiscard]] static Contents readTreeContents(FileMover &files, const QString &folder, const QString &mask,
                                                   WorkProgress *progress, ListingDepth depth);
    [[nodiscard]] static FolderRules readTreeRules(FileMover &files, const QString &folder, ListedTree &tree,
                                                   const Contents &contents);

    QString m_path;
    WildcardMask m_mask;
    ListingDepth m_depth;
    Contents m_contents;
    bool m_stale = true;
};

} // namespace velmix
