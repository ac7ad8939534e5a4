#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/types.h>

namespace velmix {

// One line of the mount table (/proc/self/mountinfo).
struct Mount
{
    QString mountPoint;
    QByteArray device; // "major:minor", as a folder on it shows in its st_dev
    QByteArray type;
    QByteArray source; // with its \ooo escapes undone
    QByteArray root = "/"; // the folder of the file system mounted there (a bind mount's own)
};

// The mounts listed in `path`, in its order (a later mount covers an earlier one at the
// same point); empty when it cannot be read.
[[nodiscard]] QList<Mount> readMountTable(const QString &path = QStringLiteral("/proc/self/mountinfo"));

// A device number as Mount::device gives it.
[[nodiscard]] QByteArray deviceField(dev_t device);

} // namespace velmix
