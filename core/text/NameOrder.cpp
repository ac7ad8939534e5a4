#include "text/NameOrder.h"

namespace velmix {

int compareNames(QStringView a, QStringView b)
{
    const qsizetype common = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = foldCase(a[i].unicode());
        const char16_t y = foldCase(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

} // namespace velmix
