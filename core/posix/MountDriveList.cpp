#include "posix/MountDriveList.h"

#include "posix/MountTable.h"
#include "text/FileNameCodec.h"
#include "text/NameOrder.h"

#include <QSet>

#include <algorithm>

#include <sys/stat.h>

namespace velmix {
namespace {

bool isPseudo(const QByteArray &type)
{
    static const QSet<QByteArray> pseudo{"proc", "sysfs", "cgroup", "cgroup2", "devpts", "devtmpfs", "tmpfs", "mqueue",
                                         "debugfs", "tracefs", "securityfs", "pstore", "bpf", "configfs", "hugetlbfs",
                                         "autofs", "binfmt_misc", "fusectl", "nsfs", "rpc_pipefs", "efivarfs", "ramfs",
                                         "squashfs", "overlay", "selinuxfs", "fuse.portal", "fuse.gvfsd-fuse"};
    return pseudo.contains(type);
}

bool isUserVolume(const Mount &mount)
{
    static const QSet<QByteArray> network{"nfs", "nfs4", "cifs", "smb3", "smbfs", "ceph", "glusterfs", "9p", "afs"};
    if (isPseudo(mount.type))
        return false;
    return mount.source.startsWith("/dev/") || network.contains(mount.type) || mount.type.startsWith("fuse");
}

// A file can be bind-mounted too (a container's /etc/hosts); only folders are drives.
bool isFolder(const QString &path)
{
    const std::optional<QByteArray> bytes = FileNameCodec::encode(path);
    struct stat info;
    return bytes && ::stat(bytes->constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool holds(const QString &mountPoint, const QString &folder)
{
    return mountPoint == u"/" || folder == mountPoint || folder.startsWith(mountPoint + u'/');
}

} // namespace

MountDriveList::MountDriveList(const QString &startFolder, const QString &mountInfoPath)
    : m_startFolder(startFolder), m_mountInfoPath(mountInfoPath)
{
}

QList<Drive> MountDriveList::drives() const
{
    const QList<Mount> mounts = readMountTable(m_mountInfoPath);
    QString startVolume = QStringLiteral("/");
    for (const Mount &mount : mounts) {
        if (holds(mount.mountPoint, m_startFolder) && mount.mountPoint.size() > startVolume.size())
            startVolume = mount.mountPoint;
    }
    QStringList points{QStringLiteral("/")};
    for (const Mount &mount : mounts) {
        if ((isUserVolume(mount) || mount.mountPoint == startVolume) && !points.contains(mount.mountPoint)
            && isFolder(mount.mountPoint))
            points.append(mount.mountPoint);
    }
    if (!points.contains(startVolume))
        points.append(startVolume);
    std::sort(points.begin() + 1, points.end(), [](const QString &a, const QString &b) { return compareNames(a, b) < 0; });
    QList<Drive> drives;
    for (const QString &point : points)
        drives.append({point});
    return drives;
}

} // namespace velmix
