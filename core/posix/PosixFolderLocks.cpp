#include "posix/PosixFolderLocks.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmix {
namespace {

class LockFileHold : public FolderHold
{
public:
    LockFileHold(int fd, QByteArray path)
        : m_fd(fd), m_path(std::move(path))
    {
    }
    ~LockFileHold() override
    {
        // Removed while still held: a program waiting on it finds it gone from its path
        // and makes a new one.
        ::unlink(m_path.constData());
        ::close(m_fd);
    }

private:
    const int m_fd;
    const QByteArray m_path;
};

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

PosixFolderLocks::PosixFolderLocks(QString stateFolder, Busy busy)
    : m_folder(std::move(stateFolder) + QStringLiteral("/locks")), m_busy(busy)
{
}

std::unique_ptr<FolderHold> PosixFolderLocks::hold(const QByteArray &folder)
{
    struct stat target {};
    if (::stat(folder.constData(), &target) != 0 || !QDir().mkpath(m_folder))
        return std::make_unique<FolderHold>(); // nothing to rename in, or nowhere to keep a lock
    const QByteArray path = QFile::encodeName(m_folder) + '/' + QByteArray::number(quint64(target.st_dev)) + '-'
                            + QByteArray::number(quint64(target.st_ino)) + ".lock";
    for (;;) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return std::make_unique<FolderHold>();
        int locked;
        do
            locked = ::flock(fd, LOCK_EX | (m_busy == Busy::Wait ? 0 : LOCK_NB));
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? nullptr : std::make_unique<FolderHold>();
        }
        // The holder before may have removed the file between this open and this lock.
        struct stat opened {}, named {};
        if (::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 && sameFile(opened, named))
            return std::make_unique<LockFileHold>(fd, path);
        ::close(fd);
    }
}

} // namespace velmix
