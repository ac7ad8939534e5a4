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
const QStringList RenamerCore::Masks{
    QStringLiteral("*.*"),   QStringLiteral("*.mp3"), QStringLiteral("*.wav"), QStringLiteral("*.mp3;*.wav"),
    QStringLiteral("*.jpg"), QStringLiteral("*.bmp"), QStringLiteral("*.jpg;*.bmp"), QStringLiteral("*.gif"),
    QStringLiteral("*.avi"), QStringLiteral("*.mpg"), QStringLiteral("*.avi;*.mpg")};

RenamerCore::RenamerCore(Services services, const QString &startFolder)
    : m_services(services)
    , m_runner(services.workDisplay)
    , m_metadata(m_runner, makeLibraryTagReader())
    , m_preview(services.busyPointer)
    , m_selection(services.driveList.drives(), startFolder, Masks.first())
    , m_undo(services.stateFolder, services.fileIdentities, services.messageBox)
{
    m_preview.setMetadataSource(&m_metadata);
}

void RenamerCore::setFolder(const QString &path)
{
    const QString folder = FolderSelection::normalized(path);
    if (folder == m_selection.folder())
        return;
    cancellable([&] {
        m_selection.setFolder(folder);
        return listSelection(Pointer::Busy);
    });
}

void RenamerCore::selectDrive(int index)
{
    if (index < 0 || index >= drives().size())
        return;
    cancellable([&] {
        m_selection.setDriveIndex(index);
        return listSelectedDrive();
    });
}

bool RenamerCore::openFolder(const QString &path)
{
    const QString folder = folderToOpen(path, m_selection.folder()).folder;
    if (folder.isEmpty())
        return false;
    cancellable([&] {
        m_selection.setDriveIndex(m_selection.driveIndexHolding(folder));
        m_selection.saveDrive();
        if (folder == m_selection.folder())
            return Listed::Read;
        m_selection.setFolder(folder);
        return listSelection(Pointer::Busy);
    });
    return true;
}

void RenamerCore::selectMask(int index)
{
    if (index < 0 || index >= m_masks.size())
        return;
    cancellable([&] {
        m_selection.setMaskText(m_masks[index]);
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
        m_selection.setMaskText(*mask);
        return listSelection(Pointer::AsIs);
    });
    if (maskText() == *mask && table().holdsFiles())
        m_masks.append(*mask);
    return true;
}

template<typename Flow>
void RenamerCore::cancellable(Flow flow)
{
    const FolderListing listing = m_listing; // the names are shared, not copied
    const FolderSelection selection = m_selection;
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
    m_undo.readJournals();
    m_preview.clearPending();
    cancellable([&] {
        m_selection.setMaskText(Masks.first());
        return listSelection(Pointer::AsIs);
    });
    m_preview.setDigitWidthIndex(0);
    m_preview.numberingInputChanged();
    resetOptions();
    m_selection.saveDrive();
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
    m_undo.folderShown(m_selection.folder());
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
    m_listing.setPath(m_selection.folder());
    m_listing.setMask(maskText());
    return fallBackIfUnreadable() == Listed::Cancelled ? Listed::Cancelled : relist();
}

RenamerCore::Listed RenamerCore::fallBackIfUnreadable()
{
    if (readListing() == Listed::Cancelled)
        return Listed::Cancelled;
    if (m_listing.readError() == 0) {
        m_selection.folderRead();
        return Listed::Read;
    }
    if (m_startingUp)
        return Listed::Read;
    // Silently to the nearest folder that can be read; the table is then loaded from there.
    for (const QString &candidate : m_selection.fallbacks()) {
        m_listing.setPath(candidate);
        if (readListing() == Listed::Cancelled)
            return Listed::Cancelled;
        if (m_listing.readError() == 0) {
            m_selection.fellBackTo(candidate);
            return Listed::Read;
        }
    }
    m_listing.setPath(m_selection.folder());
    return Listed::Read;
}

RenamerCore::Listed RenamerCore::listSelectedDrive()
{
    const std::optional<Listed> listed = applyDrive(m_selection.driveIndex());
    return listed ? *listed : recoverDrive();
}

std::optional<RenamerCore::Listed> RenamerCore::applyDrive(int index)
{
    if (index < 0 || index >= drives().size())
        return std::nullopt;
    const QString folder = m_selection.readableFolderOn(index);
    if (folder.isEmpty())
        return std::nullopt; // the drive is not ready
    Listed listed;
    if (folder != m_selection.folder()) {
        m_selection.setFolder(folder);
        listed = listSelection(Pointer::Busy);
    } else {
        m_listing.refresh(); // a pick of the drive shown reads its folder again
        listed = relist();
    }
    m_selection.saveDrive();
    return listed;
}

RenamerCore::Listed RenamerCore::recoverDrive()
{
    // Back to the last good drive, failing that the home folder's drive, then the root.
    for (const int candidate : m_selection.recoveryDrives()) {
        m_selection.setDriveIndex(candidate);
        if (const std::optional<Listed> listed = applyDrive(candidate))
            return *listed;
    }
    return relist();
}

