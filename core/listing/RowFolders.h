#pragma once

#include <QString>
#include <QStringView>

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

// A listing of one folder: every file lies in it.
class OneFolder final : public RowFolders
{
public:
    void setPath(const QString &path) { m_name = path.section(u'/', -1); }
    [[nodiscard]] quint32 folderOf(quint32) const override { return 0; }
    [[nodiscard]] QStringView folderName(quint32) const override { return m_name; }

private:
    QString m_name;
};

} // namespace velmix
