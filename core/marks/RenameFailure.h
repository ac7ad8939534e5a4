#pragma once

#include <QString>

namespace velmix {

// Why a row did not get its new name.
enum class RenameReason {
    TargetExists,    // a file of that name is there and stays
    TakenByOtherRow, // an earlier row gets the same new name
    InvalidName,     // the file system cannot hold the name
    NotForWindows,   // a name Windows cannot open, on FAT, exFAT or NTFS
    UnsafeFolder,    // a folder where the driver may damage files as it moves one
    PartnerStays,    // a file it goes together with keeps its name
    SourceMissing,   // the file is gone
    SourceLost,      // the file system lost the file in a failed rename
    FileSystemError, // anything else the file system reported
};

struct RenameFailure
{
    qsizetype row; // 0-based file position
    RenameReason reason;
    int error = 0; // the error number, for FileSystemError
    // The temporary name the file was left under, when it could neither take its new
    // name nor get its old one back; empty otherwise.
    QString temporaryName = {};
};

[[nodiscard]] QString reasonText(const RenameFailure &failure);
// An error number of the file system in words: the common troubles of a medium, the rest
// by number. The journal's report says its own troubles in the same words.
[[nodiscard]] QString fileSystemErrorText(int error);

} // namespace velmix
