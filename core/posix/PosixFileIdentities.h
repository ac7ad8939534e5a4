#pragma once

#include "FileIdentity.h"

namespace velmix {

class PosixFileIdentities : public FileIdentities
{
public:
    std::vector<std::optional<FileIdentity>> identify(const QByteArray &folder, const std::vector<QByteArray> &names,
                                                      Cores cores) override;
    int removeIfSame(const QByteArray &folder, const QByteArray &name, const FileIdentity &expected) override;
};

} // namespace velmix
