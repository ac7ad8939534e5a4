#pragma once

#include "FileSystemKind.h"

#include <QByteArray>

#include <memory>
#include <span>

namespace velmix {

// A move from names that stay as they are, where they are, until the batch ends (a plan's own).
struct KeptMove
{
    const QByteArray *from;
    const QByteArray *to;
};

// Makes a run's moves in order by `moveOne(index)` (0 or an error number) up to the first
// that fails; returns how many went, and `error` is why the next one did not.
template <typename MoveOne>
qsizetype moveInOrder(std::span<const KeptMove> run, int &error, MoveOne moveOne)
{
    error = 0;
    for (size_t done = 0; done < run.size(); ++done) {
        if ((error = moveOne(done)) != 0)
            return qsizetype(done);
    }
    return qsizetype(run.size());
}

// Moves files to new names inside one folder, never replacing an existing file.
class FolderMover
{
public:
    virtual ~FolderMover() = default;
    // 0, or the error number: EEXIST when a file of the new name exists, EINVAL when the
    // file system refuses the new name. Never replaces a file that was there before the
    // move began.
    virtual int move(const QByteArray &from, const QByteArray &to) = 0;
    // The moves of a run in order, each as move(); returns how many of the first went, and
    // where that is fewer than all, `error` is why the next one did not. The names stay as
    // they are, where they are, until the batch ends (a plan's own): a mover that records
    // its moves may keep them by address, and one that can make a run in one tight loop
    // spares the calls around each move.
    virtual qsizetype moveKeptRun(std::span<const KeptMove> run, int &error)
    {
        return moveInOrder(run, error, [&](size_t i) { return move(*run[i].from, *run[i].to); });
    }
    // Whether the name leads to an entry that is not a folder; where the file system
    // ignores letter case, any spelling of the entry's name does.
    [[nodiscard]] virtual bool holdsFile(const QByteArray &name) = 0;
    // Whether the name is known to lead to nothing: a look-up that fails for another
    // reason (a medium that stopped answering) tells nothing.
    [[nodiscard]] virtual bool isGone(const QByteArray &name) { return !holdsFile(name); }
    // The longest name the folder's file system takes, in bytes.
    [[nodiscard]] virtual qsizetype nameMax() = 0;
    // Which file system the folder is on, as far as its mount tells.
    [[nodiscard]] virtual FileSystemKind fileSystemKind() = 0;
    // Why no file of the folder can be renamed, known before any try: EROFS on a
    // read-only mount, EACCES without the right to change the folder; 0 otherwise.
    [[nodiscard]] virtual int writeError() = 0;
    // How many 32-byte entries one cluster of the folder holds, where that bounds a name
    // (see FolderRules::nameEntriesMax); 0 where it is not known.
    [[nodiscard]] virtual int clusterEntries() = 0;
    // See FolderRules::movesDamageFiles.
    [[nodiscard]] virtual bool movesDamageFiles() = 0;
};

class FileMover
{
public:
    virtual ~FileMover() = default;
    // Null with `error` set when the folder cannot be opened.
    virtual std::unique_ptr<FolderMover> openFolder(const QByteArray &folder, int &error) = 0;
};

} // namespace velmix
