#include "metadata/ListingMetadata.h"

namespace velmix {

void ListingMetadata::reset(qsizetype files)
{
    // The rows are made on the first read: a listing whose files are never read costs
    // no memory per file here.
    m_rows = {};
    m_order.clear();
    m_unread = files;
}

bool ListingMetadata::readMissing(MetadataSource &source, const NameColumn &listedNames)
{
    if (complete())
        return true;
    if (m_rows.empty())
        m_rows.resize(size_t(m_unread));
    std::vector<quint32> missing;
    missing.reserve(size_t(m_unread));
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (!m_rows[i])
            missing.push_back(quint32(i));
    }
    std::vector<std::optional<RowMetadata>> read = source.read(listedNames, missing);
    for (size_t i = 0; i < missing.size() && i < read.size(); ++i) {
        if (read[i]) {
            m_rows[missing[i]] = std::move(read[i]);
            --m_unread;
        }
    }
    return complete();
}

const RowMetadata *ListingMetadata::atRow(qsizetype row) const
{
    const quint32 place = listed(row);
    return place < m_rows.size() && m_rows[place] ? &*m_rows[place] : nullptr;
}

} // namespace velmix
