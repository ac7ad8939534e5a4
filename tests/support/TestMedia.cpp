#include "TestMedia.h"

#include "FakeFolderCalls.h"
#include "NoReplaceMover.h"
#include "PosixFileMover.h"
#include "RenameFolder.h"

#include <QDir>

#include <algorithm>
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

// The kernel's exfat and vfat drop a trailing dot, and vfat refuses a trailing blank.
bool kernelFatTakes(const QByteArray &name)
{
    return isUtf8(name) && !name.endsWith('.') && !name.endsWith(' ');
}

// msdos keeps 8.3 names only and silently cuts longer ones short.
bool isShortName(const QByteArray &name)
{
    const QList<QByteArray> parts = name.split('.');
    return isAscii(name) && parts.size() <= 2 && !parts[0].isEmpty() && parts[0].size() <= 8
           && (parts.size() == 1 || (!parts[1].isEmpty() && parts[1].size() <= 3)) && !name.endsWith(' ');
}

// Medium name to mount point, from VELMIX_TEST_MEDIA.
QMap<QString, QString> kernelMounts()
{
    QMap<QString, QString> mounts;
    for (const QString &pair : qEnvironmentVariable("VELMIX_TEST_MEDIA").split(u';', Qt::SkipEmptyParts))
        mounts.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    return mounts;
}

// A folder of its own on a mounted or local file system, removed again with everything
// in it, so that a FAT folder never fills up across batches.
class RealFolder : public TestFolder
{
public:
    explicit RealFolder(const QString &path)
        : m_path(QFile::encodeName(path))
    {
        QVERIFY2(::mkdir(m_path.constData(), 0755) == 0, m_path.constData());
    }
    ~RealFolder() override
    {
        for (const QByteArray &name : folderContents(m_path).keys())
            (void)::unlink((m_path + '/' + name).constData());
        (void)::rmdir(m_path.constData());
    }
    void create(const QByteArray &name, const QByteArray &content) override { createFile(m_path, name, content); }
    QMap<QByteArray, QByteArray> contents() override
    {
        QMap<QByteArray, QByteArray> contents = folderContents(m_path);
        // A FUSE driver that is told of a close only later hides a replaced placeholder
        // under such a name until then; an empty one is nothing lost.
        contents.removeIf([](const auto &entry) { return entry.key().startsWith(".fuse_hidden") && entry.value().isEmpty(); });
        return contents;
    }
    std::unique_ptr<FolderMover> mover() override
    {
        int error = 0;
        return PosixFileMover().openFolder(m_path, error);
    }
    FolderRules rules(const NameColumn &listed) override { return readFolderRules(QFile::decodeName(m_path), listed); }

private:
    const QByteArray m_path;
};

class FakeFolder : public TestFolder
{
public:
    explicit FakeFolder(FakeFolderCalls::Driver driver)
        : m_calls(std::make_shared<FakeFolderCalls>(driver))
    {
    }
    void create(const QByteArray &name, const QByteArray &content) override { m_calls->addFile(name, content); }
    QMap<QByteArray, QByteArray> contents() override { return m_calls->contents(); }
    std::unique_ptr<FolderMover> mover() override { return std::make_unique<NoReplaceMover>(m_calls); }
    FolderRules rules(const NameColumn &) override
    {
        return {mover()->nameMax(), m_calls->ignoresCase(), FolderRules::Driver::KernelVfat};
    }

private:
    std::shared_ptr<FakeFolderCalls> m_calls;
};

// Under the build folder, where the unmount-test-media cleanup looks.
QString mediaRoot()
{
    const QString root = QStringLiteral(VELMIX_TEST_MEDIA_ROOT);
    QDir().mkpath(root);
    return root;
}

} // namespace

const QStringList TestMedia::Names =
    kernelMounts().isEmpty() ? QStringList{u"local"_s, u"exFAT"_s, u"FAT"_s, u"NTFS"_s, u"vfat stand-in"_s}
                             : kernelMounts().keys();

TestMedia::TestMedia()
{
    const QMap<QString, QString> mounts = kernelMounts();
    for (auto mount = mounts.begin(); mount != mounts.end(); ++mount) {
        const bool msdos = mount.key().endsWith(u"msdos");
        m_media[mount.key()] = {mount.key(), true, msdos, u"q?.jpg"_s, msdos ? isShortName : kernelFatTakes, {}, {},
                                folders([path = mount.value()] { return path; })};
    }
    if (!mounts.isEmpty())
        return;
    auto anyName = [](const QByteArray &) { return true; };
    m_media[u"local"_s] = {u"local"_s, false, false, {}, anyName, {}, {}, folders([this] { return m_localRoot.path(); })};
    m_media[u"exFAT"_s] = {u"exFAT"_s, true, false, u"x:y.jpg"_s, isUtf8, {}, {}, imageFolders(u"exFAT"_s)};
    m_media[u"FAT"_s] = {u"FAT"_s, true, false, u"q?.jpg"_s, isAscii, {}, {}, imageFolders(u"FAT"_s)};
    m_media[u"NTFS"_s] = {u"NTFS"_s, false, false, u"caf"_s + QChar(0xDCE9) + u".jpg"_s, isUtf8, {}, {}, imageFolders(u"NTFS"_s)};
    m_media[u"vfat stand-in"_s] = {u"vfat stand-in"_s, true, false, u"a side "_s,
                                 [](const QByteArray &name) { return isUtf8(name) && !name.endsWith(' '); }, {}, {},
                                 [] { return std::make_unique<FakeFolder>(FakeFolderCalls::Driver::KernelVfat); }};
}

TestMedia::~TestMedia() = default;

QMap<QByteArray, QByteArray> TestMedia::asListed(const Medium &medium, QMap<QByteArray, QByteArray> contents)
{
    if (!medium.listsLowerCase)
        return contents;
    QMap<QByteArray, QByteArray> listed;
    for (auto entry = contents.begin(); entry != contents.end(); ++entry)
        listed.insert(entry.key().toLower(), entry.value());
    return listed;
}

Medium &TestMedia::medium(const QString &name)
{
    static const std::map<QString, MountedImage::FileSystem> fileSystems{
        {u"exFAT"_s, MountedImage::FileSystem::ExFat}, {u"FAT"_s, MountedImage::FileSystem::Fat},
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
        return std::make_unique<RealFolder>(root() + u"/folder"_s + QString::number(++count));
    };
}

std::function<std::unique_ptr<TestFolder>()> TestMedia::imageFolders(const QString &name)
{
    return folders([this, name] { return m_images.at(name)->mountPoint(); });
}

} // namespace velmix::test
