#pragma once

#include "listing/ListedTree.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <vector>

namespace velmix {

// The folder each listed file lies in, by its place in the listing: the folders are
// numbered, so a row holds no path of its own. The {папка} field writes a folder's name,
// and a counter that restarts in each folder counts the rows of one number together.
class RowFolders
{
public:
    virtual ~RowFolders() = default;
    [[nodiscard]] virtual quint32 folderOf(quint32 listed) const = 0;
    // The folder's own name, the last part of its path; empty for the root.
    [[nodiscard]] virtual QStringView folderName(quint32 folder) const = 0;
};

// The folders of a listing, of one folder or of a tree: each folder's name once, and each
// file's folder read from the index its owner keeps (the preview's), not copied again.
class ListingFolders final : public RowFolders
{
public:
    // `tree` is null and `folderOfName` empty for one folder: every file lies in `path`.
    // `folderOfName` stays its owner's and must outlive this.
    void set(const QString &path, const std::shared_ptr<const ListedTree> &tree,
             const std::vector<quint32> &folderOfName)
    {
        m_names = {path.section(u'/', -1)};
        for (qsizetype folder = 1; tree && folder < tree->folders.size(); ++folder)
            m_names.append(tree->folders[folder].section(u'/', -1));
        m_folderOfName = &folderOfName;
    }
    void set(const QString &, const std::shared_ptr<const ListedTree> &, std::vector<quint32> &&) = delete;
    [[nodiscard]] quint32 folderOf(quint32 listed) const override
    {
        return m_folderOfName && listed < m_folderOfName->size() ? (*m_folderOfName)[listed] : 0;
    }
    [[nodiscard]] QStringView folderName(quint32 folder) const override { return m_names[folder]; }

private:
    QStringList m_names;
    const std::vector<quint32> *m_folderOfName = nullptr;
};

} // namespace velmix
