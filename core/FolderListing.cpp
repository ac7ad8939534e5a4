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

void FolderListing::readIfStale() const
{
    if (!m_stale)
        return;
    m_stale = false;
    NameColumn names;
    NameColumn unlisted;
    m_error = m_path.isEmpty() ? ENOENT : readFolder(m_path, m_mask, names, &unlisted);
    m_unlisted = std::move(unlisted);
    if (m_error != 0) {
        m_names.clear();
        m_rules = {};
        return;
    }
    names.reorder(sortedOrder(names));
    m_names = std::move(names);
    m_rules = readFolderRules(m_path, m_names);
}

} // namespace velmix
