#include "undo/UndoKeeper.h"

#include "journal/JournalReport.h"
#include "listing/FolderListing.h"
#include "text/FileNameCodec.h"

#include <QRegularExpression>

namespace velmix {

UndoKeeper::UndoKeeper(StateFolder *stateFolder, FileIdentities *identities, FolderLocks *locks, FileMover &files,
                       MessageBox &messages,
                       WorkRunner &runner, RenameStep step)
    : m_identities(identities)
    , m_locks(locks)
    , m_files(files)
    , m_messages(messages)
    , m_runner(runner)
    , m_step(std::move(step))
{
    if (stateFolder && identities)
        m_journal.emplace(*stateFolder);
}

void UndoKeeper::readJournals()
{
    readHistory(true);
    announce();
}

void UndoKeeper::readHistory(bool atStart)
{
    if (!m_journal)
        return;
    RenameJournal::Scan scan = m_journal->scan();
    // An undo that ended takes its apply out of the history; a crash may have come
    // between its end mark and that.
    for (const RenameJournal::Entry &undo : scan.finishedUndos) {
        std::erase_if(scan.finishedApplies,
                      [&](const RenameJournal::Entry &apply) { return apply.name == undo.content.plan.undoes; });
        removeJournal(undo.content.plan.undoes);
        removeJournal(undo.name);
    }
    std::vector<std::pair<QString, QString>> applies;
    for (const RenameJournal::Entry &apply : scan.finishedApplies)
        applies.emplace_back(apply.name, FileNameCodec::decode(apply.content.plan.folder));
    for (const QString &dropped : m_history.readFrom(applies))
        removeJournal(dropped);
    if (atStart)
        m_unfinished = std::move(scan.unfinished); // later, another program's to repair
    m_problems += scan.problems;
}

void UndoKeeper::folderShown(const QString &folder)
{
    m_shownFolder = folder;
    m_awaitedFolder.clear(); // a folder picked: Ctrl+Z is that folder's
    announce();
}

void UndoKeeper::awaitFolder(const QString &folder)
{
    m_awaitedFolder = folder;
    announce();
}

QString UndoKeeper::undoFolder() const
{
    if (m_history.holds(m_shownFolder))
        return m_shownFolder;
    return m_history.holds(m_awaitedFolder) ? m_awaitedFolder : QString();
}

std::optional<JournaledOutcome> UndoKeeper::runStep(const RenameBatch &batch, BatchReport &report)
{
    RenameJournal *journal = m_journal ? &*m_journal : nullptr;
    std::optional<JournaledOutcome> moved = m_step(batch, journal, report);
    if (!moved)
        return moved;
    // An end mark that did not reach the disk would ask for a repair of a batch that
    // ended: the journal goes, and the batch's undo lasts for this run. A repair's own
    // journal stays for the next start.
    if (moved->journalUnended && batch.moves.resumes.isEmpty())
        removeJournal(std::exchange(moved->journal, {}));
    report.journalProblem = journalProblem(moved->journalError);
    return moved;
}

bool UndoKeeper::holdFolder(WorkKind kind, const QString &folder, std::unique_ptr<FolderHold> &held, BatchReport &report)
{
    const std::optional<QByteArray> bytes = FileNameCodec::encode(folder);
    if (!m_locks || !bytes || (held = m_locks->hold(*bytes)))
        return true;
    report.kind = kind;
    report.folder = folder;
    report.folderTrouble = BatchReport::FolderTrouble::Busy;
    return false;
}

BatchReport UndoKeeper::apply(const RenameBatch &batch)
{
    BatchReport report;
    report.setAside = takeSetAside();
    std::unique_ptr<FolderHold> held;
    if (!holdFolder(batch.kind, batch.folder, held, report))
        return report;
    if (const std::optional<JournaledOutcome> moved = runStep(batch, report))
        applied(batch.folder, *moved);
    return report;
}

void UndoKeeper::applied(const QString &folder, const JournaledOutcome &moved)
{
    // Kept also where the folder could not be read again afterwards and the selection fell
    // back from it: the files were renamed all the same.
    std::optional<UndoRecord> record = UndoRecord::after(moved.outcome, folder, moved.identities);
    if (!record) {
        removeJournal(moved.journal);
        return;
    }
    remember({folder, moved.journal, std::move(record)});
    if (m_shownFolder != folder)
        m_awaitedFolder = folder;
    announce();
}

BatchReport UndoKeeper::undo()
{
    BatchReport report;
    report.kind = WorkKind::Undoing;
    readHistory(false);
    const QString folder = undoFolder();
    UndoHistory::Entry *entry = folder.isEmpty() ? nullptr : m_history.lastIn(folder);
    const UndoRecord *record = entry ? recordOf(*entry) : nullptr;
    report.setAside = takeSetAside();
    announce();
    std::unique_ptr<FolderHold> held; // taken before the question: a folder held elsewhere is not asked about
    if (!record || !holdFolder(report.kind, folder, held, report)
        || !m_messages.ask(UndoRecord::QuestionTitle, record->question()))
        return report;
    report.ran = true;
    const QString journal = entry->journal;
    std::vector<qsizetype> rows;
    QStringList changed;
    RenameBatch batch{WorkKind::Undoing, folder, undoMoves(*record, rows, changed), {}, true};
    batch.moves.undoes = journal;
    const std::optional<JournaledOutcome> moved = runStep(batch, report);
    if (!moved) { // the folder is not there: the undo waits for it
        awaitFolder(folder);
        return report;
    }
    report.changedSinceApply = changed;
    // The step may have read the history's folder again: the entry is looked up anew.
    entry = m_history.lastIn(folder);
    if (entry && entry->journal == journal)
        keepRemainder(*entry, batch.moves, rows, moved->outcome, report);
    removeJournal(moved->journal);
    announce();
    return report;
}

const UndoRecord *UndoKeeper::recordOf(UndoHistory::Entry &entry)
{
    if (entry.record)
        return &*entry.record;
    QString problem;
    if (const std::optional<JournalContent> content = m_journal->read(entry.journal, problem))
        entry.record = UndoRecord::fromJournal(*content);
    if (entry.record)
        return &*entry.record;
    if (!problem.isEmpty())
        m_problems << problem; // set aside, not removed
    else
        removeJournal(entry.journal);
    m_history.remove(&entry);
    return nullptr;
}

JournaledBatch UndoKeeper::undoMoves(const UndoRecord &record, std::vector<qsizetype> &rows, QStringList &changed) const
{
    JournaledBatch batch{.rules = record.rules()};
    // Over a tree the record reads every path as the tree was before the apply; the undo
    // reads them as it is now, below the folders the apply renamed, and like every batch
    // puts the entries of the deepest folders back first, the folders themselves last.
    const UndoRecord::Paths paths = record.pathsNow();
    const NameColumn &currentPaths = paths.current, &oldPaths = paths.old;
    std::vector<std::optional<FileIdentity>> now;
    const std::optional<QByteArray> folderBytes = FileNameCodec::encode(record.folder());
    if (m_identities && folderBytes) {
        std::vector<QByteArray> names;
        for (qsizetype row = 0; row < record.fileCount(); ++row)
            names.push_back(FileNameCodec::encode(currentPaths.at(row)).value_or(QByteArray()));
        now = m_identities->identify(*folderBytes, names, FileIdentities::Cores::Both);
    }
    const QString folderPath = record.folder().endsWith(u'/') ? record.folder() : record.folder() + u'/';
    for (qsizetype row = 0; row < record.fileCount(); ++row) {
        const std::optional<FileIdentity> &then = record.identities()[size_t(row)];
        const std::optional<FileIdentity> seen = size_t(row) < now.size() ? now[size_t(row)] : std::nullopt;
        // A file gone is tried all the same, and reported as not found. Where the driver
        // numbers files anew its number does not count (the undo never moves a file over
        // another, so a mistaken one costs nothing).
        if (then && seen && !then->sameFileAs(*seen, !record.rules().windows, record.rules().numbersKept)) {
            changed << folderPath + currentPaths.at(row).toString();
            continue;
        }
        rows.push_back(row);
        batch.from.append(currentPaths.at(row));
        batch.to.append(oldPaths.at(row));
    }
    return batch;
}

void UndoKeeper::keepRemainder(UndoHistory::Entry &entry, const JournaledBatch &batch, const std::vector<qsizetype> &rows,
                               const RenameOutcome &outcome, BatchReport &report)
{
    const UndoRecord &record = *entry.record;
    std::vector<qsizetype> left; // rows of the record
    std::vector<QByteArray> namesNow;
    for (size_t row = 0; row < rows.size() && row < outcome.finalNames.size(); ++row) {
        if (outcome.finalNames[row] != FileNameCodec::encode(batch.to.at(qsizetype(row)))) {
            left.push_back(rows[row]);
            namesNow.push_back(outcome.finalNames[row]);
        }
    }
    if (left.empty()) {
        removeJournal(entry.journal);
        m_history.remove(&entry);
        return;
    }
    report.keptForUndo = qsizetype(left.size());
    const UndoRecord remainder = record.rows(left, namesNow);
    if (!entry.journal.isEmpty()) {
        JournalPlan plan{.kind = BatchKind::Apply, .undoes = {},
                         .folder = FileNameCodec::encode(record.folder()).value_or(QByteArray()), .rules = record.rules(),
                         .rows = {}};
        for (size_t i = 0; i < left.size(); ++i) {
            const std::optional<FileIdentity> &identity = record.identities()[size_t(left[i])];
            plan.rows.push_back({FileNameCodec::encode(remainder.oldNames().at(qsizetype(i))).value_or(QByteArray()),
                                 namesNow[i], identity.value_or(FileIdentity{}), true,
                                 identity ? JournalRow::Seen::File : JournalRow::Seen::NotThere});
        }
        int error = 0;
        const QString written = m_journal->writeRemainder(entry.journal, plan, namesNow, error);
        if (written.isEmpty()) {
            // The whole apply stays on disk: its rows already back fail as not found then.
            report.journalProblem = journalProblem(error);
        } else {
            removeJournal(std::exchange(entry.journal, written));
        }
    }
    entry.record = remainder;
}

BatchReport UndoKeeper::repair()
{
    BatchReport report;
    report.setAside = takeSetAside();
    for (const QString &journal : std::exchange(m_unfinished, {}))
        report.followedBy(repairBatch(journal));
    return report;
}

BatchReport UndoKeeper::repairBatch(const QString &journal)
{
    BatchReport report;
    QString problem;
    const std::optional<JournalContent> content = m_journal->read(journal, problem);
    if (!content) {
        report.setAside = setAsideLines({problem});
        return report;
    }
    if (content->state != JournalContent::State::Unfinished)
        return report;
    const JournalPlan &plan = content->plan;
    const QString folder = FileNameCodec::decode(plan.folder);
    std::unique_ptr<FolderHold> held; // the journal stays for a start that finds the folder free
    if (!holdFolder(WorkKind::Renaming, folder, held, report))
        return report;
    report.ran = true;
    WorkProgress progress(false);
    const std::optional<BatchState> state = m_runner.run(WorkKind::ReadingFolder, progress, [&] {
        return locateBatchInFolder(m_files, *m_identities, *content, &progress);
    });
    if (!state) { // the journal is kept for a start that finds the folder
        report.unreachable << folder;
        return report;
    }
    const bool undo = plan.kind == BatchKind::Undo;
    const bool finish = m_messages.ask(JournalReport::RepairTitle, JournalReport::repairQuestion(
                                                                      undo, folder, state->moved, state->notMoved, state->missing));
    // The old names come back where an apply is put back or an undo finished.
    const bool namesBack = undo == finish;
    const RenameBatch batch{namesBack ? WorkKind::Undoing : WorkKind::Renaming, folder,
                            repairMoves(journal, *content, *state, finish)};
    qsizetype renamed = 0;
    std::vector<QByteArray> namesNow = state->current; // per row of the journal
    if (batch.moves.from.isEmpty()) {
        closeUnmoved(journal, *state);
        (void)m_step(batch, nullptr, report); // nothing moves: the folder is read again
    } else if (const std::optional<JournaledOutcome> moved = runStep(batch, report)) {
        renamed = moved->outcome.renamed;
        const std::vector<QByteArray> &finalNames = moved->outcome.finalNames;
        for (size_t row = 0, moveRow = 0; row < namesNow.size() && moveRow < finalNames.size(); ++row) {
            if (!namesNow[row].isEmpty() && namesNow[row] != (finish ? plan.rows[row].to : plan.rows[row].from))
                namesNow[row] = finalNames[moveRow++];
        }
    }
    report.summary = JournalReport::repaired(namesBack, namesBack ? renamed : state->moved + renamed);
    if (finish && undo)
        keepUndoneRemainder(plan, namesNow, report);
    repaired(journal, plan, finish);
    return report;
}

JournaledBatch UndoKeeper::repairMoves(const QString &journal, const JournalContent &content, const BatchState &state,
                                       bool finish)
{
    const JournalPlan &plan = content.plan;
    for (const BatchState::Leftover &leftover : state.leftovers)
        (void)m_identities->removeIfSame(plan.folder, leftover.name, leftover.identity);
    JournaledBatch batch{.rules = plan.rules, .resumes = journal, .unrecorded = state.unrecorded};
    for (size_t row = 0; row < plan.rows.size(); ++row) {
        // The target's own name in the folder the file is found in: over a tree, the
        // folder may have been renamed before the crash.
        const QByteArray &target = finish ? plan.rows[row].to : plan.rows[row].from;
        const QByteArray &current = state.current[row];
        const QByteArray targetNow = current.left(current.lastIndexOf('/') + 1) + target.sliced(target.lastIndexOf('/') + 1);
        if (!current.isEmpty() && current != targetNow) {
            batch.from.append(FileNameCodec::decode(current));
            batch.to.append(FileNameCodec::decode(targetNow));
        }
    }
    return batch;
}

void UndoKeeper::closeUnmoved(const QString &journal, const BatchState &state)
{
    int error = 0;
    if (const std::unique_ptr<JournalWriter> writer = m_journal->resume(journal, error)) {
        for (const FoundName &found : state.unrecorded)
            writer->found(found);
        (void)writer->finish();
    }
}

void UndoKeeper::keepUndoneRemainder(const JournalPlan &undo, const std::vector<QByteArray> &namesNow, BatchReport &report)
{
    // The apply's rows whose files the finished undo could not put back stay undoable;
    // a file not found is nobody's to take back.
    JournalPlan remainder{.kind = BatchKind::Apply, .undoes = {}, .folder = undo.folder, .rules = undo.rules, .rows = {}};
    std::vector<QByteArray> left;
    for (size_t row = 0; row < undo.rows.size(); ++row) {
        const JournalRow &back = undo.rows[row];
        if (namesNow[row].isEmpty() || namesNow[row] == back.to)
            continue;
        remainder.rows.push_back({back.to, namesNow[row], back.identity, true, back.seen});
        left.push_back(namesNow[row]);
    }
    if (remainder.rows.empty())
        return;
    int error = 0;
    const QString written = m_journal->writeRemainder(undo.undoes, remainder, left, error);
    if (written.isEmpty()) {
        report.journalProblem = journalProblem(error);
        return;
    }
    report.keptForUndo = qsizetype(left.size());
    remember({FileNameCodec::decode(undo.folder), written, std::nullopt});
}

void UndoKeeper::repaired(const QString &journal, const JournalPlan &plan, bool finish)
{
    if (!finish) {
        removeJournal(journal); // for an undo put back, its apply stays undoable
    } else if (plan.kind == BatchKind::Undo) {
        m_history.removeJournal(plan.undoes);
        removeJournal(plan.undoes);
        removeJournal(journal);
    } else {
        remember({FileNameCodec::decode(plan.folder), journal, std::nullopt});
    }
    announce();
}

void UndoKeeper::remember(UndoHistory::Entry entry)
{
    for (const QString &dropped : m_history.add(std::move(entry)))
        removeJournal(dropped);
}

QStringList UndoKeeper::setAsideLines(const QStringList &problems)
{
    if (problems.isEmpty() || !m_journal)
        return problems;
    QStringList lines = problems;
    static const QRegularExpression temporary(QStringLiteral("~velmix[0-9]+"));
    for (const QByteArray &folder : m_journal->takeAsideFolders()) {
        const QString path = FileNameCodec::decode(folder);
        const FolderListing::Contents read = FolderListing::read(m_files, path, QStringLiteral("*.*"), nullptr);
        QStringList names;
        for (const NameColumn *column : {&read.names, &read.unlisted}) {
            for (qsizetype i = 0; i < column->size(); ++i) {
                if (temporary.match(column->at(i)).hasMatch())
                    names << column->at(i).toString();
            }
        }
        if (read.error == 0 && !names.isEmpty())
            lines << JournalReport::temporaryNamesLeft(path, names);
    }
    return lines;
}

QString UndoKeeper::journalProblem(int error)
{
    if (error == 0 || m_toldJournalFailed || !m_journal)
        return {};
    m_toldJournalFailed = true;
    return JournalReport::repairOff(m_journal->path(), error);
}

void UndoKeeper::removeJournal(const QString &journal)
{
    if (m_journal && !journal.isEmpty())
        m_journal->remove(journal);
}

void UndoKeeper::announce()
{
    const QString folder = undoFolder();
    if (folder == m_announced)
        return;
    const bool wasAvailable = !m_announced.isEmpty();
    m_announced = folder;
    if (wasAvailable != !folder.isEmpty())
        Q_EMIT undoAvailable(!folder.isEmpty());
    Q_EMIT undoTextChanged(folder.isEmpty() ? QString() : QStringLiteral("Ctrl+Z: вернуть прежние имена в папке ") + folder);
}

} // namespace velmix
