#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

namespace velmix::test {

// A file system built in an image file and mounted through FUSE for the length of a
// test, as a camera card, a USB stick or a Windows drive would be. Whatever is mounted
// is unmounted again (and its loop device freed) when this goes, a failed test included;
// a test killed outright leaves it to the unmount-test-media cleanup.
class MountedImage
{
public:
    enum class FileSystem { ExFat, Fat, Fat32, Ntfs }; // Fat: FAT16

    // Builds and mounts the image in a fresh folder under `root`; a FAT image's root
    // folder holds `fatRootEntries` entries (512 is FAT16's own default).
    MountedImage(FileSystem fileSystem, const QString &root, int fatRootEntries = 512);
    // A fresh medium holding what `pattern` holds, in a fresh folder under `root`, far
    // quicker than making the same files again through a slow driver: the pattern is
    // unmounted and its image copied (it stays unmounted).
    MountedImage(MountedImage &pattern, const QString &root);
    ~MountedImage();
    MountedImage(const MountedImage &) = delete;
    MountedImage &operator=(const MountedImage &) = delete;

    // Why this machine cannot mount it (no /dev/fuse, no loop device, a tool missing);
    // empty otherwise.
    [[nodiscard]] const QString &skipReason() const { return m_skipReason; }
    // What went wrong while building or mounting it; empty when it is mounted.
    [[nodiscard]] const QString &failure() const { return m_failure; }
    [[nodiscard]] QString mountPoint() const { return m_folder.filePath(QStringLiteral("mnt")); }
    // Unmounts it and mounts the same image again, as a user does after the driver's
    // daemon died: the files are numbered anew and nothing read before is cached. False
    // (with failure() saying why) when the second mount fails.
    bool remount();
    // Puts a folder of these files (name to content) into a FAT image's root with mtools,
    // past the FUSE driver, which takes milliseconds to a tenth of a second per file: for
    // the tests whose files are only where they start. It is unmounted meanwhile. False
    // with skipReason() or failure() saying why.
    bool writeFolder(const QByteArray &name, const QMap<QByteArray, QByteArray> &files);

private:
    bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);
    bool hasTool(const QString &program);
    void mount(FileSystem fileSystem, int fatRootEntries);
    bool attachLoopDevice();
    void attach();
    void unmount();

    QTemporaryDir m_folder;
    FileSystem m_fileSystem = FileSystem::ExFat;
    QString m_loopDevice;
    QString m_skipReason;
    QString m_failure;
    bool m_mounted = false;
};

} // namespace velmix::test
