#include "RenamerCore.h"

#include "apply/ApplyReport.h"
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
    , m_undo(services.stateFolder, services.fileIdentities, services.folderLocks, services.fileMover, services.messageBox,
             m_runner,
             [this](const RenameBatch &batch, RenameJournal *journal, BatchReport &report) {
                 return renameInFolder(batch, journal, report);
             })
{
    m_preview.setMetadataSource(&m_metadata);
    m_preview.setWorkRunner(&m_runner);
    m_preview.setRowFolders(&m_rowFolders);
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

void RenamerCore::setSubfolders(bool on, int levels)
{
    setDepth({on, on ? levels : -1, renamesFolders()});
}

void RenamerCore::setRenameFolders(bool on)
{
    ListingDepth depth = listing().depth();
    depth.folders = on;
    setDepth(depth);
}

void RenamerCore::setDepth(ListingDepth depth)
{
    if (depth == listing().depth())
        return;
    cancellable([&] {
        m_folder.listing().setDepth(depth);
        return relist();
    });
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
    const FolderListing &listed = m_folder.listing();
    m_preview.loadFileList(listed.names(), listed.rules(), listed.unlistedNames(),
                           {listed.tree(), listed.folderOfName(), listed.folderOfUnlisted(), listed.folderRows()});
    m_rowFolders.set(listed.path(), listed.tree(), m_preview.listedFolders().folderOfName);
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

BatchReport RenamerCore::applyNewNames(AfterMoves after)
{
    if (!m_preview.namesPending())
        return {};
    const QScopedValueRollback afterMoves(m_afterMoves, after);
    // Kept before the apply resets every setting.
    const QString setProblem = m_services.ruleSets ? m_services.ruleSets->keepLastApplied(RuleSet::of(m_preview)) : QString();
    BatchReport report = m_undo.apply(plannedApply());
    report.ruleSetProblem = setProblem;
    return report;
}

RenameBatch RenamerCore::plannedApply() const
{
    const FileNameTable &rows = table();
    // A row its own folder's rules refuse where the chosen folder's would not (a folder
    // where moves damage files) stays, told as refused; so does every refused file of a
    // group, as the grid judged it: a partner held back may free the name it asked for.
    const auto heldBack = [&](qsizetype row) {
        const RowFate fate = rows.fate(row);
        const bool grouped = rows.groupLead(row) != row || rows.groupSize(row) > 1;
        return fate == RowFate::UnsafeFolder || (grouped && refusalOf(fate)) ? refusalOf(fate) : std::nullopt;
    };
    if (!rows.tree()) {
        RenameBatch batch{WorkKind::Renaming, folder(),
                          {.from = rows.currentNames(), .to = rows.newNames(), .rules = listing().rules(),
                           .unlisted = listing().unlistedNames()},
                          rows.refusedRows()};
        if (rows.groupLeads().empty())
            return batch;
        batch.moves.to = NameColumn();
        for (qsizetype row = 0; row < rows.fileCount(); ++row) {
            const std::optional<RenameReason> reason = heldBack(row);
            batch.moves.to.append((reason ? rows.currentNames() : rows.newNames()).at(row));
            if (reason)
                batch.heldBack.push_back({row, *reason});
        }
        return batch;
    }
    // Over a tree the batch names each file by its path below the chosen folder, so that
    // one journal holds it whole.
    RenameBatch batch{WorkKind::Renaming, folder(), {.rules = listing().rules(), .unlisted = unlistedPaths()},
                      rows.refusedRows()};
    for (qsizetype row = 0; row < rows.fileCount(); ++row) {
        const QString prefix = rows.folderPrefix(row);
        const std::optional<RenameReason> reason = heldBack(row);
        batch.moves.from.append(ListedTree::withPrefix(prefix, rows.currentNames().at(row)));
        batch.moves.to.append(ListedTree::withPrefix(prefix, (reason ? rows.currentNames() : rows.newNames()).at(row)));
        if (reason)
            batch.heldBack.push_back({row, *reason});
    }
    return batch;
}

NameColumn RenamerCore::unlistedPaths() const
{
    const FolderListing &listed = listing();
    if (!listed.tree())
        return listed.unlistedNames();
    NameColumn paths;
    for (qsizetype i = 0; i < listed.unlistedNames().size(); ++i)
        paths.append(listed.tree()->path(listed.folderOfUnlisted()[size_t(i)], listed.unlistedNames().at(i)));
    return paths;
}

std::optional<JournaledOutcome> RenamerCore::renameInFolder(const RenameBatch &batch, RenameJournal *journal,
                                                           BatchReport &report)
{
    report.kind = batch.kind;
    report.folder = batch.folder;
    RenameBatch planned = batch;
    if (batch.listFolderFirst) {
        if (folder() != batch.folder) // the selection fell back from a folder that went away
            setFolder(batch.folder);
        if (folder() != batch.folder) { // still gone
            report.folderTrouble = BatchReport::FolderTrouble::Unavailable;
            return std::nullopt;
        }
        planned.moves.unlisted = unlistedPaths();
    }
    // Every listing from here on must show what is on disk.
    const QScopedValueRollback showDisk(m_listingCancellable, false);
    std::optional<JournaledOutcome> outcome;
    {
        BusyGuard busy(m_services.busyPointer); // the re-read belongs to the busy time too
        outcome = moveFiles(planned, journal);
        if (!outcome)
            report.folderTrouble = BatchReport::FolderTrouble::Unavailable;
        else if (!rereadAfterMoves())
            report.folderTrouble = BatchReport::FolderTrouble::Gone;
    }
    if (report.folderTrouble != BatchReport::FolderTrouble::None)
        (void)listSelection(Pointer::Busy); // falls back from the folder gone
    m_preview.clearPending();
    if (!outcome)
        return outcome;
    const RenameOutcome &moved = outcome->outcome;
    report.ran = true;
    report.renamed = moved.renamed;
    report.notReached = moved.notReached;
    report.mediumGone = moved.mediumGone;
    std::vector<RenameFailure> failures = moved.failures;
    failures.insert(failures.end(), batch.heldBack.begin(), batch.heldBack.end());
    std::stable_sort(failures.begin(), failures.end(), [](const RenameFailure &a, const RenameFailure &b) { return a.row < b.row; });
    for (const RenameFailure &failure : failures) {
        const size_t row = size_t(failure.row);
        report.refused.push_back({planned.moves.from.at(failure.row).toString(), planned.moves.to.at(failure.row).toString(),
                                  failure, row < batch.markedAhead.size() && batch.markedAhead[row]});
    }
    report.summary = ApplyReport::summary(batch.kind, moved.renamed,
                                          moved.renamed + qsizetype(failures.size()) + moved.notReached);
    return outcome;
}

std::optional<JournaledOutcome> RenamerCore::moveFiles(const RenameBatch &batch, RenameJournal *journal)
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
    return m_runner.run(batch.kind, progress, [mover, journaled, identities = m_services.fileIdentities, journal, &progress] {
        return renameJournaled(*mover, journaled, identities, journal, &progress);
    });
}

bool RenamerCore::rereadAfterMoves()
{
    if (!canReadFolder(folder()))
        return false;
    if (m_afterMoves == AfterMoves::Relist)
        (void)listSelection(Pointer::Busy); // it cannot be cancelled: the listing shows what is on disk
    return true;
}

void RenamerCore::setOldTagText(OldTagText choice)
{
    if (m_metadata.setOldTagText(choice))
        m_preview.rereadMetadata();
}

} // namespace velmix
