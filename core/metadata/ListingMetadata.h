#pragma once

#include "metadata/DateChain.h"
#include "metadata/MetadataSource.h"
#include "text/NameColumn.h"

#include <optional>
#include <vector>

namespace velmix {

// The dates and tags of one listing's files, by their place in the listing, and the order
// the table shows them in.
class ListingMetadata
{
public:
    // A new listing: nothing read, the table in the listing's order.
    void reset(qsizetype files);
    // Reads the files not read yet; false where a cancel left some unread (what was read
    // is kept, so no file is read twice).
    bool readMissing(MetadataSource &source, const NameColumn &listedNames);
    [[nodiscard]] bool complete() const { return m_unread == 0; }

    // The table's row `row`: its place in the listing, its metadata (null while unread).
    [[nodiscard]] quint32 listed(qsizetype row) const { return m_order.empty() ? quint32(row) : m_order[size_t(row)]; }
    [[nodiscard]] const RowMetadata *atRow(qsizetype row) const;

    // Shows the rows in `order` (places in the listing), or in the listing's order when empty.
    void setOrder(std::vector<quint32> order) { m_order = std::move(order); }
    [[nodiscard]] const std::vector<quint32> &order() const { return m_order; }
    [[nodiscard]] const std::vector<std::optional<RowMetadata>> &byListing() const { return m_rows; }

private:
    std::vector<std::optional<RowMetadata>> m_rows;
    std::vector<quint32> m_order;
    qsizetype m_unread = 0;
};

} // namespace velmix
