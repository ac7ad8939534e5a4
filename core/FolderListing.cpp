#include "FolderListing.h"

#include "DirectoryReader.h"
#include "NameSort.h"

#include <cerrno>

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

void FolderListing::readIfStale() const
{
    if (!m_stale)
        return;
    m_stale = false;
    NameColumn names;
    m_error = m_path.isEmpty() ? ENOENT : readFolder(m_path, m_mask, names);
    if (m_error != 0) {
        m_names.clear();
        return;
    }
    names.reorder(sortedOrder(names));
    m_names = std::move(names);
}

} // namespace velmix
