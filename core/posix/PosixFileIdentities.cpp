#include "posix/PosixFileIdentities.h"

#include "posix/OpenSubfolders.h"
#include "work/AsyncTask.h"

#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace velmix {
namespace {

constexpr size_t ParallelFrom = 4096;

// `name` may be a path below the folder: its folders are opened on the way, not followed.
std::optional<FileIdentity> identityOf(OpenSubfolders &folder, const QByteArray &name)
{
    const OpenSubfolders::Place place = folder.place(name);
    struct stat info;
    if (place.error != 0 || ::fstatat(place.folderFd, place.name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    // A folder is told by its device and number alone: its size and time change as the
    // batch renames what it holds.
    if (S_ISDIR(info.st_mode))
        return FileIdentity{quint64(info.st_dev), quint64(info.st_ino), FileIdentity::FolderSize, 0, 1};
    if (!S_ISREG(info.st_mode))
        return std::nullopt;
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
                        qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec, quint64(info.st_nlink)};
}

} // namespace

std::vector<std::optional<FileIdentity>> PosixFileIdentities::identify(const QByteArray &folder,
                                                                       const std::vector<QByteArray> &names, Cores cores)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::vector<std::optional<FileIdentity>>(names.size());
    const auto lookUp = [&names, fd](size_t from, size_t to) {
        std::vector<std::optional<FileIdentity>> found;
        found.reserve(to - from);
        OpenSubfolders below(fd);
        for (size_t i = from; i < to; ++i)
            found.push_back(names[i].isEmpty() ? std::nullopt : identityOf(below, names[i]));
        return found;
    };
    // A large batch is looked at from two threads: the look-ups are what the journal
    // adds to an apply's time.
    const size_t half = names.size() > ParallelFrom && cores == Cores::Both ? names.size() / 2 : names.size();
    AsyncTask secondHalf([&] { return lookUp(half, names.size()); }, half < names.size());
    std::vector<std::optional<FileIdentity>> identities = lookUp(0, half);
    std::vector<std::optional<FileIdentity>> rest = secondHalf.take();
    identities.insert(identities.end(), std::make_move_iterator(rest.begin()), std::make_move_iterator(rest.end()));
    ::close(fd);
    return identities;
}

int PosixFileIdentities::removeIfSame(const QByteArray &folder, const QByteArray &name, const FileIdentity &expected)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = ENOENT;
    {
        OpenSubfolders below(fd);
        if (identityOf(below, name) == expected) {
            const OpenSubfolders::Place place = below.place(name);
            error = ::unlinkat(place.folderFd, place.name, 0) == 0 ? 0 : errno;
        }
    }
    ::close(fd);
    return error;
}

} // namespace velmix
