#include "RenamerCore.h"

#include "apply/ApplyReport.h"
#include "journal/BatchRepair.h"
#include "journal/JournalReport.h"
#include "listing/DirectoryReader.h"
#include "listing/FolderToOpen.h"
#include "metadata/LibraryTagReader.h"
#include "text/FileNameCodec.h"

#include <QScopedValueRollback>

namespace velmix {
RenamerCore::RenamerCore(Services services, const QString &startFolder)
    : m_services(services)
    , m_runner(services.workDisplay)
    , m_metadata(m_runner, makeLibraryTagReader())
    , m_preview(services.busyPointer)
    , m_folder(m_runner, services.fileMover, {services.driveList.drives(), startFolder, Masks.first()})
    , m_undo(services.stateFolder, services.fileIdentities, services.fileMover, services.messageBox)
{
    m_preview.setMetadataSource(&m_metadata);
}

void RenamerCore::setFolder(const QString &path)
{
    const QString folder = FolderSelection::normalized(path);
    if (folder == m_folder.selection().folder())
        return;
    cancellable([&] {
        m_folder.selection().setFolder(folder);
        return listSelection(Pointer::Busy);
    });
}

void RenamerCore::selectDrive(int index)
{
    if (index < 0 || index >= drives().size())
        return;
    cancellable([&] {
        m_folder.selection().setDriveIndex(index);
        return listSelectedDrive();
    });
}

bool RenamerCore::openFolder(const QString &path)
{
    const QString folder = folderToOpen(path, m_folder.selection().folder()).folder;
    if (folder.isEmpty())
        return false;
    cancellable([&] {
        m_folder.selection().setDriveIndex(m_folder.selection().driveIndexHolding(folder));
        m_folder.selection().saveDrive();
        if (folder == m_folder.selection().folder())
            return Listed::Read;
        m_folder.selection().setFolder(folder);
        return listSelection(Pointer::Busy);
    });
    return true;
}

void RenamerCore::selectMask(int index)
{
    if (index < 0 || index >= m_masks.size())
        return;
    cancellable([&] {
        m_folder.selection().setMaskText(m_masks[index]);
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
        m_folder.selection().setMaskText(*mask);
        return listSelection(Pointer::AsIs);
    });
    if (maskText() == *mask && table().holdsFiles())
        m_masks.append(*mask);
    return true;
}

template<typename Flow>
void RenamerCore::cancellable(Flow flow)
{
    const ChosenFolder::State before = m_folder.state();
    // Nothing of the table changed yet: every flow lists before it loads the table.
    if (flow() == Listed::Cancelled)
        m_folder.restore(before);
}

void RenamerCore::startUp()
{
    // An unreadable working folder shows an empty table, with nothing to fall back from yet;
    // so does a cancelled listing, which goes back to naming no folder.
    const QScopedValueRollback startingUp(m_startingUp, true);
    m_undo.readJournals();
    m_preview.clearPending();
    cancellable([&] {
        m_folder.selection().setMaskText(Masks.first());
        return listSelection(Pointer::AsIs);
    });
    m_preview.setDigitWidthIndex(0);
    m_preview.numberingInputChanged();
    resetOptions();
    m_folder.selection().saveDrive();
    (void)loadFileList(); // a cancel leaves the table as it was, empty
}

Listed RenamerCore::loadFileList()
{
    if (m_folder.readListing(m_listingCancellable) == Listed::Cancelled)
        return Listed::Cancelled;
    m_metadata.setFolder(m_folder.listing().path());
    m_preview.loadFileList(m_folder.listing().names(), m_folder.listing().rules(), m_folder.listing().unlistedNames());
    return Listed::Read;
}

void RenamerCore::resetOptions()
{
    m_preview.ResetOptions();
    // The same mask again keeps the listing just read.
    if (m_folder.listing().mask() != maskText())
        m_folder.listing().setMask(maskText());
}

void RenamerCore::resetAndRelist()
{
    cancellable([&] {
        m_folder.listing().refresh();
        return relist();
    });
}

Listed RenamerCore::relist()
{
    if (loadFileList() == Listed::Cancelled)
        return Listed::Cancelled;
    m_undo.folderShown(m_folder.selection().folder());
    resetOptions();
    m_preview.RebuildNewNames();
    m_preview.clearPending();
    return Listed::Read;
}

Listed RenamerCore::listSelection(Pointer pointer)
{
    std::optional<BusyGuard> busy;
    if (pointer == Pointer::Busy)
        busy.emplace(m_services.busyPointer);
    return m_folder.listChoice(m_listingCancellable, !m_startingUp) == Listed::Cancelled ? Listed::Cancelled : relist();
}

Listed RenamerCore::listSelectedDrive()
{
    const std::optional<Listed> listed = applyDrive(driveIndex());
    return listed ? *listed : recoverDrive();
}

std::optional<Listed> RenamerCore::applyDrive(int index)
{
    std::optional<Listed> listed;
    switch (m_folder.chooseDrive(index)) {
    case ChosenFolder::DriveStep::NotReady: return std::nullopt;
    case ChosenFolder::DriveStep::OtherFolder: listed = listSelection(Pointer::Busy); break;
    case ChosenFolder::DriveStep::SameFolder: listed = relist(); break;
    }
    m_folder.selection().saveDrive();
    return listed;
}

Listed RenamerCore::recoverDrive()
{
    // Back to the last good drive, failing that the home folder's drive, then the root.
    for (const int candidate : m_folder.selection().recoveryDrives()) {
        m_folder.selection().setDriveIndex(candidate);
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
    return {WorkKind::Renaming, folder(),
            {.from = table().currentNames(), .to = table().newNames(), .rules = listing().rules(),
             .unlisted = listing().unlistedNames()},
            table().refusedRows()};
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
    const RenameBatch batch{WorkKind::Undoing, folder, m_undo.takeUndo(folder, m_folder.listing().unlistedNames(), changed)};
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
    WorkProgress progress(false);
    const std::optional<BatchState> state = m_runner.run(WorkKind::ReadingFolder, progress, [&] {
        return locateBatchInFolder(m_services.fileMover, *m_services.fileIdentities, *content, &progress);
    });
    if (!state) { // the journal is kept for a start that finds the folder
        m_services.messageBox.showMessage(JournalReport::Title, JournalReport::folderUnreachable(folder));
        return;
    }
    const bool undo = plan.kind == BatchKind::Undo;
    const bool finish = m_services.messageBox.ask(
        JournalReport::RepairTitle, JournalReport::repairQuestion(undo, folder, state->moved, state->notMoved,
                                                                     state->missing));
    // The old names come back where an apply is put back or an undo finished.
    const bool namesBack = undo == finish;
    const RenameBatch batch{namesBack ? WorkKind::Undoing : WorkKind::Renaming, folder,
                            m_undo.repairMoves(journal, *content, *state, finish)};
    qsizetype renamed = 0;
    if (batch.moves.from.isEmpty()) {
        m_undo.closeUnmoved(journal, *state);
        resetAndRelist();
    } else if (const std::optional<JournaledOutcome> moved = renameInFolder(batch)) {
        renamed = moved->outcome.renamed;
    }
    m_lastSummary = JournalReport::repaired(namesBack, namesBack ? renamed : state->moved + renamed);
    m_undo.repaired(journal, plan, finish);
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
    if (outcome) {
        m_undo.tellIfJournalFailed(outcome->journalError);
        m_lastSummary = ApplyReport::tell(m_services.messageBox, batch.kind, batch.folder, batch.moves,
                                          outcome->outcome, batch.markedAhead);
    }
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

void RenamerCore::setOldTagText(OldTagText choice)
{
    if (m_metadata.setOldTagText(choice))
        m_preview.rereadMetadata();
}

} // namespace velmix
