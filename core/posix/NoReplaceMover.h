#pragma once

#include "FileMover.h"
#include "posix/FolderCalls.h"

#include <memory>

namespace velmix {

// The ways of moving a file that never replace another, in the order they are tried.
enum class MoveMethod {
    RenameNoReplace,   // renameat2 with RENAME_NOREPLACE
    LinkThenUnlink,    // for file systems without that flag
    ReserveThenRename, // for file systems without the flag and without hard links
    RenameOntoFreeName, // the same, through FUSE: a look-up that the name is free, then rename
};

// Moves each file with the first method the folder's file system takes. A method that
// the file system turns down passes the move to the next one; a method that worked is
// where the next move starts. Without the flag and hard links, a FUSE driver is never
// handed a rename onto a placeholder (exfat-fuse dies in it, fusefat drops the file when
// it cannot hide the placeholder a reader holds open): it gets a rename onto a name just
// seen free. The reasons come from the last method tried, and a name the file system
// refuses reads as EINVAL whichever error the driver chose.
class NoReplaceMover : public FolderMover
{
public:
    explicit NoReplaceMover(std::shared_ptr<FolderCalls> calls, MoveMethod first = MoveMethod::RenameNoReplace)
        : m_calls(std::move(calls)), m_method(first)
    {
    }

    int move(const QByteArray &from, const QByteArray &to) override;
    qsizetype moveKeptRun(std::span<const KeptMove> run, int &error) override;
    bool holdsFile(const QByteArray &name) override;
    bool isGone(const QByteArray &name) override;
    qsizetype nameMax() override { return m_calls->nameMax(); }
    FileSystemKind fileSystemKind() override { return m_calls->fileSystemKind(); }
    int writeError() override { return m_calls->writeError(); }
    int clusterEntries() override { return m_calls->clusterEntries(); }
    bool movesDamageFiles() override { return m_calls->movesDamageFiles(); }

private:
    struct Answer
    {
        int error;
        bool tryNextMethod = false;
    };
    [[nodiscard]] int moveFrom(MoveMethod first, const QByteArray &from, const QByteArray &to);
    Answer moveBy(MoveMethod method, const QByteArray &from, const QByteArray &to);
    Answer linkThenUnlink(const QByteArray &from, const QByteArray &to);
    Answer reserveThenRename(const QByteArray &from, const QByteArray &to);
    Answer renameOntoFreeName(const QByteArray &from, const QByteArray &to);
    Answer probeName(const QByteArray &from, const QByteArray &to);
    Answer reserve(const QByteArray &from, const QByteArray &to, EntryStatus &placeholder);
    [[nodiscard]] MoveMethod after(MoveMethod method);
    [[nodiscard]] bool holdsPlaceholder(const QByteArray &name, const EntryStatus &placeholder);
    [[nodiscard]] bool exists(const QByteArray &name);

    std::shared_ptr<FolderCalls> m_calls;
    MoveMethod m_method;
};

} // namespace velmix
