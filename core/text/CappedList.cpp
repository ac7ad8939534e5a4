#include "text/CappedList.h"

namespace velmix {

QStringList cappedList(qsizetype count, const std::function<QStringList(qsizetype)> &linesOf)
{
    QStringList lines;
    const qsizetype shown = qMin(count, ListedItemsLimit);
    for (qsizetype i = 0; i < shown; ++i)
        lines += linesOf(i);
    if (count > shown)
        lines << QStringLiteral("… и ещё %1").arg(count - shown);
    return lines;
}

} // namespace velmix
