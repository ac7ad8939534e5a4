#pragma once

#include "FileMover.h"
#include "FolderRules.h"
#include "MountedImage.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <map>
#include <memory>

namespace velmix::test {

// A fresh empty folder on some medium, real or in memory, to rename in.
class TestFolder
{
public:
    virtual ~TestFolder() = default;
    virtual void create(const QByteArray &name, const QByteArray &content) = 0;
    // The name of every entry to its content.
    [[nodiscard]] virtual QMap<QByteArray, QByteArray> contents() = 0;
    [[nodiscard]] virtual std::unique_ptr<FolderMover> mover() = 0;
    // What the grid would judge new names by, read as a listing of `listed` reads it.
    [[nodiscard]] virtual FolderRules rules(const NameColumn &listed) = 0;
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

// The media every rename test runs on: this machine's temporary folder; exFAT, FAT and
// NTFS images mounted through FUSE (exfat-fuse, fusefat, ntfs-3g); and, in memory, a
// stand-in for the kernel's own vfat driver. Images are mounted on first use and
// unmounted with this. Where VELMIX_TEST_MEDIA names folders already mounted with the
// kernel's drivers ("kernel vfat=/tmp/vfat;kernel msdos=/tmp/msdos", as in the virtual
// machine of tests/kernel), the tests run on those alone.
class TestMedia
{
public:
    static const QStringList Names;
    // A folder's listing as this medium shows names written as in `contents`.
    static QMap<QByteArray, QByteArray> asListed(const Medium &medium, QMap<QByteArray, QByteArray> contents);

    TestMedia();
    ~TestMedia();
    [[nodiscard]] Medium &medium(const QString &name);

private:
    std::function<std::unique_ptr<TestFolder>()> folders(std::function<QString()> root);
    std::function<std::unique_ptr<TestFolder>()> imageFolders(const QString &name);

    QTemporaryDir m_localRoot;
    std::map<QString, Medium> m_media;
    std::map<QString, std::unique_ptr<MountedImage>> m_images;
};

} // namespace velmix::test
