#include "listing/FolderListing.h"

#include "listing/DirectoryReader.h"
#include "listing/NameSort.h"
#include "program/Logging.h"
#include "text/FileNameCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace velmix {

void FolderListing::setPath(const QString &folder)
{
    m_path = folder;
    m_stale = true;
}

void FolderListing::setMask(const QString &mask)
{
    m_mask = WildcardMask(mask);
    m_stale = true;
}

void FolderListing::setDepth(ListingDepth depth)
{
    if (depth == m_depth)
        return;
    m_depth = depth;
    m_stale = true;
}

FolderListing::Contents FolderListing::read(FileMover &files, const QString &folder, const QString &mask,
                                            WorkProgress *progress, ListingDepth depth)
{
    // Folder rows are named by their paths below the chosen folder, as a tree's files are.
    if ((depth.subfolders || depth.folders) && !folder.isEmpty())
        return readTreeContents(files, folder, mask, progress, depth);
    Contents contents;
    contents.error = folder.isEmpty() ? ENOENT
                                      : readFolder(folder, WildcardMask(mask), contents.names, &contents.unlisted,
                                                   &contents.subfolders, progress);
    if (contents.error != 0) {
        qCDebug(listingLog, "reading \"%s\": errno %d (%s)", qUtf8Printable(folder), contents.error,
                std::strerror(contents.error));
        contents.names.clear();
        contents.subfolders.clear();
        return contents;
    }
    contents.names.reorder(sortedOrder(contents.names));
    const std::optional<QByteArray> path = FileNameCodec::encode(folder);
    int error = 0;
    // Defaults when the folder, just read, cannot be opened again.
    if (const std::unique_ptr<FolderMover> mover = path ? files.openFolder(*path, error) : nullptr)
        contents.rules = readFolderRules(*mover, contents.names);
    qCDebug(listingLog, "read \"%s\" (%s): %lld files, %lld other entries; names up to %lld bytes, case %s, %s",
            qUtf8Printable(folder), qUtf8Printable(mask), qlonglong(contents.names.size()), qlonglong(contents.unlisted.size()),
            qlonglong(contents.rules.nameMax), contents.rules.ignoresCase ? "ignored" : "kept",
            contents.rules.windows ? "Windows family" : "other family");
    return contents;
}

FolderListing::Contents FolderListing::readTreeContents(FileMover &files, const QString &folder, const QString &mask,
                                                        WorkProgress *progress, ListingDepth depth)
{
    Contents contents;
    TreeEntries entries;
    contents.error = readTree(folder, WildcardMask(mask), depth.subfolders ? depth.levels : 0, entries, progress,
                              depth.folders);
    if (contents.error != 0) {
        qCDebug(listingLog, "reading the tree \"%s\": errno %d (%s)", qUtf8Printable(folder), contents.error,
                std::strerror(contents.error));
        return contents;
    }
    // The walk gives the names by folder, in the tree's order, each folder's sorted.
    contents.folderRows = std::move(entries.folderRow);
    contents.names = std::move(entries.names);
    contents.folderOfName = std::move(entries.folderOfName);
    contents.unlisted = std::move(entries.unlisted);
    contents.folderOfUnlisted = std::move(entries.folderOfUnlisted);
    contents.subfolders = std::move(entries.subfolders);
    auto tree = std::make_shared<ListedTree>();
    tree->folders = std::move(entries.folders);
    contents.rules = readTreeRules(files, folder, *tree, contents);
    contents.tree = std::move(tree);
    qCDebug(listingLog, "read the tree \"%s\" (%s): %lld files in %lld folders", qUtf8Printable(folder),
            qUtf8Printable(mask), qlonglong(contents.names.size()), qlonglong(contents.tree->folders.size()));
    return contents;
}

FolderRules FolderListing::readTreeRules(FileMover &files, const QString &folder, ListedTree &tree,
                                         const Contents &contents)
{
    // Whether case is ignored is a matter of the medium, which the whole tree shares (no
    // other file system is entered): told by a few files wherever they lie, their paths
    // looked up from the chosen folder.
    constexpr qsizetype Probes = 8;
    NameColumn probes;
    for (qsizetype row = 0; row < contents.names.size() && probes.size() < Probes; ++row)
        if (contents.folderRows.empty() || !contents.folderRows[size_t(row)])
            probes.append(tree.path(contents.folderOfName[size_t(row)], contents.names.at(row)));
    const std::optional<QByteArray> path = FileNameCodec::encode(folder);
    int error = 0;
    const std::unique_ptr<FolderMover> root = path ? files.openFolder(*path, error) : nullptr;
    const FolderRules rules = root ? readFolderRules(*root, probes) : FolderRules();
    tree.rules.assign(size_t(tree.folders.size()), rules);
    // On FAT and its kin, what a rename risks depends on each folder's place on the medium.
    for (qsizetype index = 1; rules.windows && index < tree.folders.size(); ++index) {
        const std::optional<QByteArray> subfolder = FileNameCodec::encode(folder + u'/' + tree.folders[index]);
        if (const std::unique_ptr<FolderMover> mover = subfolder ? files.openFolder(*subfolder, error) : nullptr) {
            FolderRules &own = tree.rules[size_t(index)];
            own = readFolderRules(*mover, {});
            own.ignoresCase = rules.ignoresCase;
        }
    }
    return rules;
}

void FolderListing::adopt(Contents contents)
{
    m_contents = std::move(contents);
    m_stale = false;
}

} // namespace velmix
