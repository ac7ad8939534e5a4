#include "MountedImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace velmix::test {
namespace {

constexpr qint64 ImageBytes = 32 << 20;
const QStringList ToolFolders{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin"),
                              QStringLiteral("/bin")};

bool isMountPoint(const QString &path)
{
    struct stat point, parent;
    return ::stat(QFile::encodeName(path).constData(), &point) == 0
           && ::stat(QFile::encodeName(path + QStringLiteral("/..")).constData(), &parent) == 0
           && point.st_dev != parent.st_dev;
}

} // namespace

MountedImage::MountedImage(FileSystem fileSystem, const QString &root, int fatRootEntries)
    : m_folder(QDir(root).filePath(QStringLiteral("image-XXXXXX")))
{
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse")))
        m_skipReason = QStringLiteral("/dev/fuse is missing, so no FUSE file system can be mounted");
    else if (!m_folder.isValid() || !QDir(m_folder.path()).mkdir(QStringLiteral("mnt")))
        m_failure = QStringLiteral("cannot make a folder under ") + root;
    else
        mount(fileSystem, fatRootEntries);
}

void MountedImage::mount(FileSystem fileSystem, int fatRootEntries)
{
    const QString image = m_folder.filePath(QStringLiteral("image"));
    QFile file(image);
    // FAT32 needs more clusters than 32 MiB give; the file is sparse.
    if (!file.open(QIODevice::WriteOnly) || !file.resize(fileSystem == FileSystem::Fat32 ? 2 * ImageBytes : ImageBytes)) {
        m_failure = QStringLiteral("cannot make the image file ") + image;
        return;
    }
    file.close();
    m_fileSystem = fileSystem;
    switch (fileSystem) {
    case FileSystem::ExFat:
        if (!hasTool(QStringLiteral("mkfs.exfat")) || !hasTool(QStringLiteral("mount.exfat-fuse"))
            || !hasTool(QStringLiteral("losetup")) || !run(QStringLiteral("mkfs.exfat"), {image}) || !attachLoopDevice())
            return;
        break;
    case FileSystem::Fat:
    case FileSystem::Fat32:
        if (!hasTool(QStringLiteral("mkfs.vfat")) || !hasTool(QStringLiteral("fusefat"))
            || !run(QStringLiteral("mkfs.vfat"),
                    fileSystem == FileSystem::Fat32
                        ? QStringList{QStringLiteral("-F"), QStringLiteral("32"), image}
                        : QStringList{QStringLiteral("-r"), QString::number(fatRootEntries), QStringLiteral("-F"),
                                      QStringLiteral("16"), image}))
            return;
        break;
    case FileSystem::Ntfs:
        if (!hasTool(QStringLiteral("mkntfs")) || !hasTool(QStringLiteral("ntfs-3g"))
            || !run(QStringLiteral("mkntfs"), {QStringLiteral("-F"), QStringLiteral("-Q"), QStringLiteral("-q"), image}))
            return;
        break;
    }
    attach();
}

MountedImage::MountedImage(MountedImage &pattern, const QString &root)
    : m_folder(QDir(root).filePath(QStringLiteral("image-XXXXXX")))
{
    m_skipReason = pattern.m_skipReason;
    if (!m_skipReason.isEmpty() || !pattern.m_failure.isEmpty()) {
        m_failure = pattern.m_failure;
        return;
    }
    if (!m_folder.isValid() || !QDir(m_folder.path()).mkdir(QStringLiteral("mnt"))) {
        m_failure = QStringLiteral("cannot make a folder under ") + root;
        return;
    }
    m_fileSystem = pattern.m_fileSystem;
    pattern.unmount(); // so that every file it holds is written out
    if (run(QStringLiteral("cp"), {QStringLiteral("--sparse=always"), pattern.m_folder.filePath(QStringLiteral("image")),
                                   m_folder.filePath(QStringLiteral("image"))})
        && (m_fileSystem != FileSystem::ExFat || attachLoopDevice()))
        attach();
}

