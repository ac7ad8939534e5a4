#pragma once

#include "posix/FolderCalls.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>

#include <functional>

namespace velmix::test {

// One folder in memory behind the system-call interface, answering as a chosen file
// system driver does, including drivers that cannot be mounted where the tests run.
// Chosen calls can be made to fail, or to change the folder first (a racing writer).
class FakeFolderCalls : public FolderCalls
{
public:
    enum class Driver {
        Ext4,        // every call works; letter case matters
        KernelVfat,  // RENAME_NOREPLACE works, no hard links, case ignored
        ExfatFuse,   // EINVAL for RENAME_NOREPLACE, EPERM for links, case ignored; ENOENT
                     // for FAT's refused names, EILSEQ for names that are not UTF-8; each
                     // spelling of a name shows its own inode number
        Fusefat,     // as exfat-fuse, but EPERM for refused names and for any byte outside
                     // ASCII, and a plain rename to a refused name deletes the file
        Ntfs3g,      // EINVAL for RENAME_NOREPLACE, links work, case matters, EILSEQ for
                     // names that are not UTF-8
        OldKernel,   // a kernel driver without RENAME_NOREPLACE and without links
    };
    enum class Call { RenameNoReplace, Link, Unlink, Rename, CreateExclusive, Status };

    explicit FakeFolderCalls(Driver driver = Driver::Ext4)
        : m_driver(driver)
    {
    }

    // Runs before every call with the call and its names (`to` empty for a call of one
    // name); a non-zero answer fails the call with that error number.
    std::function<int(Call call, const QByteArray &name, const QByteArray &to)> before;
    // Every call made, in order.
    QList<Call> calls;
    // Plain renames onto a name this folder's own exclusive create had not just made, and
    // onto a placeholder through FUSE.
    int unreservedRenames = 0;
    int placeholderRenamesViaFuse = 0;
    // What clusterEntries() answers.
    int clusterEntriesShown = 0;
    // What movesDamageFiles() answers.
    bool movesDamageFilesShown = false;

    [[nodiscard]] bool ignoresCase() const;
    void addFile(const QByteArray &name, const QByteArray &content);
    void addFolder(const QByteArray &name);
    // Writes into an existing file, as another program would.
    void write(const QByteArray &name, const QByteArray &content);
    // The name of every entry as stored, to its content.
    [[nodiscard]] QMap<QByteArray, QByteArray> contents() const;

    int renameNoReplace(const QByteArray &from, const QByteArray &to) override;
    int link(const QByteArray &from, const QByteArray &to) override;
    int unlink(const QByteArray &name) override;
    int rename(const QByteArray &from, const QByteArray &to) override;
    int createExclusive(const QByteArray &name, EntryStatus &created) override;
    int status(const QByteArray &name, EntryStatus &status) override;
    bool viaFuse() override { return isFuse(); }
    qsizetype nameMax() override { return 255; }
    FileSystemKind fileSystemKind() override;
    int writeError() override { return 0; }
    int clusterEntries() override { return clusterEntriesShown; }
    bool movesDamageFiles() override { return movesDamageFilesShown; }

private:
    struct Entry
    {
        QByteArray spelling; // the name as stored
        int file;            // several entries share a file after a link
    };
    struct File
    {
        QByteArray content;
        bool folder = false;
    };

    [[nodiscard]] QByteArray key(const QByteArray &name) const;
    [[nodiscard]] bool isFuse() const;
    // The error the driver gives for a name it refuses, or 0.
    [[nodiscard]] int refusal(const QByteArray &name) const;
    [[nodiscard]] EntryStatus statusOf(const QByteArray &name) const;
    int intercept(Call call, const QByteArray &name, const QByteArray &to = {});
    void addEntry(const QByteArray &name, const File &file);
    void removeEntry(const QByteArray &name);
    void renameEntry(const QByteArray &from, const QByteArray &to);

    const Driver m_driver;
    QHash<QByteArray, Entry> m_entries; // by key
    QHash<int, File> m_files;
    QSet<QByteArray> m_reserved;
    int m_nextFile = 1;
};

} // namespace velmix::test
