#include "RenameExecutor.h"

#include "FileNameCodec.h"
#include "FolderCase.h"
#include "RenamePlanner.h"

#include <QSet>

#include <algorithm>
#include <cerrno>
#include <optional>

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
                if (const int error = m_mover.move(source, target); error != 0)
                    m_plan.failures.push_back(failureOf(move.row, error));
                break;
            case PlannedMove::ToTemporary:
                if (const std::optional<RenameFailure> failure = stepAside(move.row, source))
                    m_plan.failures.push_back(*failure);
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
    std::optional<RenameFailure> stepAside(qsizetype row, const QByteArray &source)
    {
        int error = EEXIST;
        for (int attempt = 1; attempt <= TemporaryAttempts; ++attempt) {
            const QByteArray name = temporaryName(m_currentNames.at(row), attempt, m_nameMax);
            if (name.isEmpty())
                return RenameFailure{row, RenameReason::InvalidName}; // no temporary name fits
            if (plannedNames().contains(nameKey(name, m_plan.ignoresCase)))
                continue;
            error = m_mover.move(source, name);
            if (error == 0) {
                m_temporary.insert(row, name);
                return std::nullopt;
            }
            if (error != EEXIST)
                return failureOf(row, error);
        }
        return RenameFailure{row, RenameReason::FileSystemError, error};
    }

    void finishFromTemporary(qsizetype row, const QByteArray &source, const QByteArray &target)
    {
        const QByteArray temporary = m_temporary.take(row);
        const int error = m_mover.move(temporary, target);
        if (error == 0)
            return;
        RenameFailure failure = failureOf(row, error);
        // Back to the old name where it is free again; otherwise the file keeps the
        // temporary name, which still shows its old one, and the report says so.
        if (m_mover.move(temporary, source) != 0)
            failure.temporaryName = FileNameCodec::decode(temporary);
        m_plan.failures.push_back(failure);
    }

    // Names no temporary name may take, built only when a file first steps aside.
    const QSet<QByteArray> &plannedNames()
    {
        if (m_plannedNames.isEmpty()) {
            m_plannedNames.reserve(qsizetype(m_plan.sources.size() * 2));
            for (const auto *names : {&m_plan.sources, &m_plan.targets}) {
                for (const QByteArray &name : *names)
                    m_plannedNames.insert(nameKey(name, m_plan.ignoresCase));
            }
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
    RenamePlan plan = planRenames(currentNames, newNames, mover.nameMax(), folderIgnoresCase(mover, currentNames));
    Execution(mover, currentNames, plan).run();
    return std::move(plan.failures);
}

} // namespace velmix
