#include "RenamerCore.h"

#include "ApplyReport.h"
#include "DirectoryReader.h"
#include "FileNameCodec.h"
#include "RenameExecutor.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>

#include <cerrno>

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
    , m_preview(services.busyPointer)
    , m_folder(normalizedFolder(startFolder))
    , m_drives(services.driveList.drives())
    , m_driveIndex(driveIndexHolding(m_folder))
{
}

void RenamerCore::setFolder(const QString &path)
{
    const QString folder = normalizedFolder(path);
    if (folder == m_folder)
        return;
    cancellable([&] {
        m_folder = folder;
        folderChanged();
    });
}

int RenamerCore::savedDriveIndex() const
{
    return int(m_drives.indexOf(Drive{m_savedDriveMount}));
}

void RenamerCore::selectDrive(int index)
{
    if (index < 0 || index >= m_drives.size())
        return;
    cancellable([&] {
        m_driveIndex = index;
        driveChanged();
    });
}

void RenamerCore::selectMask(int index)
{
    if (index < 0 || index >= Masks.size())
        return;
    cancellable([&] {
        m_maskIndex = index;
        maskChanged();
    });
}

template<typename Flow>
void RenamerCore::cancellable(Flow flow)
{
    const FolderListing listing = m_listing; // the names are shared, not copied
    const QString folder = m_folder;
    const QString lastReadable = m_lastReadableFolder;
    const int driveIndex = m_driveIndex;
    const QString savedDrive = m_savedDriveMount;
    const QHash<QString, QString> lastFolderOnDrive = m_lastFolderOnDrive;
    const int maskIndex = m_maskIndex;
    try {
        flow();
    } catch (const ListingCancelled &) {
        // Nothing of the table changed yet: every flow lists before it loads the table.
        m_listing = listing;
        m_folder = folder;
        m_lastReadableFolder = lastReadable;
        m_driveIndex = driveIndex;
        m_savedDriveMount = savedDrive;
        m_lastFolderOnDrive = lastFolderOnDrive;
        m_maskIndex = maskIndex;
    }
}

void RenamerCore::readListing()
{
    if (!m_listing.stale())
        return;
    WorkProgress progress(m_listingCancellable);
    FolderListing::Contents contents;
    m_runner.run(WorkKind::ReadingFolder, progress, [&, folder = m_listing.path(), mask = m_listing.mask()] {
        contents = FolderListing::read(m_services.fileMover, folder, mask, &progress);
    });
    if (progress.cancelled() && contents.error == ECANCELED)
        throw ListingCancelled();
    m_listing.adopt(std::move(contents));
}

void RenamerCore::startUp()
{
    // An unreadable working folder shows an empty table; nothing to fall back from yet.
    // So does a cancelled listing: the listing goes back to naming no folder, so the
    // table loaded below is empty.
    const QScopedValueRollback startingUp(m_startingUp, true);
    m_preview.clearPending();
    cancellable([&] {
        m_maskIndex = 0;
        maskChanged();
    });
    m_preview.setDigitWidthIndex(0);
    m_preview.digitWidthPicked();
    ResetOptions();
    if (m_driveIndex >= 0)
        m_savedDriveMount = m_drives[m_driveIndex].mountPoint;
    LoadFileList();
}

void RenamerCore::LoadFileList()
{
    readListing();
    m_preview.loadFileList(m_listing.names(), m_listing.rules(), m_listing.unlistedNames());
}

void RenamerCore::ResetOptions()
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
        relist();
    });
}

void RenamerCore::relist()
{
    if (m_undo && m_undo->folder() != m_folder)
        m_undo.reset(); // undo belongs to the folder it was made in
    LoadFileList();
    ResetOptions();
    m_preview.RebuildNewNames();
    m_preview.clearPending();
}

void RenamerCore::maskChanged()
{
    m_listing.setPath(m_folder);
    m_listing.setMask(maskText());
    fallBackIfUnreadable();
    relist();
}

void RenamerCore::folderChanged()
{
    BusyGuard busy(m_services.busyPointer);
    m_listing.setPath(m_folder);
    m_listing.setMask(maskText());
    fallBackIfUnreadable();
    relist();
}

void RenamerCore::fallBackIfUnreadable()
{
    readListing();
    if (m_listing.readError() == 0) {
        m_lastReadableFolder = m_folder;
        if (m_driveIndex >= 0)
            m_lastFolderOnDrive.insert(m_drives[m_driveIndex].mountPoint, m_folder);
        return;
    }
    if (m_startingUp)
        return;
    // Silently back to the last folder that could be read, else the nearest readable
    // parent, else home, else the root; the table is then loaded from there.
    QStringList candidates{m_lastReadableFolder};
    for (QString folder = m_lastReadableFolder; !folder.isEmpty() && folder != u"/";) {
        folder = QFileInfo(folder).path();
        candidates.append(folder);
    }
    for (QString folder = m_folder; folder != u"/";) {
        folder = QFileInfo(folder).path();
        candidates.append(folder);
    }
    candidates << normalizedFolder(QDir::homePath()) << QStringLiteral("/");
    for (const QString &candidate : std::as_const(candidates)) {
        if (candidate.isEmpty() || candidate == m_folder)
            continue;
        m_listing.setPath(candidate);
        readListing();
        if (m_listing.readError() == 0) {
            m_folder = candidate;
            m_lastReadableFolder = candidate;
            return;
        }
    }
    m_listing.setPath(m_folder);
}

