#include "FolderRules.h"

#include "FileNameCodec.h"
#include "FolderCase.h"
#include "PosixFileMover.h"

#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>

namespace velmix {
namespace {

// The kernel's own type numbers, as the mount table names them vfat/msdos and exfat.
constexpr decltype(statfs::f_type) FatMagic = 0x4d44;
constexpr decltype(statfs::f_type) ExfatMagic = 0x2011BAB0;

} // namespace

FolderRules readFolderRules(const QString &folder, const NameColumn &listedNames)
{
    FolderRules rules;
    const std::optional<QByteArray> path = FileNameCodec::encode(folder);
    int error = 0;
    const std::unique_ptr<FolderMover> mover = path ? PosixFileMover().openFolder(*path, error) : nullptr;
    if (!mover)
        return rules;
    rules.nameMax = mover->nameMax();
    rules.ignoresCase = folderIgnoresCase(*mover, listedNames);
    struct statfs info;
    if (::statfs(path->constData(), &info) == 0) {
        if (info.f_type == FatMagic)
            rules.driver = FolderRules::Driver::KernelVfat;
        else if (info.f_type == ExfatMagic)
            rules.driver = FolderRules::Driver::KernelExfat;
    }
    if (::access(path->constData(), W_OK | X_OK) != 0 && (errno == EROFS || errno == EACCES))
        rules.writeError = errno;
    return rules;
}

} // namespace velmix
