#include "journal/MoveRecords.h"

#include <cstdint>
#include <cstring>
#include <system_error>

namespace velmix {
namespace {

// Moves per write: a write costs about as much as a few hundred moves' records.
constexpr size_t MovesPerGroup = 512;

} // namespace

void MoveRecords::moved(const QByteArray &from, const QByteArray &to)
{
    m_held.copies.append(from).append('\0').append(to).append('\0');
    m_held.moves.emplace_back(nullptr, nullptr);
    added();
}

void MoveRecords::movedKept(const QByteArray &from, const QByteArray &to)
{
    m_held.moves.emplace_back(&from, &to);
    added();
}

void MoveRecords::added()
{
    if (m_held.moves.size() == 1)
        m_held.moves.reserve(MovesPerGroup);
    if (m_held.moves.size() >= MovesPerGroup)
        handOver();
}

void MoveRecords::found(const FoundName &found)
{
    JournalFormat::appendFound(m_held.written, found);
}

void MoveRecords::handOver()
{
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread([this] { run(); });
        } catch (const std::system_error &) {
            writeGroup(std::exchange(m_held, {})); // no thread to be had: written here
            return;
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::exchange(m_held, {}));
    }
    m_queued.notify_one();
}

void MoveRecords::flush()
{
    if (m_thread.joinable()) {
        if (!m_held.moves.empty() || !m_held.written.isEmpty())
            handOver();
        {
            std::lock_guard lock(m_mutex);
            m_ending = true;
        }
        m_queued.notify_one();
        m_thread.join();
        m_ending = false;
    } else if (!m_held.moves.empty() || !m_held.written.isEmpty()) {
        writeGroup(std::exchange(m_held, {}));
    }
}

void MoveRecords::run()
{
    for (;;) {
        Group group;
        {
            std::unique_lock lock(m_mutex);
            m_queued.wait(lock, [&] { return !m_queue.empty() || m_ending; });
            if (m_queue.empty())
                return;
            group = std::move(m_queue.front());
            m_queue.pop_front();
        }
        writeGroup(group);
    }
}

void MoveRecords::writeGroup(const Group &group)
{
    m_words.resize(0);
    m_words += group.written;
    const char *copied = group.copies.constData();
    const auto nextCopy = [&copied] {
        const QByteArray name = QByteArray::fromRawData(copied, qsizetype(std::strlen(copied)));
        copied += name.size() + 1;
        return name;
    };
    size_t runFirst = 0, runLength = 0; // consecutive rows moved under their planned names
    const auto endRun = [&] {
        if (runLength > 0)
            JournalFormat::appendMovedRows(m_words, runFirst, runLength);
        runLength = 0;
    };
    for (const auto &[from, to] : group.moves) {
        if (const std::optional<size_t> row = from ? journalRowOf(from, to) : std::nullopt) {
            if (runLength == 0 || *row != runFirst + runLength) {
                endRun();
                runFirst = *row;
            }
            ++runLength;
            continue;
        }
        endRun();
        if (from) {
            JournalFormat::appendMoved(m_words, *from, *to);
        } else {
            const QByteArray copiedFrom = nextCopy();
            JournalFormat::appendMoved(m_words, copiedFrom, nextCopy());
        }
    }
    endRun();
    m_write(m_words);
}

std::optional<size_t> MoveRecords::journalRowOf(const QByteArray *from, const QByteArray *to) const
{
    // Told by address: a name inside the plan's array is one of its rows.
    const auto address = [](const QByteArray *name) { return reinterpret_cast<std::uintptr_t>(name); };
    const size_t rows = m_planned.journalRows.size();
    if (rows == 0 || address(from) < address(m_planned.sources) || address(from) >= address(m_planned.sources + rows))
        return std::nullopt;
    const size_t planRow = (address(from) - address(m_planned.sources)) / sizeof(QByteArray);
    if (to != m_planned.targets + planRow || m_planned.journalRows[planRow] == NotInJournal)
        return std::nullopt;
    return m_planned.journalRows[planRow];
}

} // namespace velmix
