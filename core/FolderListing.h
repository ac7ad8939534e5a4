#pragma once

#include "FolderRules.h"
#include "NameColumn.h"
#include "WildcardMask.h"

#include <QString>

namespace velmix {

// The folder listing behind the table: a folder and a mask, the matching plain files in
// one order by name with letter case ignored. Setting the folder or the mask, or a
// refresh, means the folder is read again before anyone next looks at the listing;
// reading lazily keeps a flow that sets both from reading a large folder twice.
class FolderListing
{
public:
    void setPath(const QString &folder);
    void setMask(const QString &mask);
    void refresh() { m_stale = true; }

    [[nodiscard]] const QString &path() const { return m_path; }
    [[nodiscard]] const QString &mask() const { return m_mask.text(); }
    [[nodiscard]] qsizetype count() const { return names().size(); }
    [[nodiscard]] QStringView name(qsizetype position) const { return names().at(position); }
    [[nodiscard]] const NameColumn &names() const;
    // 0 when the folder was read, else the error number of the failed read.
    [[nodiscard]] int readError() const;
    // The names of the folder's other entries, hidden ones included, which hold their
    // names all the same; and how its file system compares and refuses names.
    [[nodiscard]] const NameColumn &unlistedNames() const;
    [[nodiscard]] const FolderRules &rules() const;

private:
    void readIfStale() const;

    QString m_path;
    WildcardMask m_mask;
    mutable NameColumn m_names;
    mutable NameColumn m_unlisted;
    mutable FolderRules m_rules;
    mutable int m_error = 0;
    mutable bool m_stale = true;
};

} // namespace velmix
