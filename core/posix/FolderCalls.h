#pragma once

#include "FileMover.h"
#include "FileSystemKind.h"

#include <QByteArray>

#include <sys/types.h>

namespace velmix {

// What a look-up shows of one entry; enough to tell whether a name still holds the very
// file it held a moment ago.
struct EntryStatus
{
    dev_t device = 0;
    ino_t inode = 0;
    mode_t type = 0; // the S_IFMT bits
    off_t size = 0;

    bool operator==(const EntryStatus &) const = default;
};

// The system calls the move methods make inside one open folder. Each returns 0 or the
// error number, so a stand-in can answer exactly as any file system driver does.
class FolderCalls
{
public:
    virtual ~FolderCalls() = default;
    // renameat2 with RENAME_NOREPLACE.
    virtual int renameNoReplace(const QByteArray &from, const QByteArray &to) = 0;
    // The same for each move of a run, in order, up to the first that fails; returns how
    // many went, and `error` is why the next one did not.
    virtual qsizetype renameNoReplaceRun(std::span<const KeptMove> run, int &error)
    {
        return moveInOrder(run, error, [&](size_t i) { return renameNoReplace(*run[i].from, *run[i].to); });
    }
    virtual int link(const QByteArray &from, const QByteArray &to) = 0;
    virtual int unlink(const QByteArray &name) = 0;
    // The plain rename, which replaces whatever `to` holds.
    virtual int rename(const QByteArray &from, const QByteArray &to) = 0;
    // Creates `name` as an empty file, failing with EEXIST when it exists, without ever
    // opening it (mknodat): a FUSE driver told of a close after a later rename hides the
    // "open" file first, which a nearly full FAT folder has no room for. `created` is
    // what a look-up then shows.
    virtual int createExclusive(const QByteArray &name, EntryStatus &created) = 0;
    // The entry itself; a symbolic link is not followed.
    virtual int status(const QByteArray &name, EntryStatus &status) = 0;
    // Whether a FUSE driver serves the folder.
    [[nodiscard]] virtual bool viaFuse() = 0;
    // The longest name the file system takes, in bytes.
    [[nodiscard]] virtual qsizetype nameMax() = 0;
    [[nodiscard]] virtual FileSystemKind fileSystemKind() = 0;
    // EROFS or EACCES where the folder cannot be changed at all; 0 otherwise.
    [[nodiscard]] virtual int writeError() = 0;
    // How many 32-byte entries one cluster of the folder holds, where the driver is known
    // to be fusefat and tells its cluster size; 0 otherwise.
    [[nodiscard]] virtual int clusterEntries() = 0;
    // See FolderRules::movesDamageFiles.
    [[nodiscard]] virtual bool movesDamageFiles() = 0;
};

} // namespace velmix
