#include "text/NameTail.h"

namespace velmix {

int FindExtensionDot(QStringView name)
{
    // The leftmost dot before the last character decides; a forward search finds it
    // without reading the rest of the name.
    const qsizetype end = name.size() - 1;
    for (qsizetype i = 0; i < end; ++i) {
        if (name[i] == u'.')
            return int(end - i);
    }
    return 0;
}

qsizetype tailLength(QStringView name)
{
    const int k = FindExtensionDot(name);
    if (k > 0)
        return k + 1;
    return name.endsWith(u'.') ? 1 : 0;
}

} // namespace velmix
