#include "apply/PlanAhead.h"

#include "listing/FolderCase.h"
#include "text/FileNameCodec.h"

#include <QSet>

#include <algorithm>

namespace velmix {
namespace {

// The first part is small so that the moves start soon; later ones grow, since each costs
// a sync, but only twofold: a look-up takes about half a move while the other core moves,
// so a part twice the last one's size is looked up by the time that one's moves end
// (fourfold left the moves waiting for the parts 20 to 70 ms in 100,000). The growth
// stops at a size whose look-ups stay well ahead of its moves.
constexpr size_t FirstPart = 256;
constexpr size_t LargestPart = 16384;

} // namespace

PlanAhead::PlanAhead(const JournaledBatch &batch, FileIdentities &identities, RenameJournal *journal,
                     std::unique_ptr<JournalWriter> &writer)
    : m_batch(batch), m_identities(identities), m_journal(journal), m_writer(writer)
{
}

void PlanAhead::planned(const RenamePlan &plan)
{
    m_plan = &plan;
    m_rows = plan.sources.size();
    // A plan that failed half-way would leave the moves waiting for a part never released:
    // an exception ends the program instead.
    m_planning.emplace([this](std::stop_token stop) noexcept { run(stop); });
    if (!m_planning->hasThread())
        m_planning->take(); // no thread to be had: all of the plan before the first move
}

size_t PlanAhead::reaching(size_t index)
{
    if (const size_t released = m_released.load(std::memory_order_acquire); index < released)
        return released;
    std::unique_lock lock(m_mutex);
    m_releasedMore.wait(lock, [&] { return index < m_released.load(std::memory_order_acquire); });
    return m_released.load(std::memory_order_acquire);
}

void PlanAhead::movesEnded()
{
    m_planning.reset(); // the parts not yet written are not needed
}

std::vector<std::optional<FileIdentity>> PlanAhead::finish(int &journalError)
{
    m_planning.reset();
    journalError = m_journalError;
    m_seen.resize(m_rows); // a plan whose thread never ran
    return std::move(m_seen);
}

void PlanAhead::release(size_t moves)
{
    {
        std::lock_guard lock(m_mutex);
        m_released.store(moves, std::memory_order_release);
    }
    m_releasedMore.notify_all();
}

void PlanAhead::partWritten(size_t moves)
{
    {
        std::lock_guard lock(m_mutex);
        ++m_partsWritten;
        m_writtenMoves = moves;
    }
    m_writtenMore.notify_one();
}

void PlanAhead::syncWrittenParts(const std::stop_token &stop)
{
    size_t synced = 0;
    for (;;) {
        size_t parts = 0, moves = 0;
        {
            std::unique_lock lock(m_mutex);
            if (!m_writtenMore.wait(lock, stop, [&] { return m_partsWritten > synced; }))
                return; // stopped with every part synced
            parts = m_partsWritten;
            moves = m_writtenMoves;
        }
        // One sync for every part written by now. One that failed leaves the batch without
        // a sound journal; its moves go all the same, as they do where none could be begun.
        (void)m_writer->sync();
        release(moves);
        synced = parts;
    }
}

void PlanAhead::run(const std::stop_token &stop)
{
    openJournal();
    std::optional<AsyncTask<void>> syncing;
    if (m_writer && m_batch.resumes.isEmpty()) {
        syncing.emplace([this](const std::stop_token &syncStop) { syncWrittenParts(syncStop); });
        if (!syncing->hasThread())
            syncing.reset(); // no thread to be had: each part synced as it is written
    }
    const std::vector<PlannedMove> &moves = m_plan->moves;
    size_t from = 0;
    size_t part = FirstPart;
    qsizetype openCycles = 0;
    do { // an empty plan still gets its one, empty, part
        size_t to = from;
        while (to < moves.size() && (to < from + part || openCycles > 0)) {
            openCycles += moves[to].kind == PlannedMove::ToTemporary;
            openCycles -= moves[to].kind == PlannedMove::FromTemporary;
            ++to;
        }
        const std::vector<std::pair<qsizetype, FileIdentity>> seen = writePart(from, to, syncing.has_value());
        if (syncing)
            partWritten(to);
        else
            release(to);
        keep(seen);
        from = to;
        part = std::min(part * 2, LargestPart);
    } while (from < moves.size() && !stop.stop_requested());
    syncing.reset(); // waits for the last parts' sync
    release(moves.size());
}

void PlanAhead::openJournal()
{
    if (!m_journal)
        return;
    if (!m_batch.resumes.isEmpty()) {
        m_writer = m_journal->resume(m_batch.resumes, m_journalError);
        // Written before the first move is released, so before the mover's own records.
        for (const FoundName &found : m_batch.unrecorded)
            if (m_writer)
                m_writer->found(found);
        return;
    }
    QSet<QByteArray> held; // names other entries held: an empty file there is theirs
    for (qsizetype i = 0; i < m_batch.unlisted.size(); ++i)
        held.insert(nameKey(FileNameCodec::encode(m_batch.unlisted.at(i)).value_or(QByteArray()), m_plan->rules.ignoresCase));
    std::vector<JournalFormat::NameRow> rows;
    rows.reserve(m_plan->moves.size()); // megabytes in a large batch: grown by doubling, each copy in fresh pages
    std::vector<quint32> journalRows(m_plan->sources.size(), MoveRecords::NotInJournal);
    for (const PlannedMove &move : m_plan->moves) {
        if (move.kind == PlannedMove::FromTemporary)
            continue;
        journalRows[size_t(move.row)] = quint32(rows.size());
        const QByteArray &target = m_plan->targets[size_t(move.row)];
        rows.push_back({&m_plan->sources[size_t(move.row)], &target,
                        held.isEmpty() || !held.contains(nameKey(target, m_plan->rules.ignoresCase))});
    }
    m_writer = m_journal->begin({m_batch.kind, m_batch.undoes, m_batch.folder, m_plan->rules, {}}, qsizetype(rows.size()), m_journalError);
    if (!m_writer)
        return;
    m_wholeBatch = JournalFormat::wholeBatch(rows); // synced with the first part
    m_writer->numberRows({m_plan->sources.data(), m_plan->targets.data(), std::move(journalRows)});
}

// Sized at the first part's release, not before: for a large batch the rows' identities
// are megabytes of fresh pages, which the first move would otherwise wait for.
void PlanAhead::keep(const std::vector<std::pair<qsizetype, FileIdentity>> &seen)
{
    m_seen.resize(m_rows);
    for (const auto &[row, identity] : seen)
        m_seen[size_t(row)] = identity;
}

std::vector<std::pair<qsizetype, FileIdentity>> PlanAhead::writePart(size_t from, size_t to, bool syncLater)
{
    std::vector<qsizetype> rows;
    std::vector<QByteArray> names;
    for (size_t i = from; i < to; ++i) {
        const PlannedMove &move = m_plan->moves[i];
        if (move.kind != PlannedMove::FromTemporary) {
            rows.push_back(move.row);
            // Not a copy: a copy writes to the name's shared count, which the mover then
            // has to fetch back from this core.
            const QByteArray &source = m_plan->sources[size_t(move.row)];
            names.push_back(QByteArray::fromRawData(source.constData(), source.size()));
        }
    }
    const std::vector<std::optional<FileIdentity>> seen =
        m_identities.identify(m_batch.folder, names, FileIdentities::Cores::BesideMoves);
    std::vector<std::pair<qsizetype, FileIdentity>> byRow;
    std::vector<std::pair<size_t, FileIdentity>> part;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!seen[i])
            continue; // not there to move
        byRow.emplace_back(rows[i], *seen[i]);
        part.emplace_back(m_journalRows + i, *seen[i]);
    }
    m_journalRows += rows.size();
    if (!m_writer || !m_batch.resumes.isEmpty())
        return byRow;
    // A part that could not be written leaves the batch without a sound journal; its moves
    // go all the same, as they do where none could be begun.
    // Appended in place: the names are megabytes, and a copy would fault in as many fresh pages.
    m_wholeBatch += JournalFormat::identityPart(part, m_journalRows);
    const QByteArray written = std::exchange(m_wholeBatch, {});
    if (syncLater)
        m_writer->plannedUnsynced(written);
    else
        (void)m_writer->planned(written);
    return byRow;
}

} // namespace velmix
