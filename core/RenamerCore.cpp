#include "RenamerCore.h"

#include "apply/ApplyReport.h"
#include "apply/RenameExecutor.h"
#include "journal/BatchRepair.h"
#include "journal/JournalReport.h"
#include "listing/DirectoryReader.h"
#include "listing/FolderToOpen.h"
#include "metadata/LibraryTagReader.h"
#include "text/FileNameCodec.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace velmix {
namespace {

// Full path without a trailing separator, but "/" for the root.
QString normalizedFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    return clean.isEmpty() ? QStringLiteral("/") : clean;
}

} // namespace

const QStringList RenamerCore::Masks{
    QStringLiteral("*.*"),   QStringLiteral("*.mp3"), QStringLiteral("*.wav"), QStringLiteral("*.mp3;*.wav"),
    QStringLiteral("*.jpg"), QStringLiteral("*.bmp"), QStringLiteral("*.jpg;*.bmp"), QStringLiteral("*.gif"),
    QStringLiteral("*.avi"), QStringLiteral("*.mpg"), QStringLiteral("*.avi;*.mpg")};

RenamerCore::RenamerCore(Services services, const QString &startFolder)
    : m_services(services)
    , m_runner(services.workDisplay)
    , m_metadata(m_runner, makeLibraryTagReader())
    , m_preview(services.busyPointer)
    , m_drives(services.driveList.drives())
{
    m_preview.setMetadataSource(&m_metadata);
    m_selection.folder = normalizedFolder(startFolder);
    m_selection.driveIndex = driveIndexHolding(m_selection.folder);
    if (services.stateFolder && services.fileIdentities)
        m_journal.emplace(*services.stateFolder);
}

void RenamerCore::setFolder(const QString &path)
{
    const QString folder = normalizedFolder(path);
    if (folder == m_selection.folder)
        return;
    cancellable([&] {
        m_selection.folder = folder;
        return listSelection(Pointer::Busy);
    });
}

int RenamerCore::savedDriveIndex() const
{
    return int(m_drives.indexOf(Drive{m_selection.savedDriveMount}));
}

void RenamerCore::selectDrive(int index)
{
    if (index < 0 || index >= m_drives.size())
        return;
    cancellable([&] {
        m_selection.driveIndex = index;
        return listSelectedDrive();
    });
}

bool RenamerCore::openFolder(const QString &path)
{
    const QString folder = folderToOpen(path, m_selection.folder).folder;
    if (folder.isEmpty())
        return false;
    const int drive = driveIndexHolding(folder);
    cancellable([&] {
        m_selection.driveIndex = drive;
        if (drive >= 0)
            m_selection.savedDriveMount = m_drives[drive].mountPoint;
        if (folder == m_selection.folder)
            return Listed::Read;
        m_selection.folder = folder;
        return listSelection(Pointer::Busy);
    });
    return true;
}

void RenamerCore::selectMask(int index)
{
    if (index < 0 || index >= m_masks.size())
        return;
    cancellable([&] {
        m_selection.maskText = m_masks[index];
        return listSelection(Pointer::AsIs);
    });
}

bool RenamerCore::setTypedMask(const QString &typed)
{
    const std::optional<QString> mask = WildcardMask::fromTyped(typed);
    if (!mask)
        return false;
    if (const int entry = int(m_masks.indexOf(*mask)); entry >= 0) {
        selectMask(entry);
        return true;
    }
    cancellable([&] {
        m_selection.maskText = *mask;
        return listSelection(Pointer::AsIs);
    });
    if (m_selection.maskText == *mask && table().holdsFiles())
        m_masks.append(*mask);
    return true;
}

template<typename Flow>
void RenamerCore::cancellable(Flow flow)
{
    const FolderListing listing = m_listing; // the names are shared, not copied
    const Selection selection = m_selection;
    // Nothing of the table changed yet: every flow lists before it loads the table.
    if (flow() == Listed::Cancelled) {
        m_listing = listing;
        m_selection = selection;
    }
}

