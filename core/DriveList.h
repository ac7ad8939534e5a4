#pragma once

#include <QList>
#include <QString>

namespace velmix {

// A drive the user can pick: on Linux a mounted file system, named by its mount point.
struct Drive
{
    QString mountPoint;
    friend bool operator==(const Drive &, const Drive &) = default;
};

// The platform's list of drives, read when the program starts.
class DriveList
{
public:
    virtual ~DriveList() = default;
    [[nodiscard]] virtual QList<Drive> drives() const = 0;
};

} // namespace velmix
