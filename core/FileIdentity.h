#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace velmix {

// What tells one file from another across a rename: a rename keeps all four.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0; // since the epoch
    // How many names the file has where it was looked up; 0 where not known (a journal's).
    quint64 links = 0;

    bool operator==(const FileIdentity &) const = default;

    // The size a folder's identity holds: no file has it, so a folder is never taken for one.
    static constexpr qint64 FolderSize = -1;

    // Whether `seen` is still this file, unchanged. Where the device is another one (a
    // medium mounted again numbers its files anew) size and time decide alone, and so
    // they do without `numbersKept`. Without `timeKept` the time does not count: on FAT,
    // exFAT and NTFS some drivers (fusefat) set it when they rename a file.
    [[nodiscard]] bool sameFileAs(const FileIdentity &seen, bool timeKept, bool numbersKept = true) const
    {
        return size == seen.size && (!timeKept || modifiedNs == seen.modifiedNs)
               && (!numbersKept || device != seen.device || inode == seen.inode);
    }
};

// Looks files up by name inside one folder, and removes what a crash left over.
class FileIdentities
{
public:
    // A large look-up shares its work with the second core, unless the moves it runs
    // ahead of hold that core: a third thread would only take turns with the mover.
    enum class Cores { Both, BesideMoves };

    virtual ~FileIdentities() = default;
    // Per name, what the entry of that name in `folder` is (a link not followed), or
    // nothing where it is neither a plain file nor a folder or cannot be looked up.
    [[nodiscard]] virtual std::vector<std::optional<FileIdentity>>
    identify(const QByteArray &folder, const std::vector<QByteArray> &names, Cores cores) = 0;
    // Removes the entry `name` of `folder` while it is still `expected` (an empty
    // placeholder or a second link a crash left); 0 or the error number.
    virtual int removeIfSame(const QByteArray &folder, const QByteArray &name, const FileIdentity &expected) = 0;
};

} // namespace velmix
