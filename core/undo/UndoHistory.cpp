#include "undo/UndoHistory.h"

#include <algorithm>
#include <iterator>

namespace velmix {

QStringList UndoHistory::add(Entry entry)
{
    m_entries.push_back(std::move(entry));
    return trim();
}

QStringList UndoHistory::readFrom(const std::vector<std::pair<QString, QString>> &journals)
{
    // The unjournaled entries are set apart first: an entry taken over below is left
    // without its journal too, and must not come back as one of them.
    std::vector<Entry> unjournaled;
    for (Entry &entry : m_entries) {
        if (entry.journal.isEmpty())
            unjournaled.push_back(std::move(entry));
    }
    std::erase_if(m_entries, [](const Entry &e) { return e.journal.isEmpty(); });
    std::vector<Entry> entries;
    for (const auto &[journal, folder] : journals) {
        const auto known = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry &e) { return e.journal == journal; });
        entries.push_back(known != m_entries.end() ? std::move(*known) : Entry{folder, journal, std::nullopt});
    }
    std::move(unjournaled.begin(), unjournaled.end(), std::back_inserter(entries));
    m_entries = std::move(entries);
    return trim();
}

QStringList UndoHistory::trim()
{
    QStringList dropped;
    while (qsizetype(m_entries.size()) > Depth) {
        if (!m_entries.front().journal.isEmpty())
            dropped << m_entries.front().journal;
        m_entries.erase(m_entries.begin());
    }
    return dropped;
}

UndoHistory::Entry *UndoHistory::lastIn(const QString &folder)
{
    const auto last = std::find_if(m_entries.rbegin(), m_entries.rend(), [&](const Entry &e) { return e.folder == folder; });
    return last == m_entries.rend() ? nullptr : &*last;
}

bool UndoHistory::holds(const QString &folder) const
{
    return std::any_of(m_entries.cbegin(), m_entries.cend(), [&](const Entry &e) { return e.folder == folder; });
}

void UndoHistory::remove(const Entry *entry)
{
    std::erase_if(m_entries, [&](const Entry &e) { return &e == entry; });
}

void UndoHistory::removeJournal(const QString &journal)
{
    std::erase_if(m_entries, [&](const Entry &e) { return !journal.isEmpty() && e.journal == journal; });
}

} // namespace velmix
