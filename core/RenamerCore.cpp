#include "RenamerCore.h"

#include "ApplyReport.h"
#include "DirectoryReader.h"
#include "FileNameCodec.h"
#include "RenameExecutor.h"

#include <QDir>

namespace velmix {
namespace {

// Full path without a trailing separator, but "/" for the root.
QString normalizedFolder(const QString &path)
{
    QString clean = QDir::cleanPath(path);
    while (clean.size() > 1 && clean.endsWith(u'/'))
        clean.chop(1);
    return clean.isEmpty() ? QStringLiteral("/") : clean;
}

QString parentOf(const QString &folder)
{
    const qsizetype slash = folder.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : folder.left(slash);
}

} // namespace

const QStringList RenamerCore::Masks{
    QStringLiteral("*.*"),   QStringLiteral("*.mp3"), QStringLiteral("*.wav"), QStringLiteral("*.mp3;*.wav"),
    QStringLiteral("*.jpg"), QStringLiteral("*.bmp"), QStringLiteral("*.jpg;*.bmp"), QStringLiteral("*.gif"),
    QStringLiteral("*.avi"), QStringLiteral("*.mpg"), QStringLiteral("*.avi;*.mpg")};

RenamerCore::RenamerCore(Services services, const QString &startFolder)
    : m_services(services)
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
    m_folder = folder;
    Dir1_Change();
}

int RenamerCore::savedDriveIndex() const
{
    return driveIndexOf(m_savedDriveMount);
}

void RenamerCore::selectDrive(int index)
{
    if (index < 0 || index >= m_drives.size())
        return;
    m_driveIndex = index;
    Drive1_Change();
}

void RenamerCore::selectMask(int index)
{
    if (index < 0 || index >= Masks.size())
        return;
    m_maskIndex = index;
    cboMask_Click();
}

void RenamerCore::startUp()
{
    // An unreadable working folder shows an empty table; nothing to fall back from yet.
    m_startingUp = true;
    m_preview.clearPending();
    selectMask(0);
    m_preview.setDigitWidthIndex(0);
    m_preview.CboRazr_Click();
    ResetOptions();
    if (m_driveIndex >= 0)
        m_savedDriveMount = m_drives[m_driveIndex].mountPoint;
    LoadFileList();
    m_startingUp = false;
}

void RenamerCore::LoadFileList()
{
    m_preview.loadFileList(m_listing.names());
}

void RenamerCore::ResetOptions()
{
    m_preview.ResetOptions();
    m_listing.setMask(maskText());
}

void RenamerCore::ImgChancel_Click()
{
    LoadFileList();
    ResetOptions();
    m_preview.RebuildNewNames();
    m_preview.clearPending();
}

void RenamerCore::cboMask_Click()
{
    m_listing.setPath(m_folder);
    m_listing.setMask(maskText());
    fallBackIfUnreadable();
    ImgChancel_Click();
}

void RenamerCore::Dir1_Change()
{
    BusyGuard busy(m_services.busyPointer);
    m_listing.setPath(m_folder);
    m_listing.setMask(maskText());
    fallBackIfUnreadable();
    ImgChancel_Click();
}

bool RenamerCore::fallBackIfUnreadable()
{
    if (m_listing.readError() == 0) {
        m_lastReadableFolder = m_folder;
        if (m_driveIndex >= 0)
            m_lastFolderOnDrive.insert(m_drives[m_driveIndex].mountPoint, m_folder);
        return true;
    }
    if (m_startingUp)
        return false;
    // Silently back to the last folder that could be read, else the nearest readable
    // parent, else home, else the root; the table is then loaded from there.
    QStringList candidates{m_lastReadableFolder};
    for (QString folder = m_lastReadableFolder; !folder.isEmpty() && folder != u"/";) {
        folder = parentOf(folder);
        candidates.append(folder);
    }
    for (QString folder = m_folder; folder != u"/";) {
        folder = parentOf(folder);
        candidates.append(folder);
    }
    candidates << normalizedFolder(QDir::homePath()) << QStringLiteral("/");
    for (const QString &candidate : std::as_const(candidates)) {
        if (candidate.isEmpty() || candidate == m_folder)
            continue;
        m_listing.setPath(candidate);
        if (m_listing.readError() == 0) {
            m_folder = candidate;
            m_lastReadableFolder = candidate;
            return false;
        }
    }
    m_listing.setPath(m_folder);
    return false;
}

void RenamerCore::Drive1_Change()
{
    if (!applyDrive(m_driveIndex))
        recoverDrive();
}

bool RenamerCore::applyDrive(int index)
{
    if (index < 0 || index >= m_drives.size() || !canReadFolder(m_drives[index].mountPoint))
        return false; // the drive is not ready
    const QString folder = shownFolderOf(index);
    if (folder != m_folder) {
        m_folder = folder;
        Dir1_Change();
    }
    m_savedDriveMount = m_drives[index].mountPoint;
    ImgChancel_Click();
    return true;
}

void RenamerCore::recoverDrive()
{
    // Back to the last good drive, found by its mount point since positions shift when
    // a medium goes; failing that the home folder's drive, then the root. Never loops.
    const int failed = m_driveIndex;
    const int candidates[] = {savedDriveIndex(), driveIndexHolding(normalizedFolder(QDir::homePath())),
                              driveIndexOf(QStringLiteral("/"))};
    for (int candidate : candidates) {
        if (candidate < 0 || candidate == failed)
            continue;
        m_driveIndex = candidate;
        if (applyDrive(candidate))
            break;
    }
    ImgChancel_Click();
}

int RenamerCore::driveIndexOf(const QString &mountPoint) const
{
    for (int i = 0; i < m_drives.size(); ++i) {
        if (m_drives[i].mountPoint == mountPoint)
            return i;
    }
    return -1;
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

void RenamerCore::ImgApply_Click()
{
    if (!m_preview.namesPending())
        return;
    const QString folderPath = m_folder.endsWith(u'/') ? m_folder : m_folder + u'/';
    std::vector<RenameFailure> failures;
    QString stepFailure;
    {
        BusyGuard busy(m_services.busyPointer);
        int error = 0;
        const std::optional<QByteArray> folderBytes = FileNameCodec::encode(m_folder);
        std::unique_ptr<FolderMover> mover =
            folderBytes ? m_services.fileMover.openFolder(*folderBytes, error) : nullptr;
        if (mover)
            failures = renameFiles(*mover, table().currentNames(), table().newNames());
        else
            stepFailure = ApplyReport::stepFailure(QString(), QString());
        m_listing.refresh();
    }
    // A folder that went away is reported before the selection falls back from it.
    if (stepFailure.isEmpty() && m_listing.readError() != 0 && table().holdsFiles()) {
        const qsizetype last = table().fileCount();
        stepFailure = ApplyReport::stepFailure(folderPath + table().text(last, 0), folderPath + table().text(last, 1));
    }
    if (!stepFailure.isEmpty())
        m_services.messageBox.showMessage(ApplyReport::Title, stepFailure);
    const FileNameTable before = table(); // the report names the rows as they were previewed
    Dir1_Change();
    m_preview.clearPending();
    if (!failures.empty())
        m_services.messageBox.showMessage(ApplyReport::Title, ApplyReport::failedRows(before, folderPath, failures));
}

} // namespace velmix
