#include "journal/BatchRepair.h"

#include "listing/FolderListing.h"
#include "listing/RenamedFolders.h"
#include "listing/TemporaryName.h"
#include "text/FileNameCodec.h"

#include <QHash>

#include <algorithm>


namespace velmix {
namespace {

struct Candidate
{
    size_t row;
    QByteArray name;
};

// The files of the rows whose identities a crash kept from being written never moved in
// the batch; a repair cut short may have moved them since. Each is taken where its records
// leave it, else under its new name (where that was free), its old one or a temporary
// name: the first of those not another file's.
void settleUnlooked(const JournalContent &content, const QSet<QByteArray> &onDisk, BatchState &state,
                    QSet<QByteArray> &claimed)
{
    const std::vector<JournalRow> &rows = content.plan.rows;
    const auto take = [&](size_t row, const QByteArray &name) {
        if (!state.current[row].isEmpty() || name.isEmpty() || !onDisk.contains(name) || claimed.contains(name))
            return;
        state.current[row] = name;
        claimed.insert(name);
    };
    for (size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].seen == JournalRow::Seen::NotYet)
            take(row, content.namesNow[row]);
    }
    for (size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].seen != JournalRow::Seen::NotYet || !state.current[row].isEmpty())
            continue;
        if (rows[row].targetFree)
            take(row, rows[row].to);
        take(row, rows[row].from);
        const QString from = FileNameCodec::decode(rows[row].from);
        for (int attempt = 1; attempt <= TemporaryAttempts && state.current[row].isEmpty(); ++attempt)
            take(row, temporaryName(from, attempt, content.plan.rules));
    }
}

// How many times a tree's folders are looked for again, at most: once per level of
// folders renamed below one another, where each look finds one more level.
constexpr int MaxRounds = 64;

// The batch with its paths below the folders as `folders` says they are now.
JournalContent below(const JournalContent &content, const RenamedFolders &folders)
{
    if (folders.isEmpty())
        return content;
    JournalContent moved = content;
    const auto now = [&](QByteArray &path) {
        if (path.contains('/'))
            path = FileNameCodec::encode(folders.now(FileNameCodec::decode(path))).value_or(path);
    };
    for (JournalRow &row : moved.plan.rows) {
        now(row.from);
        now(row.to);
    }
    for (QByteArray &name : moved.namesNow)
        now(name);
    return moved;
}

} // namespace

