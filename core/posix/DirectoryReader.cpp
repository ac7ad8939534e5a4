#include "DirectoryReader.h"

#include "FileNameCodec.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace velmix {
namespace {

bool isPlainFile(int folderFd, const dirent *entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat info;
    // Following the link: a link is listed when what it points to is a plain file.
    return fstatat(folderFd, entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

} // namespace

int readFolder(const QString &folder, const WildcardMask &mask, NameColumn &names)
{
    const std::optional<QByteArray> path = FileNameCodec::encode(folder);
    if (!path)
        return EINVAL;
    DIR *dir = opendir(path->constData());
    if (!dir)
        return errno;
    const int folderFd = dirfd(dir);
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        if (entry->d_name[0] == '.')
            continue;
        FileNameCodec::decodeAppend(entry->d_name, qsizetype(std::strlen(entry->d_name)), names.pendingText());
        if (mask.matches(names.pendingName()) && isPlainFile(folderFd, entry))
            names.closePendingName();
        else
            names.discardPendingName();
    }
    closedir(dir);
    return error;
}

} // namespace velmix
