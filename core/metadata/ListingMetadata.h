#pragma once

#include "listing/RowFolders.h"
#include "metadata/DateChain.h"
#include "metadata/DateShifts.h"
#include "metadata/MetadataSource.h"
#include "pairs/FileGroups.h"
#include "text/NameColumn.h"

#include <optional>
#include <vector>

namespace velmix {

// The dates and tags of one listing's files, by their place in the listing, the folder each
// lies in, and the order the table shows them in.
class ListingMetadata
{
public:
    // A new listing: nothing read, the table in the listing's order.
    void reset(qsizetype files);
    // Reads the files not read yet; false where a cancel left some unread (what was read
    // is kept, so no file is read twice).
    bool readMissing(MetadataSource &source, const NameColumn &listedNames);
    [[nodiscard]] bool complete() const { return m_unread == 0; }
    // Reads the file of the table's row `row` alone, by its path below the chosen folder,
    // where it was not read; false where it could not be (a cancel).
    bool readRow(MetadataSource &source, const QString &path, qsizetype row);
    // Moves the dates read, and those read from now on, by their cameras' shifts; false
    // where the shifts are those already in effect.
    bool setDateShifts(const DateShifts &shifts);

    // The table's row `row`: its place in the listing, its metadata (null while unread).
    [[nodiscard]] quint32 listed(qsizetype row) const { return m_order.empty() ? quint32(row) : m_order[size_t(row)]; }
    [[nodiscard]] const RowMetadata *atRow(qsizetype row) const;
    // The folders the listing's files lie in (none given: one folder without a name).
    void setFolders(const RowFolders *folders) { m_folders = folders; }
    [[nodiscard]] quint32 folderAtRow(qsizetype row) const { return m_folders ? m_folders->folderOf(listed(row)) : 0; }
    [[nodiscard]] QStringView folderNameAtRow(qsizetype row) const
    {
        return m_folders ? m_folders->folderName(folderAtRow(row)) : QStringView();
    }

    // Files that go together take the date and tags of the one dated best (by its tags
    // over a film's header over its name over its modification time); null for none.
    void setGroups(const FileGroups *groups) { m_groups = groups; }
    // byListing() with each grouped file's metadata that of its group.
    [[nodiscard]] std::vector<std::optional<RowMetadata>> byListingAsGroups() const;

    // Shows the rows in `order` (places in the listing), or in the listing's order when empty.
    void setOrder(std::vector<quint32> order) { m_order = std::move(order); }
    [[nodiscard]] const std::vector<quint32> &order() const { return m_order; }
    [[nodiscard]] const std::vector<std::optional<RowMetadata>> &byListing() const { return m_rows; }

private:
    // Keeps a file's metadata read, its date moved by its camera's shift.
    void keep(quint32 place, RowMetadata read);
    void shift(RowMetadata &row) const;
    // The place of the read file of the place's group dated best.
    [[nodiscard]] quint32 bestDated(quint32 place) const;

    std::vector<std::optional<RowMetadata>> m_rows;
    std::vector<quint32> m_order;
    qsizetype m_unread = 0;
    const RowFolders *m_folders = nullptr;
    DateShifts m_shifts;
    const FileGroups *m_groups = nullptr;
};

} // namespace velmix