bool MountedImage::attachLoopDevice()
{
    if (!QFileInfo::exists(QStringLiteral("/dev/loop-control"))
        || !run(QStringLiteral("losetup"), {QStringLiteral("-f"), QStringLiteral("--show"), m_folder.filePath(QStringLiteral("image"))},
                &m_loopDevice)) {
        m_skipReason = QStringLiteral("no loop device to mount the exFAT image from: ") + m_failure;
        m_failure.clear();
        return false;
    }
    m_loopDevice = m_loopDevice.trimmed();
    return true;
}

// Mounts the image built (or the loop device over it) at the mount point.
void MountedImage::attach()
{
    const QString image = m_folder.filePath(QStringLiteral("image"));
    switch (m_fileSystem) {
    case FileSystem::ExFat:
        m_mounted = run(QStringLiteral("mount.exfat-fuse"), {m_loopDevice, mountPoint()});
        break;
    case FileSystem::Fat:
    case FileSystem::Fat32:
        m_mounted = run(QStringLiteral("fusefat"), {QStringLiteral("-o"), QStringLiteral("rw+"), image, mountPoint()});
        break;
    case FileSystem::Ntfs:
        m_mounted = run(QStringLiteral("ntfs-3g"), {image, mountPoint()});
        break;
    }
    if (m_mounted && !isMountPoint(mountPoint()))
        m_failure = QStringLiteral("the mount command returned, but nothing is mounted at ") + mountPoint();
}

bool MountedImage::remount()
{
    unmount();
    m_failure.clear();
    attach();
    return m_failure.isEmpty();
}

bool MountedImage::writeFolder(const QByteArray &name, const QMap<QByteArray, QByteArray> &files)
{
    if (m_fileSystem != FileSystem::Fat && m_fileSystem != FileSystem::Fat32) {
        m_failure = QStringLiteral("only a FAT image takes files through mtools");
        return false;
    }
    if (!hasTool(QStringLiteral("mcopy")))
        return false;
    const QTemporaryDir staged;
    const QString folder = staged.filePath(QFile::decodeName(name));
    if (!staged.isValid() || !QDir().mkdir(folder)) {
        m_failure = QStringLiteral("cannot make a folder for the files to put in the image");
        return false;
    }
    for (auto file = files.begin(); file != files.end(); ++file) {
        QFile made(folder + u'/' + QFile::decodeName(file.key()));
        if (!made.open(QIODevice::WriteOnly) || made.write(file.value()) != file.value().size()) {
            m_failure = QStringLiteral("cannot write ") + made.fileName();
            return false;
        }
    }
    unmount();
    const bool copied = run(QStringLiteral("mcopy"), {QStringLiteral("-s"), QStringLiteral("-i"),
                                                       m_folder.filePath(QStringLiteral("image")), folder, QStringLiteral("::/")});
    attach();
    return copied && m_failure.isEmpty();
}

void MountedImage::unmount()
{
    if (m_mounted && !run(QStringLiteral("umount"), {mountPoint()}))
        run(QStringLiteral("umount"), {QStringLiteral("-l"), mountPoint()});
    m_mounted = false;
}

MountedImage::~MountedImage()
{
    unmount();
    if (!m_loopDevice.isEmpty())
        run(QStringLiteral("losetup"), {QStringLiteral("-d"), m_loopDevice});
}

bool MountedImage::hasTool(const QString &program)
{
    if (!QStandardPaths::findExecutable(program, ToolFolders).isEmpty())
        return true;
    m_skipReason = program + QStringLiteral(" is not installed (make deps installs it)");
    return false;
}

bool MountedImage::run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(program, ToolFolders), arguments);
    const bool ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
                    && process.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    if (!ok && m_failure.isEmpty())
        m_failure = program + u' ' + arguments.join(u' ') + QStringLiteral(" failed: ")
                    + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return ok;
}

} // namespace velmix::test
