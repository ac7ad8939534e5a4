#include "listing/FolderSelection.h"

#include "listing/DirectoryReader.h"

#include <QDir>
#include <QFileInfo>

namespace velmix {

FolderSelection::FolderSelection(QList<Drive> drives, const QString &startFolder, const QString &mask)
    : m_drives(std::move(drives))
    , m_folder(normalized(startFolder))
    , m_maskText(mask)
{
    m_driveIndex = driveIndexHolding(m_folder);
}

QString FolderSelection::normalized(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    return clean.isEmpty() ? QStringLiteral("/") : clean;
}

int FolderSelection::driveIndexHolding(const QString &path) const
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

void FolderSelection::saveDrive()
{
    if (m_driveIndex >= 0)
        m_savedDriveMount = m_drives[m_driveIndex].mountPoint;
}

void FolderSelection::folderRead()
{
    m_lastReadableFolder = m_folder;
    if (m_driveIndex >= 0)
        m_lastFolderOnDrive.insert(m_drives[m_driveIndex].mountPoint, m_folder);
}

QStringList FolderSelection::fallbacks() const
{
    QStringList candidates{m_lastReadableFolder};
    for (QString folder = m_lastReadableFolder; !folder.isEmpty() && folder != u"/";) {
        folder = QFileInfo(folder).path();
        candidates.append(folder);
    }
    for (QString folder = m_folder; folder != u"/";) {
        folder = QFileInfo(folder).path();
        candidates.append(folder);
    }
    candidates << normalized(QDir::homePath()) << QStringLiteral("/");
    candidates.removeAll(QString());
    candidates.removeAll(m_folder);
    return candidates;
}

void FolderSelection::fellBackTo(const QString &folder)
{
    m_folder = folder;
    m_lastReadableFolder = folder;
}

QString FolderSelection::readableFolderOn(int driveIndex) const
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

std::vector<int> FolderSelection::recoveryDrives() const
{
    // Found by mount point, since positions shift when a medium goes. Never the drive
    // that failed, so the recovery never loops.
    std::vector<int> drives;
    for (const int candidate : {savedDriveIndex(), driveIndexHolding(normalized(QDir::homePath())),
                                int(m_drives.indexOf(Drive{QStringLiteral("/")}))})
        if (candidate >= 0 && candidate != m_driveIndex)
            drives.push_back(candidate);
    return drives;
}

QString FolderSelection::shownFolderOf(int driveIndex) const
{
    const QString &mountPoint = m_drives[driveIndex].mountPoint;
    if (const auto last = m_lastFolderOnDrive.constFind(mountPoint); last != m_lastFolderOnDrive.constEnd())
        return *last;
    const QString home = normalized(QDir::homePath());
    return driveIndexHolding(home) == driveIndex ? home : mountPoint;
}

} // namespace velmix
