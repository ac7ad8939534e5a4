#include "posix/PosixFileMover.h"

#include "posix/PosixFolderCalls.h"
#include "program/Logging.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace velmix {

std::unique_ptr<FolderMover> PosixFileMover::openFolder(const QByteArray &folder, int &error)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        qCDebug(renameLog, "open \"%s\": errno %d (%s)", folder.constData(), error, std::strerror(error));
        return nullptr;
    }
    error = 0;
    // The later methods take over, one by one, only where a file system turns one down.
    qCDebug(renameLog, "moves in \"%s\" start with method %d", folder.constData(), int(m_first));
    return std::make_unique<NoReplaceMover>(std::make_shared<PosixFolderCalls>(fd), m_first);
}

} // namespace velmix