RenamerCore::Listed RenamerCore::readListing()
{
    if (!m_listing.stale())
        return Listed::Read;
    WorkProgress progress(m_listingCancellable);
    FolderListing::Contents contents = m_runner.run(
        WorkKind::ReadingFolder, progress,
        [&files = m_services.fileMover, folder = m_listing.path(), mask = m_listing.mask(), &progress] {
            return FolderListing::read(files, folder, mask, &progress);
        });
    if (progress.cancelled() && contents.error == ECANCELED)
        return Listed::Cancelled;
    m_listing.adopt(std::move(contents));
    return Listed::Read;
}

void RenamerCore::startUp()
{
    // An unreadable working folder shows an empty table; nothing to fall back from yet.
    // So does a cancelled listing: the listing goes back to naming no folder, so the
    // table loaded below is empty.
    const QScopedValueRollback startingUp(m_startingUp, true);
    if (m_journal) {
        RenameJournal::Scan scan = m_journal->scan();
        for (const RenameJournal::Entry &apply : scan.finishedApplies)
            remember({FileNameCodec::decode(apply.content.plan.folder), apply.name, std::nullopt});
        m_unfinishedJournals = std::move(scan.unfinished);
        m_journalProblems = std::move(scan.problems);
    }
    m_preview.clearPending();
    cancellable([&] {
        m_selection.maskText = Masks.first();
        return listSelection(Pointer::AsIs);
    });
    m_preview.setDigitWidthIndex(0);
    m_preview.numberingInputChanged();
    resetOptions();
    if (m_selection.driveIndex >= 0)
        m_selection.savedDriveMount = m_drives[m_selection.driveIndex].mountPoint;
    (void)loadFileList(); // a cancel leaves the table as it was, empty
}

RenamerCore::Listed RenamerCore::loadFileList()
{
    if (readListing() == Listed::Cancelled)
        return Listed::Cancelled;
    m_metadata.setFolder(m_listing.path());
    m_preview.loadFileList(m_listing.names(), m_listing.rules(), m_listing.unlistedNames());
    return Listed::Read;
}

void RenamerCore::resetOptions()
{
    m_preview.ResetOptions();
    // The same mask again keeps the listing just read.
    if (m_listing.mask() != maskText())
        m_listing.setMask(maskText());
}

void RenamerCore::resetAndRelist()
{
    cancellable([&] {
        m_listing.refresh();
        return relist();
    });
}

RenamerCore::Listed RenamerCore::relist()
{
    if (loadFileList() == Listed::Cancelled)
        return Listed::Cancelled;
    m_undoElsewhere.clear(); // a folder picked: Ctrl+Z is that folder's
    resetOptions();
    m_preview.RebuildNewNames();
    m_preview.clearPending();
    return Listed::Read;
}

RenamerCore::Listed RenamerCore::listSelection(Pointer pointer)
{
    std::optional<BusyGuard> busy;
    if (pointer == Pointer::Busy)
        busy.emplace(m_services.busyPointer);
    m_listing.setPath(m_selection.folder);
    m_listing.setMask(maskText());
    return fallBackIfUnreadable() == Listed::Cancelled ? Listed::Cancelled : relist();
}

