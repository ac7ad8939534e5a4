#pragma once

#include "FileMover.h"
#include "posix/NoReplaceMover.h"

namespace velmix {

// Opens folders for moves that never replace a file, trying the methods of
// NoReplaceMover from `first` on.
class PosixFileMover : public FileMover
{
public:
    using Method = MoveMethod;
    explicit PosixFileMover(Method first = Method::RenameNoReplace)
        : m_first(first)
    {
    }

    std::unique_ptr<FolderMover> openFolder(const QByteArray &folder, int &error) override;

private:
    Method m_first;
};

} // namespace velmix