BatchState locateBatch(const JournalContent &content, const QSet<QByteArray> &onDisk, FileIdentities &identities)
{
    const std::vector<JournalRow> &rows = content.plan.rows;
    const QByteArray &folder = content.plan.folder;
    const std::vector<QByteArray> &recorded = content.namesNow; // the last name recorded

    BatchState state;
    state.current.resize(rows.size());
    std::vector<std::optional<FileIdentity>> found(rows.size()); // what each file is now
    QSet<QByteArray> claimed;
    const auto looked = [&](size_t row) { return rows[row].seen == JournalRow::Seen::File; };
    // Where the driver numbers files anew, a name only one file can be under is taken on
    // its size (and time); a name two files may be under still wants the number.
    // Counted over the files not yet found: once the others are found elsewhere, a name
    // only one of those left can be under is taken on its size too.
    QHash<QByteArray, int> filesNamed;
    const auto countNames = [&] {
        filesNamed.clear();
        for (size_t row = 0; row < rows.size(); ++row) {
            const QByteArray &last = recorded[row], &to = rows[row].to, &from = rows[row].from;
            if (!state.current[row].isEmpty() || rows[row].seen == JournalRow::Seen::NotThere)
                continue;
            ++filesNamed[last];
            if (to != last)
                ++filesNamed[to];
            if (from != last && from != to)
                ++filesNamed[from];
        }
    };
    // The files found, by device and number: a name taken on size alone may be a second
    // link of one of them (a crash between a move's link and its unlink), never another
    // file of the same size.
    QSet<std::pair<quint64, quint64>> foundFiles;
    // Looks the candidates up in one pass; each name goes to the first file it is.
    auto settle = [&](const std::vector<Candidate> &candidates) {
        std::vector<QByteArray> names;
        for (const Candidate &candidate : candidates)
            names.push_back(candidate.name);
        const std::vector<std::optional<FileIdentity>> seen =
            identities.identify(folder, names, FileIdentities::Cores::Both);
        for (size_t i = 0; i < candidates.size(); ++i) {
            const Candidate &candidate = candidates[i];
            const bool byNumber = content.plan.rules.numbersKept || filesNamed.value(candidate.name) > 1;
            if (!state.current[candidate.row].isEmpty() || !seen[i] || claimed.contains(candidate.name)
                || !rows[candidate.row].identity.sameFileAs(*seen[i], !content.plan.rules.windows, byNumber))
                continue;
            const std::pair file{seen[i]->device, seen[i]->inode};
            if (seen[i]->links > 1 && foundFiles.contains(file))
                continue;
            state.current[candidate.row] = candidate.name;
            found[candidate.row] = seen[i];
            claimed.insert(candidate.name);
            foundFiles.insert(file);
        }
    };
    std::vector<Candidate> first;
    for (size_t row = 0; row < rows.size(); ++row) {
        if (looked(row))
            for (const QByteArray &name : {recorded[row], rows[row].to, rows[row].from}) {
            if (onDisk.contains(name))
                first.push_back({row, name});
        }
    }
    countNames();
    settle(first);
    if (!content.plan.rules.numbersKept) {
        countNames();
        std::erase_if(first, [&](const Candidate &candidate) { return !state.current[candidate.row].isEmpty(); });
        settle(first);
    }
    std::vector<Candidate> temporaries;
    for (size_t row = 0; row < rows.size(); ++row) {
        if (!state.current[row].isEmpty() || !looked(row))
            continue;
        const QString from = FileNameCodec::decode(rows[row].from);
        for (int attempt = 1; attempt <= TemporaryAttempts; ++attempt) {
            const QByteArray name = temporaryName(from, attempt, content.plan.rules);
            if (onDisk.contains(name)) {
                temporaries.push_back({row, name});
                ++filesNamed[name];
            }
        }
    }
    settle(temporaries);
    settleUnlooked(content, onDisk, state, claimed);

    // What the move in progress may have left: a placeholder under the new name (or a
    // temporary name) of a file that did not get there, or a second name of a file, left
    // where a crash came between a move's link and its unlink.
    std::vector<Candidate> leftovers;
    for (size_t row = 0; row < rows.size(); ++row) {
        if (state.current[row].isEmpty() || !looked(row))
            continue; // its file not found: an empty file under its names may be it
        const QString from = FileNameCodec::decode(rows[row].from);
        for (int attempt = 1; attempt <= TemporaryAttempts; ++attempt) {
            const QByteArray name = temporaryName(from, attempt, content.plan.rules);
            if (!onDisk.contains(name))
                break; // the names are tried in order, so the one a move left follows names taken
            if (!claimed.contains(name))
                leftovers.push_back({row, name});
        }
        for (const QByteArray &name : {rows[row].from, rows[row].to}) {
            if (name != state.current[row] && onDisk.contains(name) && !claimed.contains(name))
                leftovers.push_back({row, name});
        }
    }
    std::vector<QByteArray> names;
    for (const Candidate &candidate : leftovers)
        names.push_back(candidate.name);
    const std::vector<std::optional<FileIdentity>> seen = identities.identify(folder, names, FileIdentities::Cores::Both);
    for (size_t i = 0; i < leftovers.size(); ++i) {
        const size_t row = leftovers[i].row;
        const JournalRow &plan = rows[row];
        const QByteArray &name = leftovers[i].name;
        if (!seen[i])
            continue;
        // The very file the row is under: device, number, size and time alike at once.
        const bool secondName = *seen[i] == *found[row];
        const bool mayBePlaceholder = name != plan.from && (name != plan.to || plan.targetFree);
        const bool placeholder = mayBePlaceholder && seen[i]->size == 0
                                 && !(seen[i]->device == plan.identity.device && seen[i]->inode == plan.identity.inode);
        if (secondName || placeholder)
            state.leftovers.push_back({name, *seen[i]});
    }

    for (size_t row = 0; row < rows.size(); ++row) {
        if (!state.current[row].isEmpty() && state.current[row] != recorded[row])
            state.unrecorded.push_back({row, state.current[row]});
        if (rows[row].seen == JournalRow::Seen::NotThere)
            continue;
        if (state.current[row].isEmpty())
            ++state.missing;
        else if (state.current[row] == rows[row].to)
            ++state.moved;
        else
            ++state.notMoved;
    }
    return state;
}

std::optional<BatchState> locateBatchInFolder(FileMover &files, FileIdentities &identities,
                                              const JournalContent &content, WorkProgress *progress)
{
    // A batch over a tree names its files by their paths: the folders below are read too.
    const bool tree = std::any_of(content.plan.rows.begin(), content.plan.rows.end(),
                                  [](const JournalRow &row) { return row.from.contains('/') || row.to.contains('/'); });
    const FolderListing::Contents read = FolderListing::read(files, FileNameCodec::decode(content.plan.folder),
                                                             QStringLiteral("*.*"), progress, {tree, -1, false});
    if (read.error != 0)
        return std::nullopt;
    QSet<QByteArray> onDisk;
    const auto pathOf = [&](const NameColumn &names, const std::vector<quint32> &folders, qsizetype i) {
        return read.tree ? read.tree->path(folders[size_t(i)], names.at(i)) : names.at(i).toString();
    };
    for (qsizetype i = 0; i < read.names.size(); ++i)
        onDisk.insert(FileNameCodec::encode(pathOf(read.names, read.folderOfName, i)).value_or(QByteArray()));
    for (qsizetype i = 0; i < read.unlisted.size(); ++i)
        onDisk.insert(FileNameCodec::encode(pathOf(read.unlisted, read.folderOfUnlisted, i)).value_or(QByteArray()));
    if (!tree)
        return locateBatch(content, onDisk, identities);
    // The journal reads every path as the tree was before the batch, which renamed its
    // folders last: what lies below a folder found renamed is looked for below its new
    // name. Where the folders are found is known only once they are looked for, so the
    // look goes again till the folders stay where the last one found them.
    RenamedFolders folders;
    for (size_t row = 0; row < content.plan.rows.size(); ++row)
        folders.renamed(FileNameCodec::decode(content.plan.rows[row].from), FileNameCodec::decode(content.namesNow[row]));
    for (int round = 0;; ++round) {
        BatchState state = locateBatch(below(content, folders), onDisk, identities);
        RenamedFolders found;
        for (size_t row = 0; row < content.plan.rows.size(); ++row)
            found.renamed(FileNameCodec::decode(content.plan.rows[row].from), FileNameCodec::decode(state.current[row]));
        if (found == folders || round == MaxRounds)
            return state;
        folders = std::move(found);
    }
}

} // namespace velmix
