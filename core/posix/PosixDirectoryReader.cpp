#include "listing/DirectoryReader.h"

#include "text/FileNameCodec.h"
#include "text/NameOrder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace velmix {
namespace {

struct CloseDir
{
    void operator()(DIR *dir) const { closedir(dir); }
};
using OpenDir = std::unique_ptr<DIR, CloseDir>;

OpenDir openDir(const QString &folder)
{
    const std::optional<QByteArray> path = FileNameCodec::encode(folder);
    if (!path) {
        errno = EINVAL;
        return nullptr;
    }
    return OpenDir(opendir(path->constData()));
}

bool isOfType(int folderFd, const dirent *entry, unsigned char type, mode_t mode)
{
    if (entry->d_type == type)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat info;
    // Following the link: a link counts as what it points to.
    return fstatat(folderFd, entry->d_name, &info, 0) == 0 && (info.st_mode & S_IFMT) == mode;
}

bool isPlainFile(int folderFd, const dirent *entry)
{
    return isOfType(folderFd, entry, DT_REG, S_IFREG);
}

// How many entries pass between two looks at the progress: often enough for a cancel to
// answer at once, rarely enough to cost nothing.
constexpr int ProgressStep = 4096;

// Calls `take` with each visible entry's name until it returns false, and `skip` with
// each hidden one's; returns 0 or the error number.
template<typename Take, typename Skip>
int forEachEntry(const QString &folder, Take take, Skip skip)
{
    const OpenDir dir = openDir(folder);
    if (!dir)
        return errno;
    const int folderFd = dirfd(dir.get());
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir.get());
        if (!entry) {
            error = errno;
            break;
        }
        if (entry->d_name[0] != '.') {
            if (!take(folderFd, entry))
                break;
        } else if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            skip(entry);
        }
    }
    return error;
}

void keepName(const dirent *entry, NameColumn *names)
{
    if (!names)
        return;
    FileNameCodec::decodeAppend(entry->d_name, qsizetype(std::strlen(entry->d_name)), names->pendingText());
    names->closePendingName();
}

} // namespace

int readFolder(const QString &folder, const WildcardMask &mask, NameColumn &names, NameColumn *unlisted,
               QStringList *subfolders, WorkProgress *progress)
{
    int untilLook = 1; // a cancel made before the read began is seen at the first entry
    qsizetype counted = names.size();
    bool cancelled = false;
    const int error = forEachEntry(
        folder,
        [&](int folderFd, const dirent *entry) {
            FileNameCodec::decodeAppend(entry->d_name, qsizetype(std::strlen(entry->d_name)), names.pendingText());
            if (mask.matches(names.pendingName()) && isPlainFile(folderFd, entry)) {
                names.closePendingName();
            } else {
                names.discardPendingName();
                keepName(entry, unlisted);
                if (subfolders && isOfType(folderFd, entry, DT_DIR, S_IFDIR))
                    subfolders->append(FileNameCodec::decode(QByteArrayView(entry->d_name)));
            }
            if (!progress || --untilLook > 0)
                return true;
            untilLook = ProgressStep;
            progress->advance(names.size() - counted);
            counted = names.size();
            cancelled = progress->cancelled();
            return !cancelled;
        },
        [&](const dirent *entry) { keepName(entry, unlisted); });
    if (progress && !cancelled)
        progress->advance(names.size() - counted);
    if (subfolders)
        std::sort(subfolders->begin(), subfolders->end(),
                  [](const QString &a, const QString &b) { return compareNames(a, b) < 0; });
    return cancelled ? ECANCELED : error;
}

bool canReadFolder(const QString &folder)
{
    return openDir(folder) != nullptr;
}

} // namespace velmix
