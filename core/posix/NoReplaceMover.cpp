#include "NoReplaceMover.h"

#include "Logging.h"

#include <cerrno>
#include <sys/stat.h>

namespace velmix {

int NoReplaceMover::move(const QByteArray &from, const QByteArray &to)
{
    for (MoveMethod method = m_method;; method = MoveMethod(int(method) + 1)) {
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

NoReplaceMover::Answer NoReplaceMover::moveBy(MoveMethod method, const QByteArray &from, const QByteArray &to)
{
    switch (method) {
    case MoveMethod::RenameNoReplace: {
        const int error = m_calls->renameNoReplace(from, to);
        return {error, error == EINVAL || error == ENOSYS || error == EOPNOTSUPP};
    }
    case MoveMethod::LinkThenUnlink:
        return linkThenUnlink(from, to);
    case MoveMethod::ReserveThenRename:
        break;
    }
    return reserveThenRename(from, to);
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
    switch (const int error = m_calls->createExclusive(to, placeholder)) {
    case 0:
        break;
    case EPERM:
        return {EINVAL};
    case ENOENT:
        return {exists(from) ? EINVAL : ENOENT};
    default:
        return {error};
    }
    if (!holdsPlaceholder(to, placeholder))
        return {EEXIST}; // someone else wrote there meanwhile: theirs now, left alone
    if (const int error = m_calls->rename(from, to); error != 0) {
        if (holdsPlaceholder(to, placeholder))
            (void)m_calls->unlink(to);
        return {error};
    }
    return {0};
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
