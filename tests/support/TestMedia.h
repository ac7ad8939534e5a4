#pragma once

#include "FileMover.h"
#include "MountedImage.h"
#include "RenameFolder.h"
#include "listing/FolderRules.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <map>
#include <memory>

namespace velmix::test {

// Where images are mounted: under the build folder, where the unmount-test-media
// cleanup looks.
[[nodiscard]] QString mediaRoot();

// A fresh empty folder of its own on a medium, removed again with everything in it, so
// that a FAT folder never fills up across batches; or a medium's root folder, emptied.
class TestFolder
{
public:
    explicit TestFolder(const QString &path, bool root = false);
    ~TestFolder();
    void create(const QByteArray &name, const QByteArray &content) { createFile(m_path, name, content); }
    [[nodiscard]] QString path() const { return QFile::decodeName(m_path); }
    // The name of every entry to its content.
    [[nodiscard]] QMap<QByteArray, QByteArray> contents() const;
    [[nodiscard]] std::unique_ptr<FolderMover> mover() const;

private:
    const QByteArray m_path;
    const bool m_root;
};

// A file system the rename step is tried on, with what a test needs to know of it.
struct Medium
{
    QString name;
    bool ignoresCase = false;
    // Whether it lists every name in lower case, whatever case it was given in (msdos).
    bool listsLowerCase = false;
    // A name its file system refuses, empty where it refuses none that the planner lets by.
    QString refusedName;
    // Whether its file system takes the name (the randomized batches draw only such names).
    std::function<bool(const QByteArray &)> takes;
    // Why it cannot be tried here (skipped), or what went wrong in setting it up (failed).
    QString skipReason;
    QString failure;
    std::function<std::unique_ptr<TestFolder>()> newFolder;
};

// The media every rename test runs on: this machine's temporary folder, and exFAT,
// FAT16, FAT32 and NTFS images mounted through FUSE (exfat-fuse, fusefat, ntfs-3g) on first use and
// unmounted with this. Where VELMIX_TEST_MEDIA names folders already mounted with the
// kernel's own drivers ("kernel vfat=/tmp/vfat;kernel msdos=/tmp/msdos", as in the
// virtual machine of tests/kernel), the tests run on those alone.
class TestMedia
{
public:
    static const QStringList Names;
    // A folder's listing as this medium shows names written as in `contents`.
    static QMap<QByteArray, QByteArray> asListed(const Medium &medium, const QMap<QByteArray, QByteArray> &contents);

    TestMedia();
    ~TestMedia();
    [[nodiscard]] Medium &medium(const QString &name);

private:
    std::function<std::unique_ptr<TestFolder>()> folders(std::function<QString()> root);
    std::function<std::unique_ptr<TestFolder>()> imageFolders(const QString &name);
    std::function<std::unique_ptr<TestFolder>()> imageRoot(const QString &name);

    QTemporaryDir m_localRoot;
    std::map<QString, Medium> m_media;
    std::map<QString, std::unique_ptr<MountedImage>> m_images;
};

} // namespace velmix::test
