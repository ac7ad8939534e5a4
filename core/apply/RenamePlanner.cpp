#include "apply/RenamePlanner.h"

#include "marks/NameConflicts.h"
#include "text/FileExtension.h"
#include "text/FileNameCodec.h"
#include "text/Surrogates.h"
#include "work/AsyncTask.h"

#include <QHash>

#include <optional>

namespace velmix {

namespace {

void encodeRows(const NameColumn &names, std::vector<QByteArray> &bytes, qsizetype from, qsizetype to,
                const NameColumn *unlessEqualTo = nullptr)
{
    for (qsizetype row = from; row < to; ++row) {
        if (!unlessEqualTo || names.at(row) != unlessEqualTo->at(row))
            bytes[size_t(row)] = FileNameCodec::encode(names.at(row)).value_or(QByteArray());
    }
}

// A batch over a tree names its files by their paths below the chosen folder. Each is
// judged as a name in its own folder: the names split into their folders' indexes and
// their last parts. A new name in another folder than its file's is no name to take.
struct TreeNames
{
    NameColumn current;
    NameColumn next;
    std::vector<quint32> folders;
    std::vector<size_t> folderDepths; // by folder index: how many folders down it lies
};

std::optional<TreeNames> splitIntoFolders(const NameColumn &currentNames, const NameColumn &newNames)
{
    bool anyPath = false;
    for (qsizetype row = 0; row < currentNames.size() && !anyPath; ++row)
        anyPath = currentNames.at(row).contains(u'/');
    if (!anyPath)
        return std::nullopt;
    TreeNames tree;
    QHash<QStringView, quint32> folderIndex;
    tree.folders.reserve(size_t(currentNames.size()));
    // Each column sized once: the last parts are shorter than the paths ("/" is one unit).
    tree.current.beginRewrite(currentNames.size(), currentNames.totalLength());
    tree.next.beginRewrite(currentNames.size(), newNames.totalLength() + currentNames.size());
    QStringView lastFolder;
    quint32 lastIndex = 0;
    for (qsizetype row = 0; row < currentNames.size(); ++row) {
        const QStringView current = currentNames.at(row), next = newNames.at(row);
        const qsizetype parent = current.lastIndexOf(u'/') + 1; // the folder's part, its "/" included
        // A listing gives a folder's files together: most rows are told by the row before.
        if (row == 0 || current.first(parent) != lastFolder) {
            lastFolder = current.first(parent);
            auto folder = folderIndex.constFind(lastFolder);
            if (folder == folderIndex.constEnd()) {
                folder = folderIndex.insert(lastFolder, quint32(folderIndex.size()));
                tree.folderDepths.push_back(size_t(lastFolder.count(u'/')));
            }
            lastIndex = folder.value();
        }
        tree.folders.push_back(lastIndex);
        tree.current.writeGrowing(current.sliced(parent));
        // "/" is no name in any folder: the row is refused as an invalid name.
        tree.next.writeGrowing(next.startsWith(current.first(parent)) ? next.sliced(parent) : QStringView(u"/"));
    }
    tree.current.endRewrite();
    tree.next.endRewrite();
    return tree;
}

// The rows by how many folders down their paths lie, each level's in row order; all in
// one level where the batch is no tree.
std::vector<std::vector<qsizetype>> rowsByDepth(qsizetype rows, const std::optional<TreeNames> &tree)
{
    std::vector<std::vector<qsizetype>> levels(1);
    levels[0].reserve(size_t(rows));
    for (qsizetype row = 0; row < rows; ++row) {
        const size_t depth = tree ? tree->folderDepths[tree->folders[size_t(row)]] : 0;
        if (depth >= levels.size())
            levels.resize(depth + 1);
        levels[depth].push_back(row);
    }
    return levels;
}

} // namespace

RenamePlan planRenames(const NameColumn &currentNames, const NameColumn &newNames, const FolderRules &rules)
{
    // On a large folder, writing both columns out as bytes takes as long again as judging
    // the new names; a second thread does its share meanwhile. New names are encoded
    // whether or not they move, and kept only for the rows that do.
    constexpr qsizetype SharedFrom = 8192;
    const qsizetype rows = currentNames.size();
    RenamePlan plan;
    plan.rules = rules;
    plan.sources.resize(size_t(rows));
    plan.targets.resize(size_t(rows));
    const qsizetype split = rows < SharedFrom ? rows : rows / 2; // the new names from here on are the helper's
    // A small folder, or one without a thread to be had, gets all of it done here.
    AsyncTask helper(
        [&] {
            encodeRows(currentNames, plan.sources, 0, rows);
            encodeRows(newNames, plan.targets, split, rows, &currentNames);
        },
        split < rows);
    // The file system itself is the judge of entries not listed (they may have come or
    // gone since the listing): such rows are tried, and fail as it answers.
    const std::optional<TreeNames> tree = splitIntoFolders(currentNames, newNames);
    const NameJudgement judgement =
        tree ? judgeNewNames(FolderNames(tree->current, rules, {}, {.listed = tree->folders, .unlisted = {}, .rules = {}}),
                             tree->next)
             : judgeNewNames(FolderNames(currentNames, rules), newNames);
    encodeRows(newNames, plan.targets, 0, split, &currentNames);
    helper.take();
    for (qsizetype row = 0; row < rows; ++row) {
        if (judgement.fates[size_t(row)] == RowFate::Moves)
            continue;
        plan.targets[size_t(row)].clear();
        if (const std::optional<RenameReason> reason = refusalOf(judgement.fates[size_t(row)]))
            plan.failures.push_back({row, *reason});
    }

    const auto moving = [&](qsizetype row) { return judgement.fates[size_t(row)] == RowFate::Moves; };
    std::vector<bool> planned(size_t(rows), false);
    // Walks from `from` to the rows waiting on it, appending each move once room is made.
    auto planWaiters = [&](qsizetype from) {
        for (qsizetype row = from; row != NoRow && !planned[size_t(row)]; row = judgement.waiters[size_t(row)]) {
            planned[size_t(row)] = true;
            plan.moves.push_back({row, PlannedMove::Direct});
        }
    };
    // Over a tree the entries of the deepest folders move first: every path is read as
    // the tree was before the batch, and a folder (a row too, where folders are renamed)
    // moves only once all below it have. A chain or a cycle never leaves its folder.
    const std::vector<std::vector<qsizetype>> byDepth = rowsByDepth(rows, tree);
    for (auto level = byDepth.rbegin(); level != byDepth.rend(); ++level) {
        // A chain starts at the row whose new name is free (it waits for nobody).
        for (const qsizetype row : *level) {
            if (moving(row) && judgement.blockers[size_t(row)] == NoRow)
                planWaiters(row);
        }
        // What is left are cycles: the first row steps aside to a temporary name.
        for (const qsizetype row : *level) {
            if (!moving(row) || planned[size_t(row)])
                continue;
            planned[size_t(row)] = true;
            plan.moves.push_back({row, PlannedMove::ToTemporary});
            planWaiters(judgement.waiters[size_t(row)]);
            plan.moves.push_back({row, PlannedMove::FromTemporary});
        }
    }
    return plan;
}

} // namespace velmix
