#include "posix/NoReplaceMover.h"

#include "program/Logging.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace velmix {
namespace {

// What renameat2 answers where the file system does not take RENAME_NOREPLACE.
bool turnedDown(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

} // namespace

int NoReplaceMover::move(const QByteArray &from, const QByteArray &to)
{
    return moveFrom(m_method, from, to);
}

// While renameat2 takes the flag, a run goes to it in one loop; a move it turns down goes
// on to the next methods as a move of its own does, and so do the moves after it.
qsizetype NoReplaceMover::moveKeptRun(std::span<const KeptMove> run, int &error)
{
    if (m_method != MoveMethod::RenameNoReplace)
        return FolderMover::moveKeptRun(run, error);
    const size_t done = size_t(m_calls->renameNoReplaceRun(run, error));
    if (done == run.size() || !turnedDown(error))
        return qsizetype(done);
    if ((error = moveFrom(after(MoveMethod::RenameNoReplace), *run[done].from, *run[done].to)) != 0)
        return qsizetype(done);
    return qsizetype(done + 1) + moveKeptRun(run.subspan(done + 1), error);
}

int NoReplaceMover::moveFrom(MoveMethod first, const QByteArray &from, const QByteArray &to)
{
    for (MoveMethod method = first;; method = after(method)) {
        const Answer answer = moveBy(method, from, to);
        if (answer.error == 0)
            m_method = method; // only a method that worked is trusted with the next move
        if (answer.error == 0 || !answer.tryNextMethod)
            return answer.error;
        qCDebug(renameLog, "move method %d turned down with errno %d; the next method is tried", int(method), answer.error);
    }
}

bool NoReplaceMover::holdsFile(const QByteArray &name)
{
    EntryStatus status;
    return m_calls->status(name, status) == 0 && status.type != S_IFDIR;
}

bool NoReplaceMover::isGone(const QByteArray &name)
{
    EntryStatus status;
    return m_calls->status(name, status) == ENOENT;
}

// Which method takes over from one the file system turned down.
MoveMethod NoReplaceMover::after(MoveMethod method)
{
    if (method == MoveMethod::LinkThenUnlink && m_calls->viaFuse())
        return MoveMethod::RenameOntoFreeName;
    return MoveMethod(int(method) + 1);
}

NoReplaceMover::Answer NoReplaceMover::moveBy(MoveMethod method, const QByteArray &from, const QByteArray &to)
{
    switch (method) {
    case MoveMethod::RenameNoReplace: {
        const int error = m_calls->renameNoReplace(from, to);
        return {error, turnedDown(error)};
    }
    case MoveMethod::LinkThenUnlink:
        return linkThenUnlink(from, to);
    case MoveMethod::ReserveThenRename:
        return reserveThenRename(from, to);
    case MoveMethod::RenameOntoFreeName:
        break;
    }
    return renameOntoFreeName(from, to);
}

// link fails with EEXIST when the new name is taken, atomically; a crash between the two
// calls leaves the file under both names, never under none.
NoReplaceMover::Answer NoReplaceMover::linkThenUnlink(const QByteArray &from, const QByteArray &to)
{
    if (const int error = m_calls->link(from, to); error != 0)
        return {error, error == EPERM || error == EOPNOTSUPP || error == EMLINK}; // no hard links here
    if (const int error = m_calls->unlink(from); error != 0) {
        (void)m_calls->unlink(to);
        return {error};
    }
    return {0};
}

// The new name is taken first, exclusively, as an empty placeholder, and the file is
// renamed over it only while it is still that same empty file: nothing that was there
// before is replaced, and rename is never handed a name the file system has not already
// accepted (some drivers delete a file renamed to a name they refuse).
NoReplaceMover::Answer NoReplaceMover::reserveThenRename(const QByteArray &from, const QByteArray &to)
{
    EntryStatus placeholder;
    if (const Answer reserved = reserve(from, to, placeholder); reserved.error != 0)
        return reserved;
    if (const int error = m_calls->rename(from, to); error != 0) {
        if (holdsPlaceholder(to, placeholder))
            (void)m_calls->unlink(to);
        return {error};
    }
    return {0};
}

// Creates `to` as the empty placeholder `placeholder` and checks that it still is. EPERM
// (fusefat's, and the kernel's for a name it refuses) is told apart by the name: FAT's
// refused characters and bytes outside ASCII, else a folder with no room left.
NoReplaceMover::Answer NoReplaceMover::reserve(const QByteArray &from, const QByteArray &to, EntryStatus &placeholder)
{
    switch (const int error = m_calls->createExclusive(to, placeholder)) {
    case 0:
        break;
    case EPERM: {
        const bool refused = std::any_of(to.begin(), to.end(), [](char c) {
            return uchar(c) < 0x20 || uchar(c) >= 0x80 || QByteArrayView("*?<>|\":\\").contains(c);
        });
        return {refused ? EINVAL : ENOSPC};
    }
    case ENOENT:
        return {exists(from) ? EINVAL : ENOENT};
    default:
        return {error};
    }
    if (!holdsPlaceholder(to, placeholder))
        return {EEXIST}; // someone else wrote there meanwhile: theirs now, left alone
    return {0};
}

// The name is looked up in the open folder and renamed onto only while the look-up finds
// nothing there. A program that creates that very name in the instant between the two
// calls loses its file to the move; that window is far shorter than a placeholder's, and a
// placeholder on FUSE loses the moved file itself whenever a reader holds it open.
NoReplaceMover::Answer NoReplaceMover::renameOntoFreeName(const QByteArray &from, const QByteArray &to)
{
    // fusefat drops the file of a rename it cannot finish (a full folder, a name it
    // refuses), so there the name is always tried first. Elsewhere only a name the look-up
    // shows: the kernel's cache can still hold a spelling of a name the file had a moment
    // ago in another case, and a create asks the driver itself.
    bool probe = m_calls->fileSystemKind() == FileSystemKind::FuseFat;
    if (!probe) {
        EntryStatus status;
        const int error = m_calls->status(to, status);
        if (error != 0 && error != ENOENT)
            return {error};
        probe = error == 0;
    }
    if (probe) {
        if (const Answer probed = probeName(from, to); probed.error != 0)
            return probed;
    }
    if (const int error = m_calls->rename(from, to); error != 0)
        return {error == ENOENT && exists(from) ? EINVAL : error};
    return {0};
}

// The name is created and removed again: a driver that takes that has the room and takes
// the name.
NoReplaceMover::Answer NoReplaceMover::probeName(const QByteArray &from, const QByteArray &to)
{
    EntryStatus probe;
    if (const Answer reserved = reserve(from, to, probe); reserved.error != 0)
        return reserved;
    return {m_calls->unlink(to)};
}

bool NoReplaceMover::holdsPlaceholder(const QByteArray &name, const EntryStatus &placeholder)
{
    EntryStatus now;
    return m_calls->status(name, now) == 0 && now == placeholder && now.type == S_IFREG && now.size == 0;
}

bool NoReplaceMover::exists(const QByteArray &name)
{
    EntryStatus status;
    return m_calls->status(name, status) == 0;
}

} // namespace velmix