RenamerCore::Listed RenamerCore::fallBackIfUnreadable()
{
    if (readListing() == Listed::Cancelled)
        return Listed::Cancelled;
    if (m_listing.readError() == 0) {
        m_selection.lastReadableFolder = m_selection.folder;
        if (m_selection.driveIndex >= 0)
            m_selection.lastFolderOnDrive.insert(m_drives[m_selection.driveIndex].mountPoint, m_selection.folder);
        return Listed::Read;
    }
    if (m_startingUp)
        return Listed::Read;
    // Silently back to the last folder that could be read, else the nearest readable
    // parent, else home, else the root; the table is then loaded from there.
    QStringList candidates{m_selection.lastReadableFolder};
    for (QString folder = m_selection.lastReadableFolder; !folder.isEmpty() && folder != u"/";) {
        folder = QFileInfo(folder).path();
        candidates.append(folder);
    }
    for (QString folder = m_selection.folder; folder != u"/";) {
        folder = QFileInfo(folder).path();
        candidates.append(folder);
    }
    candidates << normalizedFolder(QDir::homePath()) << QStringLiteral("/");
    for (const QString &candidate : std::as_const(candidates)) {
        if (candidate.isEmpty() || candidate == m_selection.folder)
            continue;
        m_listing.setPath(candidate);
        if (readListing() == Listed::Cancelled)
            return Listed::Cancelled;
        if (m_listing.readError() == 0) {
            m_selection.folder = candidate;
            m_selection.lastReadableFolder = candidate;
            return Listed::Read;
        }
    }
    m_listing.setPath(m_selection.folder);
    return Listed::Read;
}

RenamerCore::Listed RenamerCore::listSelectedDrive()
{
    const std::optional<Listed> listed = applyDrive(m_selection.driveIndex);
    return listed ? *listed : recoverDrive();
}

std::optional<RenamerCore::Listed> RenamerCore::applyDrive(int index)
{
    if (index < 0 || index >= m_drives.size())
        return std::nullopt;
    const QString folder = readableFolderOn(index);
    if (folder.isEmpty())
        return std::nullopt; // the drive is not ready
    Listed listed;
    if (folder != m_selection.folder) {
        m_selection.folder = folder;
        listed = listSelection(Pointer::Busy);
    } else {
        m_listing.refresh(); // a pick of the drive shown reads its folder again
        listed = relist();
    }
    m_selection.savedDriveMount = m_drives[index].mountPoint;
    return listed;
}

QString RenamerCore::readableFolderOn(int driveIndex) const
{
    // The drive's last folder may have gone since; its parents on the same drive come
    // next, so the folder shown always belongs to the drive picked.
    const QString &mountPoint = m_drives[driveIndex].mountPoint;
    for (QString folder = shownFolderOf(driveIndex);; folder = QFileInfo(folder).path()) {
        if (canReadFolder(folder))
            return folder;
        if (folder == mountPoint || folder == u"/")
            return {};
    }
}

RenamerCore::Listed RenamerCore::recoverDrive()
{
    // Back to the last good drive, found by its mount point since positions shift when
    // a medium goes; failing that the home folder's drive, then the root. Never loops.
    const int failed = m_selection.driveIndex;
    const int candidates[] = {savedDriveIndex(), driveIndexHolding(normalizedFolder(QDir::homePath())),
                              int(m_drives.indexOf(Drive{QStringLiteral("/")}))};
    for (int candidate : candidates) {
        if (candidate < 0 || candidate == failed)
            continue;
        m_selection.driveIndex = candidate;
        if (const std::optional<Listed> listed = applyDrive(candidate))
            return *listed;
    }
    return relist();
}

int RenamerCore::driveIndexHolding(const QString &path) const
{
    int best = -1;
    for (int i = 0; i < m_drives.size(); ++i) {
        const QString &point = m_drives[i].mountPoint;
        const bool holds = point == u"/" || path == point || path.startsWith(point + u'/');
        if (holds && (best < 0 || point.size() > m_drives[best].mountPoint.size()))
            best = i;
    }
    return best;
}

QString RenamerCore::shownFolderOf(int driveIndex) const
{
    const QString &mountPoint = m_drives[driveIndex].mountPoint;
    if (const auto last = m_selection.lastFolderOnDrive.constFind(mountPoint); last != m_selection.lastFolderOnDrive.constEnd())
        return *last;
    const QString home = normalizedFolder(QDir::homePath());
    return driveIndexHolding(home) == driveIndex ? home : mountPoint;
}

