#include "program/MakeFolders.h"

#include <cerrno>
#include <sys/stat.h>

namespace velmix {

int makeFolders(const QByteArray &path)
{
    if (::mkdir(path.constData(), 0700) == 0 || errno == EEXIST)
        return 0;
    const qsizetype slash = path.lastIndexOf('/');
    if (errno != ENOENT || slash <= 0)
        return errno;
    if (const int error = makeFolders(path.left(slash)))
        return error;
    return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

} // namespace velmix
