#pragma once

#include "posix/FolderCalls.h"
#include "posix/OpenSubfolders.h"

#include <optional>

namespace velmix {

// The real system calls, on a folder opened once; a name may be a path below it, whose
// folders are opened once too (see OpenSubfolders).
class PosixFolderCalls : public FolderCalls
{
public:
    // Takes over `folderFd` and closes it at the end.
    explicit PosixFolderCalls(int folderFd)
        : m_folderFd(folderFd)
    {
    }
    ~PosixFolderCalls() override;
    PosixFolderCalls(const PosixFolderCalls &) = delete;
    PosixFolderCalls &operator=(const PosixFolderCalls &) = delete;

    int renameNoReplace(const QByteArray &from, const QByteArray &to) override;
    qsizetype renameNoReplaceRun(std::span<const KeptMove> run, int &error) override;
    int link(const QByteArray &from, const QByteArray &to) override;
    int unlink(const QByteArray &name) override;
    int rename(const QByteArray &from, const QByteArray &to) override;
    int createExclusive(const QByteArray &name, EntryStatus &created) override;
    int status(const QByteArray &name, EntryStatus &status) override;
    bool viaFuse() override;
    qsizetype nameMax() override;
    FileSystemKind fileSystemKind() override;
    int writeError() override;
    int clusterEntries() override;
    bool movesDamageFiles() override;

private:
    [[nodiscard]] int moved(const QByteArray &path, const OpenSubfolders::Place &where, int error);

    const int m_folderFd;
    OpenSubfolders m_subfolders{m_folderFd};
    std::optional<FileSystemKind> m_kind;
};

} // namespace velmix