void RenamerCore::applyNewNames()
{
    if (!m_preview.namesPending())
        return;
    const RenameBatch batch = plannedApply();
    if (const std::optional<JournaledOutcome> moved = renameInFolder(batch))
        m_undo.applied(batch.folder, *moved);
}

RenamerCore::RenameBatch RenamerCore::plannedApply() const
{
    std::vector<bool> marked(size_t(table().fileCount()));
    for (qsizetype row = 0; row < table().fileCount(); ++row)
        marked[size_t(row)] = table().mark(row) == NameMark::Refused;
    RenameBatch batch{WorkKind::Renaming, folder(),
                      {.from = table().currentNames(), .to = table().newNames(), .rules = m_listing.rules(),
                       .unlisted = m_listing.unlistedNames()}};
    batch.markedAhead = std::move(marked);
    return batch;
}

void RenamerCore::undoLastApply()
{
    const QString folder = m_undo.undoFolder();
    const UndoRecord *record = m_undo.recordToUndo();
    if (!record || !m_services.messageBox.ask(UndoRecord::QuestionTitle, record->question()))
        return;
    if (this->folder() != folder) { // the selection fell back from a folder that went away
        setFolder(folder);
        if (this->folder() != folder) { // still gone: the undo waits for it
            m_undo.awaitFolder(folder);
            m_services.messageBox.showMessage(ApplyReport::Title, ApplyReport::folderUnavailable(folder));
            return;
        }
    }
    QStringList changed;
    const RenameBatch batch{WorkKind::Undoing, folder, m_undo.takeUndo(folder, m_listing.unlistedNames(), changed)};
    const std::optional<JournaledOutcome> moved = renameInFolder(batch);
    if (!changed.isEmpty())
        m_services.messageBox.showMessage(ApplyReport::Title, JournalReport::changedSinceApply(changed));
    m_undo.undone(batch.moves, moved ? moved->journal : QString());
}

void RenamerCore::repairUnfinishedBatches()
{
    for (const QString &journal : m_undo.takeUnfinished())
        repairBatch(journal);
}

void RenamerCore::repairBatch(const QString &journal)
{
    const std::optional<JournalContent> content = m_undo.readUnfinished(journal);
    if (!content || content->state != JournalContent::State::Unfinished)
        return;
    const JournalPlan &plan = content->plan;
    const QString folder = FileNameCodec::decode(plan.folder);
    const std::optional<BatchState> state = locateOnDisk(*content);
    if (!state) { // the journal is kept for a start that finds the folder
        m_services.messageBox.showMessage(JournalReport::Title, JournalReport::folderUnreachable(folder));
        return;
    }
    const bool undo = plan.kind == BatchKind::Undo;
    const bool finish = m_services.messageBox.ask(
        JournalReport::RepairTitle, JournalReport::repairQuestion(undo, folder, state->moved, state->notMoved,
                                                                     state->missing, content->unwrittenRows));
    const RenameBatch batch{undo ? WorkKind::Undoing : WorkKind::Renaming, folder,
                            m_undo.repairMoves(journal, *content, *state, finish)};
    if (batch.moves.from.isEmpty()) {
        m_undo.closeUnmoved(journal, *state);
        resetAndRelist();
    } else {
        (void)renameInFolder(batch);
    }
    m_undo.repaired(journal, plan, finish);
}

std::optional<BatchState> RenamerCore::locateOnDisk(const JournalContent &content)
{
    WorkProgress progress(false);
    return m_runner.run(WorkKind::ReadingFolder, progress,
                        [&files = m_services.fileMover, identities = m_services.fileIdentities, &content,
                         &progress]() -> std::optional<BatchState> {
                            const FolderListing::Contents read = FolderListing::read(
                                files, FileNameCodec::decode(content.plan.folder), QStringLiteral("*.*"), &progress);
                            if (read.error != 0)
                                return std::nullopt;
                            QSet<QByteArray> onDisk;
                            for (const NameColumn *names : {&read.names, &read.unlisted})
                                for (qsizetype i = 0; i < names->size(); ++i)
                                    onDisk.insert(FileNameCodec::encode(names->at(i)).value_or(QByteArray()));
                            return locateBatch(content, onDisk, *identities);
                        });
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
        m_undo.tellIfJournalFailed(outcome->journalError);
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
    RenameJournal *journal = m_undo.journal();
    return m_runner.run(batch.kind, progress, [mover, journaled, identities = m_services.fileIdentities, journal, &progress] {
        return renameJournaled(*mover, journaled, identities, journal, &progress);
    });
}

QString RenamerCore::rereadAfterMoves()
{
    // A folder that cannot be read again is told alone, and the rows that failed, if any,
    // follow in their own box.
    if (!canReadFolder(folder()))
        return ApplyReport::folderGone(folder());
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
        m_services.messageBox.showMessage(ApplyReport::Title, ApplyReport::failedRows(batch.moves.from, batch.moves.to,
                                                                                    folderPath, outcome->failures,
                                                                                    batch.markedAhead));
    }
}

} // namespace velmix
