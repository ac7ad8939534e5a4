#pragma once

#include "DriveList.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace velmix {

// The drive, folder and mask the user chose, with what the choice remembers to fall back
// on: the last folder that could be read, and each drive's last folder. It decides where
// to go; the one who lists tries each place in turn.
class FolderSelection
{
public:
    FolderSelection(QList<Drive> drives, const QString &startFolder, const QString &mask);

    // Full path without a trailing separator, but "/" for the root.
    [[nodiscard]] static QString normalized(const QString &path);

    [[nodiscard]] const QList<Drive> &drives() const { return m_drives; }
    [[nodiscard]] const QString &folder() const { return m_folder; }
    [[nodiscard]] int driveIndex() const { return m_driveIndex; }
    [[nodiscard]] const QString &maskText() const { return m_maskText; }
    // The last drive whose folder was listed, or -1.
    [[nodiscard]] int savedDriveIndex() const { return int(m_drives.indexOf(Drive{m_savedDriveMount})); }
    [[nodiscard]] int driveIndexHolding(const QString &path) const;

    void setFolder(const QString &folder) { m_folder = folder; }
    void setDriveIndex(int index) { m_driveIndex = index; }
    void setMaskText(const QString &mask) { m_maskText = mask; }
    // The drive shown is remembered as the last good one.
    void saveDrive();

    // The folder was read: it is the one to come back to, on its drive too.
    void folderRead();
    // Where to go, in order, when the folder cannot be read: the last folder that could,
    // its parents, the folder's own parents, home, the root.
    [[nodiscard]] QStringList fallbacks() const;
    void fellBackTo(const QString &folder);

    // The drive's folder to show, or the nearest readable parent on it; empty when not
    // even the drive's root can be read (the drive is not ready).
    [[nodiscard]] QString readableFolderOn(int driveIndex) const;
    // The drives to go back to when the one picked is not ready, best first: the last
    // good one, the home folder's, the root's.
    [[nodiscard]] std::vector<int> recoveryDrives() const;

private:
    [[nodiscard]] QString shownFolderOf(int driveIndex) const;

    QList<Drive> m_drives;
    QString m_folder;
    QString m_lastReadableFolder;
    int m_driveIndex = -1;
    QString m_savedDriveMount;
    QHash<QString, QString> m_lastFolderOnDrive;
    QString m_maskText;
};

} // namespace velmix
