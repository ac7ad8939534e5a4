#include "FolderRules.h"

namespace velmix {

bool fatDriverRefuses(QStringView name, FolderRules::Driver driver)
{
    if (driver == FolderRules::Driver::Other)
        return false;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || QStringView(u"*?<>|\":\\").contains(c))
            return true;
    }
    return driver == FolderRules::Driver::KernelVfat && name.endsWith(u' ');
}

} // namespace velmix
