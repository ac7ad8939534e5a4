#include "posix/PosixFolderCalls.h"

#include "posix/FileSystemKindOf.h"
#include "posix/MountTable.h"
#include "program/Logging.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace velmix {
namespace {

constexpr qsizetype DefaultNameMax = 255;

int result(const char *call, const QByteArray &name, int returned)
{
    if (returned == 0)
        return 0;
    const int error = errno;
    qCDebug(renameLog, "%s \"%s\": errno %d (%s)", call, name.constData(), error, std::strerror(error));
    return error;
}

EntryStatus statusOf(const struct stat &info)
{
    return {info.st_dev, info.st_ino, mode_t(info.st_mode & S_IFMT), info.st_size};
}

} // namespace

PosixFolderCalls::~PosixFolderCalls()
{
    ::close(m_folderFd);
}

int PosixFolderCalls::renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    const auto [source, target] = m_subfolders.places(from, to);
    if (source.error != 0 || target.error != 0)
        return source.error != 0 ? source.error : target.error;
    return moved(from, source,
                 result("renameat2", from,
                        ::renameat2(source.folderFd, source.name, target.folderFd, target.name, RENAME_NOREPLACE)));
}

// A large batch's moves in one loop with nothing else between them.
qsizetype PosixFolderCalls::renameNoReplaceRun(std::span<const KeptMove> run, int &error)
{
    return moveInOrder(run, error, [&](size_t i) {
        // The names of the moves ahead are fetched while this one is in the kernel.
        if (i + 2 < run.size()) {
            __builtin_prefetch(run[i + 2].from);
            __builtin_prefetch(run[i + 2].to);
        }
        if (i + 1 < run.size()) {
            __builtin_prefetch(run[i + 1].from->constData());
            __builtin_prefetch(run[i + 1].to->constData());
        }
        return PosixFolderCalls::renameNoReplace(*run[i].from, *run[i].to);
    });
}

int PosixFolderCalls::link(const QByteArray &from, const QByteArray &to)
{
    const auto [source, target] = m_subfolders.places(from, to);
    if (source.error != 0 || target.error != 0)
        return source.error != 0 ? source.error : target.error;
    return result("linkat", from, ::linkat(source.folderFd, source.name, target.folderFd, target.name, 0));
}

int PosixFolderCalls::unlink(const QByteArray &name)
{
    const OpenSubfolders::Place place = m_subfolders.place(name);
    if (place.error != 0)
        return place.error;
    return moved(name, place, result("unlinkat", name, ::unlinkat(place.folderFd, place.name, 0)));
}

int PosixFolderCalls::rename(const QByteArray &from, const QByteArray &to)
{
    const auto [source, target] = m_subfolders.places(from, to);
    if (source.error != 0 || target.error != 0)
        return source.error != 0 ? source.error : target.error;
    // What `to` held is gone as well.
    const int error = moved(from, source, result("renameat", from, ::renameat(source.folderFd, source.name, target.folderFd, target.name)));
    return moved(to, target, error);
}

int PosixFolderCalls::createExclusive(const QByteArray &name, EntryStatus &created)
{
    const OpenSubfolders::Place place = m_subfolders.place(name);
    if (place.error != 0)
        return place.error;
    if (const int error = result("mknodat", name, ::mknodat(place.folderFd, place.name, S_IFREG | 0644, 0)))
        return error;
    return status(name, created);
}

int PosixFolderCalls::status(const QByteArray &name, EntryStatus &status)
{
    const OpenSubfolders::Place place = m_subfolders.place(name);
    if (place.error != 0)
        return place.error;
    struct stat info;
    if (const int error = result("fstatat", name, ::fstatat(place.folderFd, place.name, &info, AT_SYMLINK_NOFOLLOW)))
        return error;
    status = statusOf(info);
    return 0;
}

// A folder moved away takes the folders kept open inside it along.
int PosixFolderCalls::moved(const QByteArray &path, const OpenSubfolders::Place &where, int error)
{
    if (error == 0)
        m_subfolders.forget(path, where);
    return error;
}

qsizetype PosixFolderCalls::nameMax()
{
    const long max = ::fpathconf(m_folderFd, _PC_NAME_MAX);
    return max > 0 ? qsizetype(max) : DefaultNameMax;
}

bool PosixFolderCalls::viaFuse()
{
    constexpr long FuseMagic = 0x65735546;
    struct statfs info;
    return ::fstatfs(m_folderFd, &info) == 0 && long(info.f_type) == FuseMagic;
}

// Read once: the mount of an open folder does not change under it.
FileSystemKind PosixFolderCalls::fileSystemKind()
{
    if (!m_kind)
        m_kind = fileSystemKindOf(m_folderFd);
    return *m_kind;
}

int PosixFolderCalls::writeError()
{
    if (::faccessat(m_folderFd, ".", W_OK | X_OK, 0) == 0)
        return 0;
    const int error = errno;
    return error == EROFS || error == EACCES ? error : 0;
}

// fusefat tells no cluster size, but its counts give it away: f_files is the number of
// clusters and f_blocks the bytes they hold in units of f_frsize, rounded down per cluster,
// so 0 where a cluster is smaller than a unit (then it is FAT's smallest, 512 bytes).
int PosixFolderCalls::clusterEntries()
{
    constexpr unsigned long EntryBytes = 32, SmallestCluster = 512;
    struct statvfs info;
    if (fileSystemKind() != FileSystemKind::FuseFat || ::fstatvfs(m_folderFd, &info) != 0 || info.f_files == 0)
        return 0;
    const unsigned long clusterBytes = info.f_blocks < info.f_files ? SmallestCluster : info.f_blocks / info.f_files * info.f_frsize;
    return int(clusterBytes / EntryBytes);
}

// FAT12 and FAT16 have fewer than 65,525 clusters, a count fusefat gives as f_files. The
// root folder is the one at a mount point that shows the file system's own root.
bool PosixFolderCalls::movesDamageFiles()
{
    constexpr unsigned long Fat32Clusters = 65525;
    struct statvfs volume;
    struct stat folder;
    if (fileSystemKind() != FileSystemKind::FuseFat)
        return false;
    if (::fstatvfs(m_folderFd, &volume) == 0 && volume.f_files >= Fat32Clusters)
        return false;
    if (::fstat(m_folderFd, &folder) != 0)
        return true; // nor is a folder it cannot tell from the root
    const QByteArray device = deviceField(folder.st_dev);
    for (const Mount &mount : readMountTable()) {
        struct stat point;
        if (mount.device == device && mount.root == "/" && ::stat(QFile::encodeName(mount.mountPoint).constData(), &point) == 0
            && point.st_dev == folder.st_dev && point.st_ino == folder.st_ino)
            return false;
    }
    return true;
}

} // namespace velmix
