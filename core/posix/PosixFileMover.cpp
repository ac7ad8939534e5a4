#include "PosixFileMover.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmix {
namespace {

constexpr qsizetype DefaultNameMax = 255;

class PosixFolderMover : public FolderMover
{
public:
    PosixFolderMover(int folderFd, PosixFileMover::Method method)
        : m_folderFd(folderFd), m_method(method)
    {
    }
    ~PosixFolderMover() override { ::close(m_folderFd); }

    int move(const QByteArray &from, const QByteArray &to) override
    {
        if (m_method == PosixFileMover::Method::RenameNoReplace) {
            if (::renameat2(m_folderFd, from.constData(), m_folderFd, to.constData(), RENAME_NOREPLACE) == 0)
                return 0;
            if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                return errno;
            m_method = PosixFileMover::Method::LinkThenUnlink; // this file system refuses the flag
        }
        return linkThenUnlink(from, to);
    }

    bool sameFile(const QByteArray &a, const QByteArray &b) override
    {
        struct stat first, second;
        return ::fstatat(m_folderFd, a.constData(), &first, AT_SYMLINK_NOFOLLOW) == 0
               && ::fstatat(m_folderFd, b.constData(), &second, AT_SYMLINK_NOFOLLOW) == 0
               && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }

    qsizetype nameMax() override
    {
        const long max = ::fpathconf(m_folderFd, _PC_NAME_MAX);
        return max > 0 ? qsizetype(max) : DefaultNameMax;
    }

private:
    // link fails with EEXIST when the new name is taken, atomically; a crash between the
    // two calls leaves the file under both names, never under none.
    int linkThenUnlink(const QByteArray &from, const QByteArray &to)
    {
        if (::linkat(m_folderFd, from.constData(), m_folderFd, to.constData(), 0) != 0)
            return errno;
        if (::unlinkat(m_folderFd, from.constData(), 0) != 0) {
            const int error = errno;
            ::unlinkat(m_folderFd, to.constData(), 0);
            return error;
        }
        return 0;
    }

    const int m_folderFd;
    PosixFileMover::Method m_method;
};

} // namespace

std::unique_ptr<FolderMover> PosixFileMover::openFolder(const QByteArray &folder, int &error)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    error = 0;
    return std::make_unique<PosixFolderMover>(fd, m_method);
}

} // namespace velmix
