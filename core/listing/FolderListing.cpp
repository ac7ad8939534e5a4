#include "listing/FolderListing.h"

#include "listing/DirectoryReader.h"
#include "listing/NameSort.h"
#include "program/Logging.h"
#include "text/FileNameCodec.h"

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

FolderListing::Contents FolderListing::read(FileMover &files, const QString &folder, const QString &mask,
                                            WorkProgress *progress)
{
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

void FolderListing::adopt(Contents contents)
{
    m_contents = std::move(contents);
    m_stale = false;
}

} // namespace velmix
