#pragma once

#include "FileMover.h"

namespace velmix {

// Moves with renameat2(RENAME_NOREPLACE) inside an open folder; where the file system
// refuses that flag, with link then unlink, which is just as unable to replace a file.
class PosixFileMover : public FileMover
{
public:
    enum class Method { RenameNoReplace, LinkThenUnlink };
    explicit PosixFileMover(Method method = Method::RenameNoReplace)
        : m_method(method)
    {
    }

    std::unique_ptr<FolderMover> openFolder(const QByteArray &folder, int &error) override;

private:
    Method m_method;
};

} // namespace velmix
