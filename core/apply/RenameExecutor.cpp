#include "apply/RenameExecutor.h"

#include "apply/RenamePlanner.h"
#include "listing/FolderCase.h"
#include "text/FileNameCodec.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>

namespace velmix {
namespace {

// The errors of a medium pulled out or of a FUSE daemon that died: nothing more can be done.
bool mediumGone(int error)
{
    return error == ENOTCONN || error == ENODEV || error == ENXIO || error == EIO || error == ECONNABORTED
           || error == ESHUTDOWN;
}

// A cancel waits for at most a run.
constexpr size_t RunMoves = 64;

RenameFailure failureOf(qsizetype row, int error)
{
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return {row, RenameReason::TargetExists};
    case ENOENT:
        return {row, RenameReason::SourceMissing};
    case EINVAL:
    case EILSEQ:
    case ENAMETOOLONG:
        return {row, RenameReason::InvalidName};
    default:
        return {row, RenameReason::FileSystemError, error};
    }
}

class Execution
{
public:
    Execution(FolderMover &mover, const NameColumn &currentNames, RenamePlan &plan, WorkProgress *progress,
              MoveGate *gate)
        : m_mover(mover), m_currentNames(currentNames), m_plan(plan), m_progress(progress), m_gate(gate)
        , m_renamedRows(plan.sources.size())
    {
    }

    RenameOutcome run()
    {
        qsizetype openCycle = -1; // the row parked under a temporary name, if any
        const std::vector<PlannedMove> &moves = m_plan.moves;
        size_t index = 0;
        while (index < moves.size()) {
            if (openCycle < 0 && m_progress && m_progress->cancelled())
                break;
            if (m_mediumGone)
                break;
            const size_t released = m_gate ? m_gate->reaching(index) : moves.size();
            const PlannedMove &move = moves[index];
            if (move.kind == PlannedMove::Direct) {
                index = moveRun(index, released);
                continue;
            }
            const QByteArray &source = m_plan.sources[size_t(move.row)];
            if (move.kind == PlannedMove::ToTemporary) {
                if (const std::optional<RenameFailure> failure = stepAside(move.row, source))
                    m_plan.failures.push_back(*failure);
                else
                    openCycle = move.row;
            } else {
                if (m_temporary.contains(move.row))
                    finishFromTemporary(move.row, source, m_plan.targets[size_t(move.row)]);
                openCycle = -1;
            }
            ++index;
        }
        if (m_gate)
            m_gate->movesEnded();
        RenameOutcome outcome;
        for (; index < moves.size(); ++index)
            outcome.notReached += moves[index].kind != PlannedMove::FromTemporary;
        if (m_mediumGone)
            stopOnGoneMedium(outcome);
        std::stable_sort(m_plan.failures.begin(), m_plan.failures.end(),
                         [](const RenameFailure &a, const RenameFailure &b) { return a.row < b.row; });
        outcome.failures = std::move(m_plan.failures);
        outcome.finalNames = finalNames();
        outcome.sources = std::move(m_plan.sources);
        outcome.renamed = m_renamed;
        outcome.rules = m_plan.rules;
        return outcome;
    }

private:
    // The Direct moves from `index` on, up to `released`, as one run for the mover; returns
    // where the next move is. The plan's names outlive the batch's journal: they are moved
    // out whole into the outcome, and a moved row's are not touched again.
    size_t moveRun(size_t index, size_t released)
    {
        const auto rowAt = [&](size_t i) { return m_plan.moves[index + i].row; };
        std::array<KeptMove, RunMoves> run;
        size_t count = 0;
        for (; count < RunMoves && index + count < released && m_plan.moves[index + count].kind == PlannedMove::Direct; ++count)
            run[count] = {&m_plan.sources[size_t(rowAt(count))], &m_plan.targets[size_t(rowAt(count))]};
        int error = 0;
        const size_t done = size_t(m_mover.moveKeptRun(std::span(run.data(), count), error));
        for (size_t i = 0; i < done; ++i)
            renamed(rowAt(i));
        if (done == count)
            return index + count;
        m_plan.failures.push_back(failedMove(rowAt(done), *run[done].from, error));
        return index + done + 1;
    }

    std::optional<RenameFailure> stepAside(qsizetype row, const QByteArray &source)
    {
        int error = EEXIST;
        for (int attempt = 1; attempt <= TemporaryAttempts; ++attempt) {
            const QByteArray name = temporaryName(m_currentNames.at(row), attempt, m_plan.rules);
            if (name.isEmpty())
                return RenameFailure{row, RenameReason::InvalidName}; // no temporary name fits
            if (plannedNames().contains(nameKey(name, m_plan.rules.ignoresCase)))
                continue;
            error = m_mover.move(source, name);
            if (error == 0) {
                m_temporary.insert(row, name);
                return std::nullopt;
            }
            if (error != EEXIST)
                return failedMove(row, source, error);
        }
        return RenameFailure{row, RenameReason::FileSystemError, error};
    }

