#include "PosixFileMover.h"

#include "PosixFolderCalls.h"

#include <cerrno>
#include <fcntl.h>

namespace velmix {

std::unique_ptr<FolderMover> PosixFileMover::openFolder(const QByteArray &folder, int &error)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    error = 0;
    return std::make_unique<NoReplaceMover>(std::make_shared<PosixFolderCalls>(fd), m_first);
}

} // namespace velmix
