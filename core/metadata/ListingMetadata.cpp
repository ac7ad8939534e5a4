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
        if (read[i])
            keep(missing[i], std::move(*read[i]));
    }
    return complete();
}

bool ListingMetadata::readRow(MetadataSource &source, const QString &path, qsizetype row)
{
    if (atRow(row))
        return true;
    if (m_rows.empty())
        m_rows.resize(size_t(m_unread));
    NameColumn one;
    one.append(path);
    std::vector<std::optional<RowMetadata>> read = source.read(one, {0});
    if (read.empty() || !read[0])
        return false;
    keep(listed(row), std::move(*read[0]));
    return true;
}

void ListingMetadata::keep(quint32 place, RowMetadata read)
{
    m_rows[place] = std::move(read);
    --m_unread;
    shift(*m_rows[place]);
}

void ListingMetadata::shift(RowMetadata &row) const
{
    const int minutes = m_shifts.minutesFor(row.camera);
    if (minutes == row.shiftMinutes)
        return;
    row.date = row.date.addSecs(qint64(minutes - row.shiftMinutes) * 60);
    row.shiftMinutes = minutes;
}

bool ListingMetadata::setDateShifts(const DateShifts &shifts)
{
    if (shifts == m_shifts)
        return false;
    m_shifts = shifts;
    for (std::optional<RowMetadata> &row : m_rows) {
        if (row)
            shift(*row);
    }
    return true;
}

const RowMetadata *ListingMetadata::atRow(qsizetype row) const
{
    const quint32 place = listed(row);
    if (place >= m_rows.size() || !m_rows[place])
        return nullptr;
    return m_groups && m_groups->grouped(place) ? &*m_rows[bestDated(place)] : &*m_rows[place];
}

quint32 ListingMetadata::bestDated(quint32 place) const
{
    // None ranks after every source; a tie goes to the first place, so every file of the
    // group names the same one.
    const auto rank = [](DateSource source) { return source == DateSource::None ? 0xFF : int(source); };
    quint32 best = place;
    for (quint32 member = m_groups->next(place); member != place; member = m_groups->next(member)) {
        if (member >= m_rows.size() || !m_rows[member])
            continue;
        const int a = rank(m_rows[member]->source);
        const int b = rank(m_rows[best]->source);
        if (a < b || (a == b && member < best))
            best = member;
    }
    return best;
}

std::vector<std::optional<RowMetadata>> ListingMetadata::byListingAsGroups() const
{
    if (!m_groups || m_groups->isEmpty())
        return m_rows;
    std::vector<std::optional<RowMetadata>> rows = m_rows;
    for (quint32 place = 0; place < rows.size(); ++place)
        if (rows[place] && m_groups->grouped(place))
            rows[place] = m_rows[bestDated(place)];
    return rows;
}

} // namespace velmix
