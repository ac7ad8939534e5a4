#include "TestMedia.h"

#include "RenameFolder.h"
#include "posix/PosixFileMover.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace velmix::test {
namespace {

bool isUtf8(const QByteArray &name)
{
    return QString::fromUtf8(name).toUtf8() == name;
}

bool isAscii(const QByteArray &name)
{
    return std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; });
}

// What the kernel's drivers take as it is: exfat and vfat drop a trailing dot, vfat
// refuses a trailing blank, and msdos cuts any name longer than 8.3 short.
bool kernelTakes(const QByteArray &name, bool msdos)
{
    static const QRegularExpression shortName(u"^\\w{1,8}(\\.\\w{1,3})?$"_s);
    return msdos ? isAscii(name) && shortName.match(QString::fromLatin1(name)).hasMatch()
                 : isUtf8(name) && !name.endsWith('.') && !name.endsWith(' ');
}

// Medium name to mount point, from VELMIX_TEST_MEDIA.
QMap<QString, QString> kernelMounts()
{
    QMap<QString, QString> mounts;
    for (const QString &pair : qEnvironmentVariable("VELMIX_TEST_MEDIA").split(u';', Qt::SkipEmptyParts))
        mounts.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    return mounts;
}

// The names in a folder, without opening any.
QList<QByteArray> entryNames(const QByteArray &folder)
{
    QList<QByteArray> names;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.append(entry->d_name);
        }
        ::closedir(dir);
    }
    return names;
}

// An entry of a test's folder removed, a subfolder (a tree's) with all it holds.
void removeEntry(const QByteArray &path)
{
    struct stat status = {};
    if (::lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        (void)::unlink(path.constData());
        return;
    }
    for (const QByteArray &name : entryNames(path))
        removeEntry(path + '/' + name);
    (void)::rmdir(path.constData());
}

} // namespace

QString mediaRoot()
{
    const QString root = QStringLiteral(VELMIX_TEST_MEDIA_ROOT);
    QDir().mkpath(root);
    return root;
}

TestFolder::TestFolder(const QString &path, bool root)
    : m_path(QFile::encodeName(path))
    , m_root(root)
{
    if (!root) {
        QVERIFY2(::mkdir(m_path.constData(), 0755) == 0, m_path.constData());
        return;
    }
    const QList<QByteArray> left = entryNames(m_path);
    QVERIFY2(left.isEmpty(), left.join('|').constData());
}

// A FUSE driver hears of a close only after close() returns, and hides a file removed in
// between under ".fuse_hidden…" until it does: the folder is emptied until it stays so.
TestFolder::~TestFolder()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (QList<QByteArray> names = entryNames(m_path); !names.isEmpty();) {
        for (const QByteArray &name : names)
            removeEntry(m_path + '/' + name);
        if ((names = entryNames(m_path)).isEmpty() || std::chrono::steady_clock::now() > deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!m_root)
        (void)::rmdir(m_path.constData());
}

QMap<QByteArray, QByteArray> TestFolder::contents() const
{
    QMap<QByteArray, QByteArray> contents = folderContents(m_path);
    // A FUSE driver that is told of a close only later hides a replaced placeholder
    // under such a name until then; an empty one is nothing lost.
    contents.removeIf([](const auto &entry) { return entry.key().startsWith(".fuse_hidden") && entry.value().isEmpty(); });
    return contents;
}

std::unique_ptr<FolderMover> TestFolder::mover() const
{
    int error = 0;
    return PosixFileMover().openFolder(m_path, error);
}

const QStringList TestMedia::Names =
    kernelMounts().isEmpty() ? QStringList{u"local"_s, u"exFAT"_s, u"FAT"_s, u"FAT32"_s, u"NTFS"_s}
                             : kernelMounts().keys();

TestMedia::TestMedia()
{
    const QMap<QString, QString> mounts = kernelMounts();
    for (auto mount = mounts.begin(); mount != mounts.end(); ++mount) {
        const bool msdos = mount.key().endsWith(u"msdos");
        m_media[mount.key()] = {mount.key(), true, msdos, {},
                                [msdos](const QByteArray &name) { return kernelTakes(name, msdos); }, {}, {},
                                folders([path = mount.value()] { return path; })};
    }
    if (!mounts.isEmpty())
        return;
    auto anyName = [](const QByteArray &) { return true; };
    m_media[u"local"_s] = {u"local"_s, false, false, {}, anyName, {}, {}, folders([this] { return m_localRoot.path(); })};
    m_media[u"exFAT"_s] = {u"exFAT"_s, true, false, u"caf"_s + QChar(0xDCE9) + u".jpg"_s, isUtf8, {}, {}, imageFolders(u"exFAT"_s)};
    // fusefat refuses some names of 200 characters in a FAT32 folder of long names; the
    // batches keep below. It moves no file in a subfolder of FAT16, whose root folder,
    // outside the clusters, the FAT16 rows use.
    auto fatTakes = [](const QByteArray &name) { return isAscii(name) && name.size() < 200; };
    m_media[u"FAT"_s] = {u"FAT"_s, true, false, u"caf\u00E9.jpg"_s, fatTakes, {}, {}, imageRoot(u"FAT"_s)};
    m_media[u"FAT32"_s] = {u"FAT32"_s, true, false, u"caf\u00E9.jpg"_s, fatTakes, {}, {}, imageFolders(u"FAT32"_s)};
    m_media[u"NTFS"_s] = {u"NTFS"_s, false, false, u"caf"_s + QChar(0xDCE9) + u".jpg"_s, isUtf8, {}, {}, imageFolders(u"NTFS"_s)};
}

TestMedia::~TestMedia() = default;

QMap<QByteArray, QByteArray> TestMedia::asListed(const Medium &medium, const QMap<QByteArray, QByteArray> &contents)
{
    QMap<QByteArray, QByteArray> listed;
    for (auto entry = contents.begin(); entry != contents.end(); ++entry)
        listed.insert(medium.listsLowerCase ? entry.key().toLower() : entry.key(), entry.value());
    return listed;
}

Medium &TestMedia::medium(const QString &name)
{
    static const std::map<QString, MountedImage::FileSystem> fileSystems{
        {u"exFAT"_s, MountedImage::FileSystem::ExFat}, {u"FAT"_s, MountedImage::FileSystem::Fat}, {u"FAT32"_s, MountedImage::FileSystem::Fat32},
        {u"NTFS"_s, MountedImage::FileSystem::Ntfs}};
    Medium &medium = m_media.at(name);
    if (const auto fileSystem = fileSystems.find(name); fileSystem != fileSystems.end() && !m_images.count(name)) {
        const auto &image = m_images[name] = std::make_unique<MountedImage>(fileSystem->second, mediaRoot());
        medium.skipReason = image->skipReason();
        medium.failure = image->failure();
    }
    return medium;
}

std::function<std::unique_ptr<TestFolder>()> TestMedia::folders(std::function<QString()> root)
{
    return [root = std::move(root), count = 0]() mutable -> std::unique_ptr<TestFolder> {
        return std::make_unique<TestFolder>(root() + u"/folder"_s + QString::number(++count));
    };
}

std::function<std::unique_ptr<TestFolder>()> TestMedia::imageFolders(const QString &name)
{
    return folders([this, name] { return m_images.at(name)->mountPoint(); });
}

std::function<std::unique_ptr<TestFolder>()> TestMedia::imageRoot(const QString &name)
{
    return [this, name] { return std::make_unique<TestFolder>(m_images.at(name)->mountPoint(), true); };
}

} // namespace velmix::test
