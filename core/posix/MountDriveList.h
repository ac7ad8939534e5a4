#pragma once

#include "DriveList.h"

#include <QString>

namespace velmix {

// The mounted file systems a user would pick: block devices, network and FUSE mounts,
// "/" whatever its type, and the volume of the start folder; pseudo file systems left out.
class MountDriveList : public DriveList
{
public:
    // `mountInfoPath` names the mount table: /proc/self/mountinfo, or a test's stand-in.
    explicit MountDriveList(const QString &startFolder,
                            const QString &mountInfoPath = QStringLiteral("/proc/self/mountinfo"));

    [[nodiscard]] QList<Drive> drives() const override;

private:
    QString m_startFolder;
    QString m_mountInfoPath;
};

} // namespace velmix
