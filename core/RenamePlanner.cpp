#include "RenamePlanner.h"

#include "FileNameCodec.h"
#include "FolderCase.h"
#include "NameTransforms.h"

#include <QHash>

namespace velmix {
namespace {

constexpr qsizetype NoRow = -1;

bool isValidName(const QByteArray &name, qsizetype nameMax)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0')
           && name.size() <= nameMax;
}

// Every row's blocker is the moving row whose file holds its new name; since new names
// are unique, each row blocks at most one other, so the rows form simple chains and
// cycles.
struct Dependencies
{
    std::vector<qsizetype> blocker;
    std::vector<qsizetype> waiter;
};

} // namespace

QByteArray temporaryName(QStringView currentName, int attempt, qsizetype nameMax)
{
    const qsizetype tail = tailLength(currentName);
    const QString mark = QStringLiteral("~velmix%1").arg(attempt);
    QStringView stem = currentName.first(currentName.size() - tail);
    for (;;) {
        const std::optional<QByteArray> name =
            FileNameCodec::encode(stem.toString() + mark + currentName.last(tail).toString());
        if (!name)
            return {};
        if (name->size() <= nameMax && !name->startsWith('.'))
            return *name;
        if (stem.isEmpty())
            return {};
        const bool pair = stem.size() >= 2 && stem.back().isLowSurrogate() && stem[stem.size() - 2].isHighSurrogate();
        stem.chop(pair ? 2 : 1);
    }
}

RenamePlan planRenames(const NameColumn &currentNames, const NameColumn &newNames, qsizetype nameMax, bool ignoresCase)
{
    const qsizetype rows = currentNames.size();
    RenamePlan plan;
    plan.ignoresCase = ignoresCase;
    plan.sources.resize(size_t(rows));
    plan.targets.resize(size_t(rows));
    std::vector<bool> moving(size_t(rows), false);
    QHash<QByteArray, qsizetype> rowOfSource;
    rowOfSource.reserve(rows);
    for (qsizetype row = 0; row < rows; ++row) {
        plan.sources[size_t(row)] = FileNameCodec::encode(currentNames.at(row)).value_or(QByteArray());
        rowOfSource.insert(nameKey(plan.sources[size_t(row)], ignoresCase), row);
    }

    QHash<QByteArray, qsizetype> rowOfTarget;
    rowOfTarget.reserve(rows);
    for (qsizetype row = 0; row < rows; ++row) {
        if (newNames.at(row) == currentNames.at(row))
            continue;
        const std::optional<QByteArray> target = FileNameCodec::encode(newNames.at(row));
        if (!target || !isValidName(*target, nameMax) || plan.sources[size_t(row)].isEmpty()) {
            plan.failures.push_back({row, RenameReason::InvalidName});
            continue;
        }
        if (*target == plan.sources[size_t(row)])
            continue; // another spelling of the same bytes
        const QByteArray key = nameKey(*target, ignoresCase);
        if (rowOfTarget.contains(key)) {
            plan.failures.push_back({row, RenameReason::TakenByOtherRow});
            continue;
        }
        rowOfTarget.insert(key, row);
        plan.targets[size_t(row)] = *target;
        moving[size_t(row)] = true;
    }

    Dependencies deps{std::vector<qsizetype>(size_t(rows), NoRow), std::vector<qsizetype>(size_t(rows), NoRow)};
    std::vector<qsizetype> heldForGood;
    for (auto target = rowOfTarget.cbegin(); target != rowOfTarget.cend(); ++target) {
        const qsizetype row = target.value();
        const qsizetype holder = rowOfSource.value(target.key(), NoRow);
        if (holder == NoRow)
            continue;
        if (!moving[size_t(holder)]) {
            heldForGood.push_back(row);
            continue;
        }
        deps.blocker[size_t(row)] = holder;
        deps.waiter[size_t(holder)] = row;
    }
    // A listed file that stays keeps its name, and so does every file waiting on it in turn.
    for (qsizetype row : heldForGood) {
        for (; row != NoRow && moving[size_t(row)]; row = deps.waiter[size_t(row)]) {
            moving[size_t(row)] = false;
            plan.failures.push_back({row, RenameReason::TargetExists});
        }
    }

    std::vector<bool> planned(size_t(rows), false);
    // Walks from `from` to the rows waiting on it, appending each move once room is made.
    auto planWaiters = [&](qsizetype from) {
        for (qsizetype row = from; row != NoRow && !planned[size_t(row)]; row = deps.waiter[size_t(row)]) {
            planned[size_t(row)] = true;
            plan.moves.push_back({row, PlannedMove::Direct});
        }
    };
    // A chain starts at the row whose new name is free (it waits for nobody).
    for (qsizetype row = 0; row < rows; ++row) {
        if (moving[size_t(row)] && deps.blocker[size_t(row)] == NoRow)
            planWaiters(row);
    }
    // What is left are cycles: the first row steps aside to a temporary name.
    for (qsizetype row = 0; row < rows; ++row) {
        if (!moving[size_t(row)] || planned[size_t(row)])
            continue;
        planned[size_t(row)] = true;
        plan.moves.push_back({row, PlannedMove::ToTemporary});
        planWaiters(deps.waiter[size_t(row)]);
        plan.moves.push_back({row, PlannedMove::FromTemporary});
    }
    return plan;
}

} // namespace velmix
