#pragma once

#include <QByteArray>

#include <memory>

namespace velmix {

// Moves files to new names inside one folder, never replacing an existing file.
class FolderMover
{
public:
    virtual ~FolderMover() = default;
    // 0, or the error number; EEXIST when a file of the new name exists. Atomic: no
    // check followed by a rename.
    virtual int move(const QByteArray &from, const QByteArray &to) = 0;
    // Whether both names lead to the same file (a case-insensitive file system).
    [[nodiscard]] virtual bool sameFile(const QByteArray &a, const QByteArray &b) = 0;
    // The longest name the folder's file system takes, in bytes.
    [[nodiscard]] virtual qsizetype nameMax() = 0;
};

class FileMover
{
public:
    virtual ~FileMover() = default;
    // Null with `error` set when the folder cannot be opened.
    virtual std::unique_ptr<FolderMover> openFolder(const QByteArray &folder, int &error) = 0;
};

} // namespace velmix