    void finishFromTemporary(qsizetype row, const QByteArray &source, const QByteArray &target)
    {
        const QByteArray temporary = m_temporary.take(row);
        const int error = m_mover.move(temporary, target);
        if (error == 0) {
            renamed(row);
            return;
        }
        RenameFailure failure = failedMove(row, temporary, error);
        // Back to the old name where it is free again; otherwise the file keeps the
        // temporary name, which still shows its old one, and the report says so.
        if (failure.reason != RenameReason::SourceLost && m_mover.move(temporary, source) != 0) {
            failure.temporaryName = FileNameCodec::decode(temporary);
            m_leftUnder.insert(row, temporary);
        }
        m_plan.failures.push_back(failure);
    }

    // Why a move of `from` failed. Some drivers drop the file itself in a failed rename
    // (fusefat in a nearly full folder), so whether it is still there is looked at; a
    // medium that stopped answering tells nothing of its files, which are not called lost.
    RenameFailure failedMove(qsizetype row, const QByteArray &from, int error)
    {
        if (mediumGone(error)) {
            m_mediumGone = true;
            return failureOf(row, error);
        }
        if (error != ENOENT && m_mover.isGone(from))
            return {row, RenameReason::SourceLost};
        return failureOf(row, error);
    }

    // The row the medium failed on counts among the rows left as they were, unless its
    // file was left under a temporary name; that one is still reported.
    void stopOnGoneMedium(RenameOutcome &outcome)
    {
        outcome.mediumGone = true;
        for (auto parked = m_temporary.cbegin(); parked != m_temporary.cend(); ++parked) {
            m_leftUnder.insert(parked.key(), parked.value());
            m_plan.failures.push_back({parked.key(), RenameReason::FileSystemError, ENOTCONN,
                                       FileNameCodec::decode(parked.value())});
        }
        const auto last = std::find_if(m_plan.failures.rbegin(), m_plan.failures.rend(), [](const RenameFailure &failure) {
            return failure.temporaryName.isEmpty() && failure.reason == RenameReason::FileSystemError
                   && mediumGone(failure.error);
        });
        if (last != m_plan.failures.rend()) {
            m_plan.failures.erase(std::next(last).base());
            ++outcome.notReached;
        }
    }

    void renamed(qsizetype row)
    {
        m_renamedRows[size_t(row)] = true;
        ++m_renamed;
        if (m_progress)
            m_progress->advance();
    }

    // Put together once the moves are over: a name set per move would write to every
    // name's shared count on the way, and the look-ups ahead of the moves read those names
    // on the other core.
    std::vector<QByteArray> finalNames()
    {
        std::vector<QByteArray> names = std::move(m_plan.targets);
        for (size_t row = 0; row < names.size(); ++row) {
            if (!m_renamedRows[row])
                names[row] = m_plan.sources[row];
        }
        for (auto left = m_leftUnder.cbegin(); left != m_leftUnder.cend(); ++left)
            names[size_t(left.key())] = left.value();
        return names;
    }

    // Names no temporary name may take, built only when a file first steps aside.
    const QSet<QByteArray> &plannedNames()
    {
        if (m_plannedNames.isEmpty()) {
            m_plannedNames.reserve(qsizetype(m_plan.sources.size() * 2));
            for (const auto *names : {&m_plan.sources, &m_plan.targets}) {
                for (const QByteArray &name : *names)
                    m_plannedNames.insert(nameKey(name, m_plan.rules.ignoresCase));
            }
        }
        return m_plannedNames;
    }

    FolderMover &m_mover;
    const NameColumn &m_currentNames;
    RenamePlan &m_plan;
    WorkProgress *const m_progress;
    MoveGate *const m_gate;
    std::vector<bool> m_renamedRows;
    QHash<qsizetype, QByteArray> m_leftUnder; // rows a broken cycle or a gone medium left under a temporary name
    qsizetype m_renamed = 0;
    bool m_mediumGone = false;
    QHash<qsizetype, QByteArray> m_temporary;
    QSet<QByteArray> m_plannedNames;
};

} // namespace

RenameOutcome renameFiles(FolderMover &mover, const NameColumn &currentNames, const NameColumn &newNames,
                          const FolderRules &rules, WorkProgress *progress,
                          MoveGate *gate)
{
    RenamePlan plan = planRenames(currentNames, newNames, rules);
    if (gate)
        gate->planned(plan);
    if (progress)
        progress->setTotal(qsizetype(std::count_if(plan.moves.cbegin(), plan.moves.cend(), [](const PlannedMove &move) {
            return move.kind != PlannedMove::FromTemporary;
        })));
    return Execution(mover, currentNames, plan, progress, gate).run();
}

} // namespace velmix