void RenamerCore::driveChanged()
{
    if (!applyDrive(m_driveIndex))
        recoverDrive();
}

bool RenamerCore::applyDrive(int index)
{
    if (index < 0 || index >= m_drives.size())
        return false;
    const QString folder = readableFolderOn(index);
    if (folder.isEmpty())
        return false; // the drive is not ready
    if (folder != m_folder) {
        m_folder = folder;
        folderChanged();
    } else {
        m_listing.refresh(); // a pick of the drive shown reads its folder again
        relist();
    }
    m_savedDriveMount = m_drives[index].mountPoint;
    return true;
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

void RenamerCore::recoverDrive()
{
    // Back to the last good drive, found by its mount point since positions shift when
    // a medium goes; failing that the home folder's drive, then the root. Never loops.
    const int failed = m_driveIndex;
    const int candidates[] = {savedDriveIndex(), driveIndexHolding(normalizedFolder(QDir::homePath())),
                              int(m_drives.indexOf(Drive{QStringLiteral("/")}))};
    for (int candidate : candidates) {
        if (candidate < 0 || candidate == failed)
            continue;
        m_driveIndex = candidate;
        if (applyDrive(candidate))
            return;
    }
    relist();
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
    if (const auto last = m_lastFolderOnDrive.constFind(mountPoint); last != m_lastFolderOnDrive.constEnd())
        return *last;
    const QString home = normalizedFolder(QDir::homePath());
    return driveIndexHolding(home) == driveIndex ? home : mountPoint;
}

void RenamerCore::applyNewNames()
{
    if (!m_preview.namesPending())
        return;
    const QString folder = m_folder;
    const std::optional<RenameOutcome> outcome =
        renameInFolder(WorkKind::Renaming, table().currentNames(), table().newNames(), m_listing.rules());
    m_undo = outcome && m_folder == folder ? UndoRecord::after(*outcome, folder) : std::nullopt;
}

void RenamerCore::undoLastApply()
{
    if (!m_undo || !m_services.messageBox.ask(UndoRecord::QuestionTitle, m_undo->question()))
        return;
    const UndoRecord record = std::move(*m_undo);
    m_undo.reset();
    (void)renameInFolder(WorkKind::Undoing, record.currentNames(), record.oldNames(), record.rules());
}

std::optional<RenameOutcome> RenamerCore::renameInFolder(WorkKind kind, const NameColumn from, const NameColumn to,
                                                         const FolderRules rules)
{
    const QString folderPath = m_folder.endsWith(u'/') ? m_folder : m_folder + u'/';
    // Every listing from here on must show what is on disk.
    const QScopedValueRollback showDisk(m_listingCancellable, false);
    std::optional<RenameOutcome> outcome;
    QString stepFailure;
    {
        BusyGuard busy(m_services.busyPointer);
        int error = 0;
        const std::optional<QByteArray> folderBytes = FileNameCodec::encode(m_folder);
        std::unique_ptr<FolderMover> mover =
            folderBytes ? m_services.fileMover.openFolder(*folderBytes, error) : nullptr;
        if (!mover) {
            stepFailure = ApplyReport::folderUnavailable(m_folder);
        } else {
            WorkProgress progress;
            m_runner.run(kind, progress, [&] {
                outcome = renameFiles(*mover, from, to, rules, &progress);
            });
            if (!canReadFolder(m_folder) && !from.isEmpty()) {
                const qsizetype last = from.size() - 1;
                stepFailure = ApplyReport::stepFailure(folderPath + from.at(last).toString(), folderPath + to.at(last).toString());
            } else {
                folderChanged(); // the re-read of a large folder belongs to the busy time too
            }
        }
    }
    // A folder that went away is reported before the selection falls back from it.
    if (!stepFailure.isEmpty()) {
        m_services.messageBox.showMessage(ApplyReport::Title, stepFailure);
        folderChanged();
    }
    m_preview.clearPending();
    if (outcome && outcome->notReached > 0)
        m_services.messageBox.showMessage(ApplyReport::CancelTitle,
                                          ApplyReport::cancelled(outcome->renamed, outcome->notReached));
    if (outcome && !outcome->failures.empty())
        m_services.messageBox.showMessage(ApplyReport::Title,
                                          ApplyReport::failedRows(from, to, folderPath, outcome->failures));
    return outcome;
}

} // namespace velmix
