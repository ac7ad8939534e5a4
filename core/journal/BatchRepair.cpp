#include "journal/BatchRepair.h"

#include "apply/RenamePlanner.h"
#include "listing/FolderListing.h"
#include "text/FileNameCodec.h"

#include <QHash>


namespace velmix {
namespace {

struct Candidate
{
    size_t row;
    QByteArray name;
};

} // namespace

BatchState locateBatch(const JournalContent &content, const QSet<QByteArray> &onDisk, FileIdentities &identities)
{
    const std::vector<JournalRow> &rows = content.plan.rows;
    const QByteArray &folder = content.plan.folder;
    const std::vector<QByteArray> &recorded = content.namesNow; // the last name recorded

    BatchState state;
    state.current.resize(rows.size());
    QSet<QByteArray> claimed;
    // Where the driver numbers files anew, a name only one file can be under is taken on
    // its size (and time); a name two files may be under still wants the number.
    // Counted over the files not yet found: once the others are found elsewhere, a name
    // only one of those left can be under is taken on its size too.
    QHash<QByteArray, int> filesNamed;
    const auto countNames = [&] {
        filesNamed.clear();
        for (size_t row = 0; row < rows.size(); ++row) {
            const QByteArray &last = recorded[row], &to = rows[row].to, &from = rows[row].from;
            if (!state.current[row].isEmpty())
                continue;
            ++filesNamed[last];
            if (to != last)
                ++filesNamed[to];
            if (from != last && from != to)
                ++filesNamed[from];
        }
    };
    // Looks the candidates up in one pass; each name goes to the first file it is.
    auto settle = [&](const std::vector<Candidate> &candidates) {
        std::vector<QByteArray> names;
        for (const Candidate &candidate : candidates)
            names.push_back(candidate.name);
        const std::vector<std::optional<FileIdentity>> seen = identities.identify(folder, names);
        for (size_t i = 0; i < candidates.size(); ++i) {
            const Candidate &candidate = candidates[i];
            const bool byNumber = content.plan.rules.numbersKept || filesNamed.value(candidate.name) > 1;
            if (!state.current[candidate.row].isEmpty() || !seen[i] || claimed.contains(candidate.name)
                || !rows[candidate.row].identity.sameFileAs(*seen[i], !content.plan.rules.windows, byNumber))
                continue;
            state.current[candidate.row] = candidate.name;
            claimed.insert(candidate.name);
        }
    };
    std::vector<Candidate> first;
    for (size_t row = 0; row < rows.size(); ++row) {
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
        if (!state.current[row].isEmpty())
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

    // What the move in progress may have left: a placeholder under the new name (or a
    // temporary name) of a file that did not get there, or the old name still linked to
    // a file that did.
    std::vector<Candidate> leftovers;
    for (size_t row = 0; row < rows.size(); ++row) {
        if (state.current[row].isEmpty())
            continue; // its file not found: an empty file under its names may be it
        const QString from = FileNameCodec::decode(rows[row].from);
        for (int attempt = 1; attempt <= TemporaryAttempts; ++attempt) {
            const QByteArray name = temporaryName(from, attempt, content.plan.rules);
            if (!onDisk.contains(name))
                break; // the names are tried in order, so the one a move left follows names taken
            if (!claimed.contains(name))
                leftovers.push_back({row, name});
        }
    }
    for (size_t row = 0; row < rows.size(); ++row) {
        const JournalRow &plan = rows[row];
        if (state.current[row] == plan.to && onDisk.contains(plan.from) && !claimed.contains(plan.from))
            leftovers.push_back({row, plan.from});
        else if (state.current[row] != plan.to && plan.targetFree && onDisk.contains(plan.to) && !claimed.contains(plan.to))
            leftovers.push_back({row, plan.to});
    }
    std::vector<QByteArray> names;
    for (const Candidate &candidate : leftovers)
        names.push_back(candidate.name);
    const std::vector<std::optional<FileIdentity>> seen = identities.identify(folder, names);
    for (size_t i = 0; i < leftovers.size(); ++i) {
        const JournalRow &plan = rows[leftovers[i].row];
        if (!seen[i])
            continue;
        const bool secondLink = leftovers[i].name == plan.from && *seen[i] == plan.identity;
        const bool placeholder = leftovers[i].name != plan.from && seen[i]->size == 0
                                 && !(seen[i]->device == plan.identity.device && seen[i]->inode == plan.identity.inode);
        if (secondLink || placeholder)
            state.leftovers.push_back({leftovers[i].name, *seen[i]});
    }

    for (size_t row = 0; row < rows.size(); ++row) {
        if (!state.current[row].isEmpty() && state.current[row] != recorded[row])
            state.unrecorded.push_back({row, state.current[row]});
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
    const FolderListing::Contents read =
        FolderListing::read(files, FileNameCodec::decode(content.plan.folder), QStringLiteral("*.*"), progress);
    if (read.error != 0)
        return std::nullopt;
    QSet<QByteArray> onDisk;
    for (const NameColumn *names : {&read.names, &read.unlisted})
        for (qsizetype i = 0; i < names->size(); ++i)
            onDisk.insert(FileNameCodec::encode(names->at(i)).value_or(QByteArray()));
    return locateBatch(content, onDisk, identities);
}

} // namespace velmix
