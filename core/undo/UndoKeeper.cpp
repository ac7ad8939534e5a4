#include "undo/UndoKeeper.h"

#include "journal/JournalReport.h"
#include "listing/FolderListing.h"
#include "text/FileNameCodec.h"

#include <QRegularExpression>

namespace velmix {

UndoKeeper::UndoKeeper(StateFolder *stateFolder, FileIdentities *identities, FileMover &files, MessageBox &messages)
    : m_identities(identities)
    , m_files(files)
    , m_messages(messages)
{
    if (stateFolder && identities)
        m_journal.emplace(*stateFolder);
}

void UndoKeeper::readJournals()
{
    if (!m_journal)
        return;
    RenameJournal::Scan scan = m_journal->scan();
    for (const RenameJournal::Entry &apply : scan.finishedApplies)
        remember({FileNameCodec::decode(apply.content.plan.folder), apply.name, std::nullopt});
    m_unfinished = std::move(scan.unfinished);
    m_problems = std::move(scan.problems);
    announce();
}

QStringList UndoKeeper::takeUnfinished()
{
    tellJournalsSetAside();
    return std::exchange(m_unfinished, {});
}

void UndoKeeper::tellJournalsSetAside()
{
    if (!m_problems.isEmpty())
        tellSetAside(std::exchange(m_problems, {}).join(u'\n'));
}

void UndoKeeper::tellIfJournalFailed(int error)
{
    if (error == 0 || m_toldJournalFailed || !m_journal)
        return;
    m_toldJournalFailed = true;
    m_messages.showMessage(JournalReport::Title, JournalReport::repairOff(m_journal->path(), error));
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

const UndoRecord *UndoKeeper::recordToUndo()
{
    const QString folder = undoFolder();
    UndoHistory::Entry *entry = folder.isEmpty() ? nullptr : m_history.lastIn(folder);
    if (!entry || entry->record)
        return entry ? &*entry->record : nullptr;
    QString problem;
    if (const std::optional<JournalContent> content = m_journal->read(entry->journal, problem))
        entry->record = UndoRecord::fromJournal(*content);
    if (entry->record)
        return &*entry->record;
    if (!problem.isEmpty())
        tellSetAside(problem); // set aside, not removed
    else
        removeJournal(entry->journal);
    m_history.remove(entry);
    announce();
    return nullptr;
}

JournaledBatch UndoKeeper::takeUndo(const QString &folder, const NameColumn &unlisted, QStringList &changed)
{
    UndoHistory::Entry *entry = m_history.lastIn(folder);
    if (!entry || !entry->record)
        return {};
    const UndoHistory::Entry taken = std::move(*entry);
    m_history.remove(entry);
    announce();
    const UndoRecord &record = *taken.record;
    JournaledBatch batch{.rules = record.rules(), .unlisted = unlisted, .undoes = taken.journal};
    std::vector<std::optional<FileIdentity>> now;
    const std::optional<QByteArray> folderBytes = FileNameCodec::encode(record.folder());
    if (m_identities && folderBytes) {
        std::vector<QByteArray> names;
        for (qsizetype row = 0; row < record.fileCount(); ++row)
            names.push_back(FileNameCodec::encode(record.currentNames().at(row)).value_or(QByteArray()));
        now = m_identities->identify(*folderBytes, names);
    }
    const QString folderPath = record.folder().endsWith(u'/') ? record.folder() : record.folder() + u'/';
    for (qsizetype row = 0; row < record.fileCount(); ++row) {
        const std::optional<FileIdentity> &then = record.identities()[size_t(row)];
        const std::optional<FileIdentity> seen = size_t(row) < now.size() ? now[size_t(row)] : std::nullopt;
        // A file gone is tried all the same, and reported as not found. Where the driver
        // numbers files anew its number does not count (the undo never moves a file over
        // another, so a mistaken one costs nothing).
        if (then && seen && !then->sameFileAs(*seen, !record.rules().windows, record.rules().numbersKept)) {
            changed << folderPath + record.currentNames().at(row).toString();
            continue;
        }
        batch.from.append(record.currentNames().at(row));
        batch.to.append(record.oldNames().at(row));
    }
    return batch;
}

void UndoKeeper::undone(const JournaledBatch &undo, const QString &undoJournal)
{
    removeJournal(undo.undoes);
    removeJournal(undoJournal);
}

std::optional<JournalContent> UndoKeeper::readUnfinished(const QString &journal)
{
    QString problem;
    std::optional<JournalContent> content = m_journal->read(journal, problem);
    if (!content)
        tellSetAside(problem);
    return content;
}

JournaledBatch UndoKeeper::repairMoves(const QString &journal, const JournalContent &content, const BatchState &state,
                                       bool finish)
{
    const JournalPlan &plan = content.plan;
    for (const BatchState::Leftover &leftover : state.leftovers)
        (void)m_identities->removeIfSame(plan.folder, leftover.name, leftover.identity);
    JournaledBatch batch{.rules = plan.rules, .resumes = journal, .unrecorded = state.unrecorded};
    for (size_t row = 0; row < plan.rows.size(); ++row) {
        const QByteArray &target = finish ? plan.rows[row].to : plan.rows[row].from;
        if (!state.current[row].isEmpty() && state.current[row] != target) {
            batch.from.append(FileNameCodec::decode(state.current[row]));
            batch.to.append(FileNameCodec::decode(target));
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

void UndoKeeper::tellSetAside(QString lines)
{
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
            lines += u'\n' + JournalReport::temporaryNamesLeft(path, names);
    }
    m_messages.showMessage(JournalReport::Title, lines);
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
