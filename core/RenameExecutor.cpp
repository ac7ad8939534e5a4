#include "RenameExecutor.h"

#include "RenamePlanner.h"

#include <QSet>

#include <algorithm>
#include <cerrno>

namespace velmix {
namespace {

constexpr int TemporaryAttempts = 100;

RenameFailure failureOf(qsizetype row, int error)
{
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return {row, RenameReason::TargetExists};
    case ENOENT:
        return {row, RenameReason::SourceMissing};
    case ENAMETOOLONG:
        return {row, RenameReason::InvalidName};
    default:
        return {row, RenameReason::FileSystemError, error};
    }
}

class Execution
{
public:
    Execution(FolderMover &mover, const NameColumn &currentNames, RenamePlan &plan)
        : m_mover(mover), m_currentNames(currentNames), m_plan(plan), m_nameMax(mover.nameMax())
    {
    }

    void run()
    {
        for (const PlannedMove &move : m_plan.moves) {
            const QByteArray &source = m_plan.sources[size_t(move.row)];
            const QByteArray &target = m_plan.targets[size_t(move.row)];
            switch (move.kind) {
            case PlannedMove::Direct:
                moveDirect(move.row, source, target);
                break;
            case PlannedMove::ToTemporary:
                if (const int error = stepAside(move.row, source); error != 0)
                    m_plan.failures.push_back(failureOf(move.row, error));
                break;
            case PlannedMove::FromTemporary:
                if (m_temporary.contains(move.row))
                    finishFromTemporary(move.row, source, target);
                break;
            }
        }
        std::stable_sort(m_plan.failures.begin(), m_plan.failures.end(),
                         [](const RenameFailure &a, const RenameFailure &b) { return a.row < b.row; });
    }

private:
    void moveDirect(qsizetype row, const QByteArray &source, const QByteArray &target)
    {
        const int error = m_mover.move(source, target);
        if (error == 0)
            return;
        // A change of letter case on a file system that ignores case: the new name is the
        // file itself, so it goes through a temporary name.
        if (error == EEXIST && m_mover.sameFile(source, target) && stepAside(row, source) == 0) {
            finishFromTemporary(row, source, target);
            return;
        }
        m_plan.failures.push_back(failureOf(row, error));
    }

    int stepAside(qsizetype row, const QByteArray &source)
    {
        int error = EEXIST;
        for (int attempt = 1; attempt <= TemporaryAttempts; ++attempt) {
            const QByteArray name = temporaryName(m_currentNames.at(row), attempt, m_nameMax);
            if (name.isEmpty())
                return EEXIST; // no temporary name fits: the file stays where it is
            if (plannedNames().contains(name))
                continue;
            error = m_mover.move(source, name);
            if (error == 0) {
                m_temporary.insert(row, name);
                return 0;
            }
            if (error != EEXIST)
                return error;
        }
        return error;
    }

    void finishFromTemporary(qsizetype row, const QByteArray &source, const QByteArray &target)
    {
        const QByteArray temporary = m_temporary.take(row);
        const int error = m_mover.move(temporary, target);
        if (error == 0)
            return;
        m_plan.failures.push_back(failureOf(row, error));
        // Back to the old name where it is free again; otherwise the file keeps the
        // temporary name, which still shows its old one.
        (void)m_mover.move(temporary, source);
    }

    // Names no temporary name may take, built only when a file first steps aside.
    const QSet<QByteArray> &plannedNames()
    {
        if (m_plannedNames.isEmpty()) {
            m_plannedNames.reserve(qsizetype(m_plan.sources.size() * 2));
            for (const QByteArray &name : m_plan.sources)
                m_plannedNames.insert(name);
            for (const QByteArray &name : m_plan.targets)
                m_plannedNames.insert(name);
        }
        return m_plannedNames;
    }

    FolderMover &m_mover;
    const NameColumn &m_currentNames;
    RenamePlan &m_plan;
    const qsizetype m_nameMax;
    QHash<qsizetype, QByteArray> m_temporary;
    QSet<QByteArray> m_plannedNames;
};

} // namespace

std::vector<RenameFailure> renameFiles(FolderMover &mover, const NameColumn &currentNames, const NameColumn &newNames)
{
    RenamePlan plan = planRenames(currentNames, newNames, mover.nameMax());
    Execution(mover, currentNames, plan).run();
    return std::move(plan.failures);
}

} // namespace velmix
