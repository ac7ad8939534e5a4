#pragma once

#include "NameColumn.h"

#include <QString>
#include <QStringView>

namespace velmix {

// What a folder's file system makes of names, decided once per listing.
struct FolderRules
{
    enum class Driver { Other, KernelVfat, KernelExfat };

    qsizetype nameMax = 255; // in bytes
    bool ignoresCase = false;
    // The kernel's own FAT drivers refuse some names outright; FUSE drivers are left out,
    // since their type does not tell exFAT from NTFS.
    Driver driver = Driver::Other;
    // Why no file of the folder can be renamed, known before any try: EROFS on a
    // read-only mount, EACCES without the right to change the folder; 0 otherwise.
    int writeError = 0;
};

// Whether the kernel's FAT drivers (vfat and msdos, or exfat) refuse the name: the
// characters * ? < > | " : \ and control characters, and on vfat a trailing blank.
[[nodiscard]] bool fatDriverRefuses(QStringView name, FolderRules::Driver driver);

// The rules of `folder`, from a few calls on the folder itself. `listedNames` is its
// listing just read (see folderIgnoresCase). Defaults when the folder cannot be opened.
[[nodiscard]] FolderRules readFolderRules(const QString &folder, const NameColumn &listedNames);

} // namespace velmix
