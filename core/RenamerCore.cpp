#include "RenamerCore.h"

#include "ApplyReport.h"
#include "DirectoryReader.h"
#include "FileNameCodec.h"
#include "FolderToOpen.h"
#include "LibraryTagReader.h"
#include "RenameExecutor.h"

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
    if (m_undo && m_undo->folder() != m_selection.folder)
        m_undo.reset(); // undo belongs to the folder it was made in
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
    const std::optional<RenameOutcome> outcome = renameInFolder(batch);
    // Kept also where the folder could not be read again afterwards and the selection fell
    // back from it: the files were renamed all the same.
    m_undo = outcome ? UndoRecord::after(*outcome, batch.folder) : std::nullopt;
}

RenamerCore::RenameBatch RenamerCore::plannedApply() const
{
    std::vector<bool> marked(size_t(table().fileCount()));
    for (qsizetype row = 0; row < table().fileCount(); ++row)
        marked[size_t(row)] = table().mark(row) == NameMark::Refused;
    return {WorkKind::Renaming, m_selection.folder, table().currentNames(), table().newNames(), m_listing.rules(),
            std::move(marked)};
}

void RenamerCore::undoLastApply()
{
    if (!m_undo || !m_services.messageBox.ask(UndoRecord::QuestionTitle, m_undo->question()))
        return;
    if (m_selection.folder != m_undo->folder()) { // the selection fell back from a folder that went away
        const UndoRecord waiting = *m_undo;
        setFolder(waiting.folder());
        if (m_selection.folder != waiting.folder()) { // still gone: the undo waits for it
            m_undo = waiting;
            m_services.messageBox.showMessage(ApplyReport::Title, ApplyReport::folderUnavailable(waiting.folder()));
            return;
        }
    }
    const UndoRecord record = std::move(*m_undo);
    m_undo.reset();
    (void)renameInFolder({WorkKind::Undoing, record.folder(), record.currentNames(), record.oldNames(), record.rules()});
}

std::optional<RenameOutcome> RenamerCore::renameInFolder(const RenameBatch &batch)
{
    // Every listing from here on must show what is on disk.
    const QScopedValueRollback showDisk(m_listingCancellable, false);
    m_lastSummary.clear();
    std::optional<RenameOutcome> outcome;
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
    reportMoves(batch, outcome);
    return outcome;
}

std::optional<RenameOutcome> RenamerCore::moveFiles(const RenameBatch &batch)
{
    int error = 0;
    const std::optional<QByteArray> folderBytes = FileNameCodec::encode(batch.folder);
    std::shared_ptr<FolderMover> mover = folderBytes ? m_services.fileMover.openFolder(*folderBytes, error) : nullptr;
    if (!mover)
        return std::nullopt;
    WorkProgress progress;
    return m_runner.run(batch.kind, progress, [mover, from = batch.from, to = batch.to, rules = batch.rules, &progress] {
        return renameFiles(*mover, from, to, rules, &progress);
    });
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

void RenamerCore::reportMoves(const RenameBatch &batch, const std::optional<RenameOutcome> &outcome)
{
    if (!outcome)
        return;
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
            ApplyReport::Title, ApplyReport::failedRows(batch.from, batch.to, folderPath, outcome->failures, markedAhead));
    }
}

} // namespace velmix
