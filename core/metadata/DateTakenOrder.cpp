#include "metadata/DateTakenOrder.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace velmix {

std::vector<quint32> dateTakenOrder(const std::vector<std::optional<RowMetadata>> &rows)
{
    std::vector<qint64> keys(rows.size());
    constexpr qint64 NoDate = std::numeric_limits<qint64>::max();
    for (size_t i = 0; i < rows.size(); ++i)
        keys[i] = rows[i] && rows[i]->date.isValid()
                      ? rows[i]->date.date().toJulianDay() * 86'400'000 + rows[i]->date.time().msecsSinceStartOfDay()
                      : NoDate;
    std::vector<quint32> order(rows.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) { return keys[a] < keys[b]; });
    return order;
}

} // namespace velmix