void RenamerCore::applyNewNames()
{
    if (!m_preview.namesPending())
        return;
    const RenameBatch batch = plannedApply();
    const std::optional<JournaledOutcome> moved = renameInFolder(batch);
    if (!moved)
        return;
    // Kept also where the folder could not be read again afterwards and the selection fell
    // back from it: the files were renamed all the same.
    std::optional<UndoRecord> record = UndoRecord::after(moved->outcome, batch.folder, moved->identities);
    if (!record) {
        if (!moved->journal.isEmpty())
            m_journal->remove(moved->journal);
        return;
    }
    remember({batch.folder, moved->journal, std::move(record)});
    m_undoElsewhere = m_selection.folder != batch.folder ? batch.folder : QString();
}

RenamerCore::RenameBatch RenamerCore::plannedApply() const
{
    std::vector<bool> marked(size_t(table().fileCount()));
    for (qsizetype row = 0; row < table().fileCount(); ++row)
        marked[size_t(row)] = table().mark(row) == NameMark::Refused;
    RenameBatch batch{WorkKind::Renaming, m_selection.folder,
                      {.from = table().currentNames(), .to = table().newNames(), .rules = m_listing.rules(),
                       .unlisted = m_listing.unlistedNames()}};
    batch.markedAhead = std::move(marked);
    return batch;
}

void RenamerCore::remember(UndoHistory::Entry entry)
{
    for (const QString &dropped : m_history.add(std::move(entry)))
        m_journal->remove(dropped);
}

QString RenamerCore::undoFolder() const
{
    if (m_history.holds(m_selection.folder))
        return m_selection.folder;
    return m_history.holds(m_undoElsewhere) ? m_undoElsewhere : QString();
}

bool RenamerCore::loadRecord(UndoHistory::Entry &entry)
{
    if (entry.record)
        return true;
    QString problem;
    if (const std::optional<JournalContent> content = m_journal->read(entry.journal, problem))
        entry.record = UndoRecord::fromJournal(*content);
    if (!problem.isEmpty())
        m_services.messageBox.showMessage(JournalReport::Title, problem);
    else if (!entry.record)
        m_journal->remove(entry.journal);
    if (!entry.record)
        m_history.remove(&entry);
    return entry.record.has_value();
}

void RenamerCore::undoLastApply()
{
    const QString folder = undoFolder();
    UndoHistory::Entry *entry = folder.isEmpty() ? nullptr : m_history.lastIn(folder);
    if (!entry || !loadRecord(*entry) || !m_services.messageBox.ask(UndoRecord::QuestionTitle, entry->record->question()))
        return;
    if (m_selection.folder != folder) { // the selection fell back from a folder that went away
        setFolder(folder);
        if (m_selection.folder != folder) { // still gone: the undo waits for it
            m_undoElsewhere = folder;
            m_services.messageBox.showMessage(ApplyReport::Title, ApplyReport::folderUnavailable(folder));
            return;
        }
        entry = m_history.lastIn(folder);
    }
    const UndoHistory::Entry taken = std::move(*entry);
    m_history.remove(entry);
    QStringList changed;
    const std::optional<JournaledOutcome> moved = renameInFolder(undoBatch(taken, changed));
    if (!changed.isEmpty())
        m_services.messageBox.showMessage(ApplyReport::Title, JournalReport::changedSinceApply(changed));
    // The undo's end mark is on disk: the apply it took back goes, then the undo's journal.
    if (!taken.journal.isEmpty())
        m_journal->remove(taken.journal);
    if (moved && !moved->journal.isEmpty())
        m_journal->remove(moved->journal);
}

