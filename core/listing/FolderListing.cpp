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
    // By folder, in the tree's order, and by name within each, a folder's subfolders after
    // its files: the names sorted once, then spread over their groups in that order (a
    // counting sort, one pass).
    const std::vector<quint32> byName = sortedOrder(entries.names);
    const bool folderRows = !entries.folderRow.empty();
    const auto groupOf = [&](quint32 place) {
        return folderRows ? 2 * entries.folderOfName[place] + (entries.folderRow[place] ? 1 : 0) : entries.folderOfName[place];
    };
    std::vector<quint32> start(size_t(entries.folders.size()) * (folderRows ? 2 : 1) + 1, 0);
    for (size_t place = 0; place < byName.size(); ++place)
        ++start[groupOf(quint32(place)) + 1];
    for (size_t index = 1; index < start.size(); ++index)
        start[index] += start[index - 1];
    std::vector<quint32> order(byName.size());
    for (const quint32 place : byName)
        order[start[groupOf(place)]++] = place;
    if (folderRows) {
        contents.folderRows.resize(order.size());
        for (size_t row = 0; row < order.size(); ++row)
            contents.folderRows[row] = entries.folderRow[order[row]];
    }
    contents.names = std::move(entries.names);
    contents.names.reorder(order);
    contents.folderOfName.resize(order.size());
    for (size_t row = 0; row < order.size(); ++row)
        contents.folderOfName[row] = entries.folderOfName[order[row]];
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
