#include "posix/OpenSubfolders.h"

#include "program/Logging.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace velmix {
namespace {

// Far below the usual limit of 1,024 open files; a tree's batch goes folder by folder,
// so few are needed at once.
constexpr qsizetype MostOpen = 64;

// Where the last "/" of `path` is; -1 where it has none.
qsizetype lastSlash(const QByteArray &path)
{
    const void *slash = ::memrchr(path.constData(), '/', size_t(path.size()));
    return slash ? static_cast<const char *>(slash) - path.constData() : -1;
}

} // namespace

OpenSubfolders::~OpenSubfolders()
{
    closeAll();
}

OpenSubfolders::Place OpenSubfolders::place(const QByteArray &path)
{
    keepFewOpen();
    return lookUp(path);
}

std::pair<OpenSubfolders::Place, OpenSubfolders::Place> OpenSubfolders::places(const QByteArray &from, const QByteArray &to)
{
    keepFewOpen();
    const Place source = lookUp(from);
    return {source, lookUp(to)};
}

OpenSubfolders::Place OpenSubfolders::lookUp(const QByteArray &path)
{
    const qsizetype slash = lastSlash(path);
    if (slash < 0)
        return {m_rootFd, path.constData(), 0};
    const QByteArrayView folder(path.constData(), slash);
    if (m_lastFd < 0 || folder != m_lastFolder) {
        int error = 0;
        const int fd = opened(folder, error);
        if (fd < 0)
            return {-1, nullptr, error};
        m_lastFolder = folder.toByteArray();
        m_lastFd = fd;
        const QByteArray inside = m_lastFolder + '/';
        m_lastHoldsOpen = std::any_of(m_open.keyBegin(), m_open.keyEnd(), [&](const QByteArray &key) { return key.startsWith(inside); });
    }
    return {m_lastFd, path.constData() + slash + 1, 0};
}

// Opens the folder and those on its way, each from its parent, or finds them open.
int OpenSubfolders::opened(QByteArrayView folder, int &error)
{
    const QByteArray key = folder.toByteArray();
    if (const auto open = m_open.constFind(key); open != m_open.cend())
        return *open;
    const qsizetype slash = folder.lastIndexOf('/');
    const int parentFd = slash < 0 ? m_rootFd : opened(folder.first(slash), error);
    if (parentFd < 0)
        return -1;
    const QByteArray name = folder.sliced(slash + 1).toByteArray();
    if (name.isEmpty() || name == "." || name == "..") {
        error = EINVAL; // a path that would leave its folder or name none
        return -1;
    }
    // O_PATH: passing through takes the right to search a folder, not to read it.
    const int fd = ::openat(parentFd, name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        qCDebug(renameLog, "openat \"%s\": errno %d (%s)", key.constData(), error, std::strerror(error));
        return -1;
    }
    m_open.insert(key, fd);
    if (m_lastFd >= 0 && key.startsWith(m_lastFolder + '/'))
        m_lastHoldsOpen = true;
    return fd;
}

void OpenSubfolders::forget(const QByteArray &path, const Place &where)
{
    // Not open itself: then nothing inside it is either. An entry of the last folder is
    // told by where it was found, without reading its path again, while no folder inside
    // that one is open: this runs after every move of a batch.
    if (m_open.isEmpty() || (m_lastFd >= 0 && where.folderFd == m_lastFd && !m_lastHoldsOpen))
        return;
    if (!m_open.contains(path))
        return;
    for (auto open = m_open.begin(); open != m_open.end();) {
        const QByteArray &key = open.key();
        if (key.startsWith(path) && (key.size() == path.size() || key.at(path.size()) == '/')) {
            ::close(*open);
            open = m_open.erase(open);
        } else {
            ++open;
        }
    }
    m_lastFd = -1;
}

void OpenSubfolders::keepFewOpen()
{
    if (m_open.size() >= MostOpen)
        closeAll();
}

void OpenSubfolders::closeAll()
{
    for (const int fd : std::as_const(m_open))
        ::close(fd);
    m_open.clear();
    m_lastFd = -1;
}

} // namespace velmix