RenamerCore::RenameBatch RenamerCore::undoBatch(const UndoHistory::Entry &entry, QStringList &changed) const
{
    const UndoRecord &record = *entry.record;
    RenameBatch batch{WorkKind::Undoing, record.folder(),
                      {.rules = record.rules(), .unlisted = m_listing.unlistedNames(), .undoes = entry.journal}};
    std::vector<std::optional<FileIdentity>> now;
    const std::optional<QByteArray> folder = FileNameCodec::encode(record.folder());
    if (m_services.fileIdentities && folder) {
        std::vector<QByteArray> names;
        for (qsizetype row = 0; row < record.fileCount(); ++row)
            names.push_back(FileNameCodec::encode(record.currentNames().at(row)).value_or(QByteArray()));
        now = m_services.fileIdentities->identify(*folder, names);
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
        batch.moves.from.append(record.currentNames().at(row));
        batch.moves.to.append(record.oldNames().at(row));
    }
    return batch;
}

void RenamerCore::repairUnfinishedBatches()
{
    if (!m_journalProblems.isEmpty())
        m_services.messageBox.showMessage(JournalReport::Title, std::exchange(m_journalProblems, {}).join(u'\n'));
    for (const QString &journal : std::exchange(m_unfinishedJournals, {}))
        repairBatch(journal);
}

void RenamerCore::repairBatch(const QString &journal)
{
    QString problem;
    const std::optional<JournalContent> content = m_journal->read(journal, problem);
    if (!content) {
        m_services.messageBox.showMessage(JournalReport::Title, problem);
        return;
    }
    const JournalPlan &plan = content->plan;
    const QString folder = FileNameCodec::decode(plan.folder);
    NameColumn listed, unlisted;
    if (content->state != JournalContent::State::Unfinished || readFolder(folder, WildcardMask(), listed, &unlisted) != 0) {
        if (content->state == JournalContent::State::Unfinished) // kept for a start that finds the folder
            m_services.messageBox.showMessage(JournalReport::Title, JournalReport::folderUnreachable(folder));
        return;
    }
    QSet<QByteArray> onDisk;
    for (const NameColumn *names : {&listed, &unlisted})
        for (qsizetype i = 0; i < names->size(); ++i)
            onDisk.insert(FileNameCodec::encode(names->at(i)).value_or(QByteArray()));
    const BatchState state = locateBatch(*content, onDisk, *m_services.fileIdentities);
    const bool undo = plan.kind == BatchKind::Undo;
    const bool finish = m_services.messageBox.ask(
        JournalReport::RepairTitle, JournalReport::repairQuestion(undo, folder, state.moved, state.notMoved, state.missing,
                                                                     content->unwrittenRows));
    for (const BatchState::Leftover &leftover : state.leftovers)
        (void)m_services.fileIdentities->removeIfSame(plan.folder, leftover.name, leftover.identity);

    RenameBatch batch{undo ? WorkKind::Undoing : WorkKind::Renaming, folder,
                      {.rules = plan.rules, .resumes = journal, .unrecorded = state.unrecorded}};
    for (size_t row = 0; row < plan.rows.size(); ++row) {
        const QByteArray &target = finish ? plan.rows[row].to : plan.rows[row].from;
        if (!state.current[row].isEmpty() && state.current[row] != target) {
            batch.moves.from.append(FileNameCodec::decode(state.current[row]));
            batch.moves.to.append(FileNameCodec::decode(target));
        }
    }
    if (batch.moves.from.isEmpty()) {
        int error = 0;
        if (const std::unique_ptr<JournalWriter> writer = m_journal->resume(journal, error)) {
            for (const FoundName &found : state.unrecorded)
                writer->found(found);
            (void)writer->finish();
        }
        resetAndRelist();
    } else {
        (void)renameInFolder(batch);
    }
    if (!finish) {
        m_journal->remove(journal); // for an undo put back, its apply stays undoable
    } else if (undo) {
        m_history.removeJournal(plan.undoes);
        m_journal->remove(plan.undoes);
        m_journal->remove(journal);
    } else {
        remember({folder, journal, std::nullopt});
    }
}

