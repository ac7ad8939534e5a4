#pragma once

#include "FolderRules.h"
#include "LongWork.h"
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
    // What one read of a folder found: the matching names in the listing's order, the
    // other entries' names and the folder's rules, or the error number of a failed read
    // (ECANCELED where the read was cancelled).
    struct Contents
    {
        NameColumn names;
        NameColumn unlisted;
        FolderRules rules;
        int error = 0;
    };

    // Reads and sorts without touching any listing, so it can run on another thread;
    // `progress` counts the files read and can stop the read.
    [[nodiscard]] static Contents read(const QString &folder, const QString &mask, WorkProgress *progress = nullptr);

    void setPath(const QString &folder);
    void setMask(const QString &mask);
    void refresh() { m_stale = true; }
    // Whether the folder is read again before the listing is next looked at.
    [[nodiscard]] bool stale() const { return m_stale; }
    // Takes what a read of this listing's folder and mask found, as if it had read it.
    void adopt(Contents contents);

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
    void store(Contents &&contents) const;

    QString m_path;
    WildcardMask m_mask;
    mutable NameColumn m_names;
    mutable NameColumn m_unlisted;
    mutable FolderRules m_rules;
    mutable int m_error = 0;
    mutable bool m_stale = true;
};

} // namespace velmix
