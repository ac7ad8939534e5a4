#pragma once

#include "FolderLocks.h"

#include <QString>

namespace velmix {

// A lock file per folder in locks/ under the state folder, named by the folder's device
// and number (so two paths to one folder meet), never beside the files; held with flock,
// which the kernel lets go of when its holder dies. With `wait`, a folder another program
// holds is waited for instead of refused. A folder's hold covers the folders below it.
class PosixFolderLocks : public FolderLocks
{
public:
    enum class Busy { Refuse, Wait };
    PosixFolderLocks(QString stateFolder, Busy busy);

    std::unique_ptr<FolderHold> hold(const QByteArray &folder) override;

private:
    // Holds one folder, alone or `shared` with other programs.
    [[nodiscard]] std::unique_ptr<FolderHold> holdOne(const QByteArray &folder, bool shared);

    QString m_folder;
    Busy m_busy;
};

} // namespace velmix