std::optional<JournaledOutcome> RenamerCore::renameInFolder(const RenameBatch &batch)
{
    // Every listing from here on must show what is on disk.
    const QScopedValueRollback showDisk(m_listingCancellable, false);
    m_lastSummary.clear();
    std::optional<JournaledOutcome> outcome;
    QString stepFailure;
    {
        BusyGuard busy(m_services.busyPointer); // the re-read belongs to the busy time too
        outcome = moveFiles(batch);
        stepFailure = outcome ? rereadAfterMoves() : ApplyReport::folderUnavailable(batch.folder);
    }
    // A folder that went away is reported before the selection falls back from it.
    if (!stepFailure.isEmpty()) {
        m_services.messageBox.showMessage(ApplyReport::Title, stepFailure);
        (void)listSelection(Pointer::Busy);
    }
    m_preview.clearPending();
    if (outcome)
        tellIfJournalFailed(outcome->journalError);
    reportMoves(batch, outcome);
    return outcome;
}

std::optional<JournaledOutcome> RenamerCore::moveFiles(const RenameBatch &batch)
{
    int error = 0;
    const std::optional<QByteArray> folderBytes = FileNameCodec::encode(batch.folder);
    std::shared_ptr<FolderMover> mover = folderBytes ? m_services.fileMover.openFolder(*folderBytes, error) : nullptr;
    if (!mover)
        return std::nullopt;
    WorkProgress progress;
    JournaledBatch journaled = batch.moves;
    journaled.kind = batch.kind == WorkKind::Undoing ? BatchKind::Undo : BatchKind::Apply;
    journaled.folder = *folderBytes;
    RenameJournal *journal = m_journal ? &*m_journal : nullptr;
    return m_runner.run(batch.kind, progress, [mover, journaled, identities = m_services.fileIdentities, journal, &progress] {
        return renameJournaled(*mover, journaled, identities, journal, &progress);
    });
}

void RenamerCore::tellIfJournalFailed(int error)
{
    if (error == 0 || m_toldJournalFailed || !m_journal)
        return;
    m_toldJournalFailed = true;
    m_services.messageBox.showMessage(JournalReport::Title, JournalReport::repairOff(m_journal->path(), error));
}

QString RenamerCore::rereadAfterMoves()
{
    // A folder that cannot be read again is told alone, and the rows that failed, if any,
    // follow in their own box.
    if (!canReadFolder(m_selection.folder))
        return ApplyReport::folderGone(m_selection.folder);
    (void)listSelection(Pointer::Busy); // it cannot be cancelled: the listing shows what is on disk
    return {};
}

void RenamerCore::reportMoves(const RenameBatch &batch, const std::optional<JournaledOutcome> &moved)
{
    if (!moved)
        return;
    const RenameOutcome *outcome = &moved->outcome;
    m_lastSummary = ApplyReport::summary(batch.kind, outcome->renamed,
                                         outcome->renamed + qsizetype(outcome->failures.size()) + outcome->notReached);
    if (outcome->mediumGone)
        m_services.messageBox.showMessage(ApplyReport::Title, ApplyReport::mediumGone(outcome->renamed));
    else if (outcome->notReached > 0)
        m_services.messageBox.showMessage(ApplyReport::CancelTitle,
                                          ApplyReport::cancelled(outcome->renamed, outcome->notReached));
    if (!outcome->failures.empty()) {
        const QString folderPath = batch.folder.endsWith(u'/') ? batch.folder : batch.folder + u'/';
        const auto markedAhead = std::count_if(outcome->failures.begin(), outcome->failures.end(), [&](const RenameFailure &f) {
            return size_t(f.row) < batch.markedAhead.size() && batch.markedAhead[size_t(f.row)];
        });
        m_services.messageBox.showMessage(
            ApplyReport::Title, ApplyReport::failedRows(batch.moves.from, batch.moves.to, folderPath, outcome->failures, markedAhead));
    }
}

} // namespace velmix
