#include "posix/PosixStateFolder.h"

#include "program/MakeFolders.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmix {
namespace {

const QString JournalSuffix = QStringLiteral(".journal");

class PosixStateFile : public StateFile
{
public:
    explicit PosixStateFile(int fd)
        : m_fd(fd)
    {
    }
    ~PosixStateFile() override { ::close(m_fd); }

    int append(const QByteArray &bytes) override
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t written = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (written < 0 && errno != EINTR)
                return errno;
            done += std::max<ssize_t>(written, 0);
        }
        return 0;
    }
    int sync() override { return ::fsync(m_fd) == 0 ? 0 : errno; }

private:
    const int m_fd;
};

int syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

// The file open and held for this program; -1 with `error` set otherwise.
int openHeld(const QByteArray &path, int flags, int &error)
{
    const int fd = ::open(path.constData(), flags | O_WRONLY | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno;
        ::close(fd);
        return -1;
    }
    error = 0;
    return fd;
}

// A new file `path` in `folder`, held before anyone can see it: another program's scan
// that met it between its open and its lock would take it for an abandoned journal. It
// is made without a name and linked into place; where the file system cannot, under a
// name no scan looks at. Never over a file that is there.
int createHeld(const QByteArray &folder, const QByteArray &path, int &error)
{
    int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0) {
            error = 0;
            return fd;
        }
        error = errno;
        ::close(fd);
        if (error == EEXIST)
            return -1;
    }
    const QByteArray unseen = path + ".new";
    if ((fd = openHeld(unseen, O_CREAT | O_EXCL, error)) < 0)
        return -1;
    error = ::link(unseen.constData(), path.constData()) == 0 ? 0 : errno;
    (void)::unlink(unseen.constData());
    if (error != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

PosixStateFolder::PosixStateFolder(QString path)
    : m_path(std::move(path))
{
}

QString PosixStateFolder::defaultPath()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/velmix");
}

QByteArray PosixStateFolder::pathOf(const QString &name) const
{
    return QFile::encodeName(m_path + u'/' + name);
}

std::unique_ptr<StateFile> PosixStateFolder::create(const QString &name, int &error)
{
    if ((error = makeFolders(QFile::encodeName(m_path))) != 0)
        return nullptr;
    const int fd = createHeld(QFile::encodeName(m_path), pathOf(name), error);
    if (fd < 0)
        return nullptr;
    auto file = std::make_unique<PosixStateFile>(fd);
    if ((error = syncFolder(QFile::encodeName(m_path))) != 0)
        return nullptr;
    return file;
}

std::unique_ptr<StateFile> PosixStateFolder::reopen(const QString &name, int &error)
{
    const int fd = openHeld(pathOf(name), 0, error);
    return fd < 0 ? nullptr : std::make_unique<PosixStateFile>(fd);
}

QStringList PosixStateFolder::journals()
{
    // Every entry so named, whatever it is: one that is not a file fails its reading and is
    // set aside like any journal that cannot be read.
    return QDir(m_path).entryList({u'*' + JournalSuffix}, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

int PosixStateFolder::read(const QString &name, QByteArray &content)
{
    // Never followed, never waited on: a link, a pipe or a folder is no journal.
    const int fd = ::open(pathOf(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat status {};
    QFile file;
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (!regular || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return regular ? EIO : EINVAL;
    }
    content = file.readAll();
    return file.error() == QFileDevice::NoError ? 0 : EIO;
}

bool PosixStateFolder::heldElsewhere(const QString &name)
{
    const int fd = ::open(pathOf(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

int PosixStateFolder::rename(const QString &from, const QString &to)
{
    if (::renameat2(AT_FDCWD, pathOf(from).constData(), AT_FDCWD, pathOf(to).constData(), RENAME_NOREPLACE) != 0)
        return errno;
    return syncFolder(QFile::encodeName(m_path));
}

int PosixStateFolder::remove(const QString &name)
{
    return ::unlink(pathOf(name).constData()) == 0 ? 0 : errno;
}

int PosixStateFolder::readEnds(const QString &name, qsizetype headBytes, qsizetype tailBytes, QByteArray &head,
                               QByteArray &tail)
{
    // As read(): never followed, never waited on.
    const int fd = ::open(pathOf(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat status {};
    int error = ::fstat(fd, &status) != 0 ? errno : S_ISREG(status.st_mode) ? 0 : EINVAL;
    const auto readAt = [&](QByteArray &into, qsizetype bytes, off_t at) {
        into.resize(bytes);
        qsizetype done = 0;
        while (error == 0 && done < bytes) {
            const ssize_t got = ::pread(fd, into.data() + done, size_t(bytes - done), at + done);
            if (got < 0 && errno != EINTR)
                error = errno;
            else if (got == 0)
                break; // shorter than it was a moment ago
            else if (got > 0)
                done += got;
        }
        into.resize(done);
    };
    if (error == 0) {
        const qsizetype size = qsizetype(status.st_size);
        readAt(head, qMin(size, headBytes), 0);
        readAt(tail, qMin(size, tailBytes), off_t(size - qMin(size, tailBytes)));
    }
    ::close(fd);
    return error;
}

} // namespace velmix
