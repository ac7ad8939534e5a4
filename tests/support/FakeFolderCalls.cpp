#include "FakeFolderCalls.h"

#include "text/FileNameCodec.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace velmix::test {
namespace {

bool isUtf8(const QByteArray &name)
{
    return QString::fromUtf8(name).toUtf8() == name;
}

// The characters every FAT driver refuses.
bool fatRefuses(const QByteArray &name)
{
    return std::any_of(name.begin(), name.end(),
                       [](char c) { return uchar(c) < 0x20 || QByteArrayView("*?<>|\":\\").contains(c); });
}

} // namespace

bool FakeFolderCalls::ignoresCase() const
{
    return m_driver == Driver::KernelVfat || m_driver == Driver::ExfatFuse || m_driver == Driver::Fusefat;
}

FileSystemKind FakeFolderCalls::fileSystemKind()
{
    return m_driver == Driver::Ext4 ? FileSystemKind::Other
           : m_driver == Driver::Fusefat ? FileSystemKind::FuseFat
                                         : FileSystemKind::Windows;
}

bool FakeFolderCalls::isFuse() const
{
    return m_driver == Driver::ExfatFuse || m_driver == Driver::Fusefat || m_driver == Driver::Ntfs3g;
}

QByteArray FakeFolderCalls::key(const QByteArray &name) const
{
    return ignoresCase() ? FileNameCodec::encode(FileNameCodec::decode(name).toCaseFolded()).value_or(name) : name;
}

int FakeFolderCalls::refusal(const QByteArray &name) const
{
    switch (m_driver) {
    case Driver::Ext4:
    case Driver::OldKernel:
    case Driver::KernelVfat: // its refusals are tried on the real driver (tests/kernel)
        return 0;
    case Driver::ExfatFuse:
        return !isUtf8(name) ? EILSEQ : fatRefuses(name) ? ENOENT : 0;
    case Driver::Fusefat:
        return fatRefuses(name) || std::any_of(name.begin(), name.end(), [](char c) { return uchar(c) >= 0x80; }) ? EPERM : 0;
    case Driver::Ntfs3g:
        return !isUtf8(name) ? EILSEQ : 0;
    }
    return 0;
}

int FakeFolderCalls::intercept(Call call, const QByteArray &name, const QByteArray &to)
{
    calls.append(call);
    return before ? before(call, name, to) : 0;
}

void FakeFolderCalls::addFile(const QByteArray &name, const QByteArray &content)
{
    addEntry(name, {content});
}

void FakeFolderCalls::addFolder(const QByteArray &name)
{
    addEntry(name, {{}, true});
}

void FakeFolderCalls::write(const QByteArray &name, const QByteArray &content)
{
    m_files[m_entries.value(key(name)).file].content = content;
}

QMap<QByteArray, QByteArray> FakeFolderCalls::contents() const
{
    QMap<QByteArray, QByteArray> result;
    for (const Entry &entry : m_entries)
        result.insert(entry.spelling, m_files.value(entry.file).content);
    return result;
}

void FakeFolderCalls::addEntry(const QByteArray &name, const File &file)
{
    m_files.insert(m_nextFile, file);
    m_entries.insert(key(name), {name, m_nextFile++});
}

void FakeFolderCalls::removeEntry(const QByteArray &name)
{
    m_reserved.remove(name);
    const Entry entry = m_entries.take(key(name));
    bool linked = false;
    for (const Entry &other : std::as_const(m_entries))
        linked = linked || other.file == entry.file;
    if (!linked)
        m_files.remove(entry.file);
}

void FakeFolderCalls::renameEntry(const QByteArray &from, const QByteArray &to)
{
    m_reserved.remove(from);
    m_reserved.remove(to);
    const int file = m_entries.take(key(from)).file;
    m_entries.insert(key(to), {to, file});
}

int FakeFolderCalls::renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (const int error = intercept(Call::RenameNoReplace, from, to))
        return error;
    if (isFuse() || m_driver == Driver::OldKernel)
        return EINVAL; // FUSE takes no rename flags from these drivers
    if (!m_entries.contains(key(from)))
        return ENOENT;
    if (m_entries.contains(key(to)))
        return EEXIST; // a change of case alone included, as the kernel's own check does
    if (const int error = refusal(to))
        return error;
    renameEntry(from, to);
    return 0;
}

int FakeFolderCalls::link(const QByteArray &from, const QByteArray &to)
{
    if (const int error = intercept(Call::Link, from, to))
        return error;
    if (m_driver != Driver::Ext4 && m_driver != Driver::Ntfs3g)
        return EPERM;
    if (!m_entries.contains(key(from)))
        return ENOENT;
    if (m_entries.contains(key(to)))
        return EEXIST;
    if (const int error = refusal(to))
        return error;
    m_entries.insert(key(to), {to, m_entries.value(key(from)).file});
    return 0;
}

int FakeFolderCalls::unlink(const QByteArray &name)
{
    if (const int error = intercept(Call::Unlink, name))
        return error;
    if (!m_entries.contains(key(name)))
        return ENOENT;
    if (m_files.value(m_entries.value(key(name)).file).folder)
        return EISDIR;
    removeEntry(name);
    return 0;
}

int FakeFolderCalls::rename(const QByteArray &from, const QByteArray &to)
{
    if (const int error = intercept(Call::Rename, from, to))
        return error;
    unreservedRenames += !m_reserved.contains(to);
    placeholderRenamesViaFuse += isFuse() && m_reserved.contains(to);
    if (!m_entries.contains(key(from)))
        return ENOENT;
    if (const int error = refusal(to)) {
        if (m_driver == Driver::Fusefat)
            removeEntry(from); // the driver's own fault: the file is gone
        return error;
    }
    const auto target = m_entries.constFind(key(to));
    if (target != m_entries.constEnd() && m_files.value(target->file).folder)
        return EISDIR;
    if (target != m_entries.constEnd() && target->file != m_entries.value(key(from)).file)
        removeEntry(to);
    renameEntry(from, to);
    return 0;
}

int FakeFolderCalls::createExclusive(const QByteArray &name, EntryStatus &created)
{
    if (const int error = intercept(Call::CreateExclusive, name))
        return error;
    if (m_entries.contains(key(name)))
        return EEXIST;
    if (const int error = refusal(name))
        return error;
    addFile(name, {});
    m_reserved.insert(name);
    created = statusOf(name);
    return 0;
}

int FakeFolderCalls::status(const QByteArray &name, EntryStatus &status)
{
    if (const int error = intercept(Call::Status, name))
        return error;
    if (!m_entries.contains(key(name)))
        return ENOENT;
    status = statusOf(name);
    return 0;
}

EntryStatus FakeFolderCalls::statusOf(const QByteArray &name) const
{
    const Entry entry = m_entries.value(key(name));
    const File file = m_files.value(entry.file);
    // exfat-fuse and fusefat give every spelling its own inode number.
    const bool otherSpelling = isFuse() && ignoresCase() && entry.spelling != name;
    return {1, ino_t(entry.file * 2 + otherSpelling), mode_t(file.folder ? S_IFDIR : S_IFREG), off_t(file.content.size())};
}

} // namespace velmix::test
