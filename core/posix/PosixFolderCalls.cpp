#include "PosixFolderCalls.h"

#include "FileSystemKind.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmix {
namespace {

constexpr qsizetype DefaultNameMax = 255;

int result(int returned)
{
    return returned == 0 ? 0 : errno;
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
    return result(::renameat2(m_folderFd, from.constData(), m_folderFd, to.constData(), RENAME_NOREPLACE));
}

int PosixFolderCalls::link(const QByteArray &from, const QByteArray &to)
{
    return result(::linkat(m_folderFd, from.constData(), m_folderFd, to.constData(), 0));
}

int PosixFolderCalls::unlink(const QByteArray &name)
{
    return result(::unlinkat(m_folderFd, name.constData(), 0));
}

int PosixFolderCalls::rename(const QByteArray &from, const QByteArray &to)
{
    return result(::renameat(m_folderFd, from.constData(), m_folderFd, to.constData()));
}

int PosixFolderCalls::createExclusive(const QByteArray &name, EntryStatus &created)
{
    if (::mknodat(m_folderFd, name.constData(), S_IFREG | 0644, 0) != 0)
        return errno;
    return status(name, created);
}

int PosixFolderCalls::status(const QByteArray &name, EntryStatus &status)
{
    struct stat info;
    if (::fstatat(m_folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    status = statusOf(info);
    return 0;
}

qsizetype PosixFolderCalls::nameMax()
{
    const long max = ::fpathconf(m_folderFd, _PC_NAME_MAX);
    return max > 0 ? qsizetype(max) : DefaultNameMax;
}

FileSystemKind PosixFolderCalls::fileSystemKind()
{
    return fileSystemKindOf(m_folderFd);
}

} // namespace velmix
