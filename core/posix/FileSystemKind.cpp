#include "FileSystemKind.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace velmix {
namespace {

struct Mount
{
    QByteArray type;
    QByteArray source;
};

// The mount table escapes blanks, tabs, newlines and backslashes as octal \ooo.
QByteArray unescaped(const QByteArray &field)
{
    QByteArray plain;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                plain += char(code);
                i += 3;
                continue;
            }
        }
        plain += field[i];
    }
    return plain;
}

// The mount whose device number the folder shows.
Mount mountOf(dev_t device)
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    const QByteArray wanted = QByteArray::number(major(device)) + ':' + QByteArray::number(minor(device));
    Mount found;
    // A later line for the same device is a mount on top; the last one counts.
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() > 2 && fields[2] == wanted && separator > 0 && separator + 2 < fields.size())
            found = {fields[separator + 1], unescaped(fields[separator + 2])};
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
