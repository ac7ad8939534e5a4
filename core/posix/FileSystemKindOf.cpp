#include "posix/FileSystemKindOf.h"

#include "posix/MountTable.h"

#include <QFile>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace velmix {
namespace {

// The mount whose device number the folder shows; a later line for the same device is a
// mount on top, so the last one counts.
Mount mountOf(dev_t device)
{
    const QByteArray wanted = deviceField(device);
    Mount found;
    for (const Mount &mount : readMountTable()) {
        if (mount.device == wanted)
            found = mount;
    }
    return found;
}

bool isWindowsType(QByteArrayView type)
{
    return type == "vfat" || type == "msdos" || type == "exfat" || type == "ntfs" || type == "ntfs3";
}

// udev's record of a block device, readable by every user: ID_FS_TYPE=<type>.
std::optional<bool> udevSaysWindows(dev_t device)
{
    QFile record(QStringLiteral("/run/udev/data/b%1:%2").arg(major(device)).arg(minor(device)));
    if (!record.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray &line : record.readAll().split('\n')) {
        if (line.startsWith("E:ID_FS_TYPE="))
            return isWindowsType(QByteArrayView(line).sliced(13));
    }
    return std::nullopt;
}

// The volume's first sector names its file system: NTFS and exFAT at byte 3, FAT12/16 at
// byte 54, FAT32 at byte 82.
std::optional<bool> bootSectorSaysWindows(const QByteArray &source)
{
    const int fd = ::open(source.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    char sector[512];
    const ssize_t size = ::pread(fd, sector, sizeof sector, 0);
    ::close(fd);
    if (size != ssize_t(sizeof sector))
        return std::nullopt;
    const QByteArrayView bytes(sector, sizeof sector);
    return bytes.sliced(3, 8) == "NTFS    " || bytes.sliced(3, 8) == "EXFAT   " || bytes.sliced(54, 3) == "FAT"
           || bytes.sliced(82, 5) == "FAT32";
}

} // namespace

FileSystemKind fileSystemKindOf(int folderFd)
{
    struct stat folder;
    if (::fstat(folderFd, &folder) != 0)
        return FileSystemKind::Other;
    const Mount mount = mountOf(folder.st_dev);
    if (isWindowsType(mount.type))
        return FileSystemKind::Windows;
    // fusefat mounts an image file or a device under its own name, which tells the family
    // where the source cannot.
    if (mount.type == "fuse.fusefat")
        return FileSystemKind::FuseFat;
    if (mount.type != "fuseblk" && mount.type != "fuse" && !mount.type.startsWith("fuse."))
        return FileSystemKind::Other;
    std::optional<bool> windows;
    struct stat source;
    if (::stat(mount.source.constData(), &source) == 0) {
        if (S_ISBLK(source.st_mode))
            windows = udevSaysWindows(source.st_rdev);
        if (!windows && (S_ISBLK(source.st_mode) || S_ISREG(source.st_mode)))
            windows = bootSectorSaysWindows(mount.source);
    }
    if (!windows)
        return FileSystemKind::UnknownFuse;
    return *windows ? FileSystemKind::Windows : FileSystemKind::Other;
}

} // namespace velmix
