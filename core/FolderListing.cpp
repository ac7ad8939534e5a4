#include "FolderListing.h"

#include "DirectoryReader.h"
#include "Logging.h"
#include "NameSort.h"

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

const NameColumn &FolderListing::names() const
{
    readIfStale();
    return m_names;
}

int FolderListing::readError() const
{
    readIfStale();
    return m_error;
}

const NameColumn &FolderListing::unlistedNames() const
{
    readIfStale();
    return m_unlisted;
}

const FolderRules &FolderListing::rules() const
{
    readIfStale();
    return m_rules;
}

FolderListing::Contents FolderListing::read(const QString &folder, const QString &mask, WorkProgress *progress)
{
    Contents contents;
    contents.error = folder.isEmpty() ? ENOENT
                                      : readFolder(folder, WildcardMask(mask), contents.names, &contents.unlisted, progress);
    if (contents.error != 0) {
        qCDebug(listingLog, "reading \"%s\": errno %d (%s)", qUtf8Printable(folder), contents.error,
                std::strerror(contents.error));
        contents.names.clear();
        return contents;
    }
    contents.names.reorder(sortedOrder(contents.names));
    contents.rules = readFolderRules(folder, contents.names);
    qCDebug(listingLog, "read \"%s\" (%s): %lld files, %lld other entries; names up to %lld bytes, case %s, driver %d",
            qUtf8Printable(folder), qUtf8Printable(mask), qlonglong(contents.names.size()), qlonglong(contents.unlisted.size()),
            qlonglong(contents.rules.nameMax), contents.rules.ignoresCase ? "ignored" : "kept", int(contents.rules.driver));
    return contents;
}

void FolderListing::adopt(Contents contents)
{
    store(std::move(contents));
}

void FolderListing::readIfStale() const
{
    if (m_stale)
        store(read(m_path, m_mask.text()));
}

void FolderListing::store(Contents &&contents) const
{
    m_names = std::move(contents.names);
    m_error = contents.error;
    m_stale = false;
    m_unlisted = std::move(contents.unlisted);
    m_rules = contents.rules;
}

} // namespace velmix
