#include "posix/PosixFolderLocks.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <vector>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmix {
namespace {

class LockFileHold : public FolderHold
{
public:
    LockFileHold(int fd, QByteArray path, bool shared)
        : m_fd(fd), m_path(std::move(path)), m_shared(shared)
    {
    }
    ~LockFileHold() override
    {
        // Removed while still held: a program waiting on it finds it gone from its path
        // and makes a new one. A shared hold removes it only where no other program
        // shares it.
        if (!m_shared || ::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(m_path.constData());
        ::close(m_fd);
    }

private:
    const int m_fd;
    const QByteArray m_path;
    const bool m_shared;
};

// The hold of a folder with the shared holds of the folders above it, let go of in turn.
class TreeHold : public FolderHold
{
public:
    explicit TreeHold(std::vector<std::unique_ptr<FolderHold>> holds) : m_holds(std::move(holds)) {}
    ~TreeHold() override
    {
        while (!m_holds.empty())
            m_holds.pop_back();
    }

private:
    std::vector<std::unique_ptr<FolderHold>> m_holds;
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
    // A batch may rename in every folder below its own: a folder is held alone, and the
    // folders above it shared, so that a batch over a tree and one in a folder inside it
    // never run at once, while batches in folders side by side do.
    char *real = ::realpath(folder.constData(), nullptr);
    if (!real)
        return std::make_unique<FolderHold>(); // nothing to rename in
    const QByteArray path(real);
    ::free(real);
    std::vector<std::unique_ptr<FolderHold>> holds;
    for (qsizetype slash = path.indexOf('/'); slash >= 0 && slash + 1 < path.size(); slash = path.indexOf('/', slash + 1)) {
        std::unique_ptr<FolderHold> above = holdOne(slash == 0 ? QByteArray("/") : path.first(slash), true);
        if (!above)
            return nullptr;
        holds.push_back(std::move(above));
    }
    std::unique_ptr<FolderHold> own = holdOne(path, false);
    if (!own)
        return nullptr;
    holds.push_back(std::move(own));
    return std::make_unique<TreeHold>(std::move(holds));
}

std::unique_ptr<FolderHold> PosixFolderLocks::holdOne(const QByteArray &folder, bool shared)
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
            locked = ::flock(fd, (shared ? LOCK_SH : LOCK_EX) | (m_busy == Busy::Wait ? 0 : LOCK_NB));
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? nullptr : std::make_unique<FolderHold>();
        }
        // The holder before may have removed the file between this open and this lock.
        struct stat opened {}, named {};
        if (::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 && sameFile(opened, named))
            return std::make_unique<LockFileHold>(fd, path, shared);
        ::close(fd);
    }
}

} // namespace velmix
