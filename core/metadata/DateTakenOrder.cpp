#include "metadata/DateTakenOrder.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace velmix {

namespace {

constexpr qint64 NoKey = std::numeric_limits<qint64>::max();

qint64 dateKey(const QDateTime &date)
{
    return date.isValid() ? date.date().toJulianDay() * 86'400'000 + date.time().msecsSinceStartOfDay() : NoKey;
}

// The places sorted by their keys, equal keys in name order.
std::vector<quint32> orderByKeys(const std::vector<qint64> &keys)
{
    std::vector<quint32> order(keys.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) { return keys[a] < keys[b]; });
    return order;
}

} // namespace

std::vector<quint32> dateTakenOrder(const std::vector<std::optional<RowMetadata>> &rows)
{
    std::vector<qint64> keys(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        keys[i] = rows[i] ? dateKey(rows[i]->date) : NoKey;
    return orderByKeys(keys);
}

std::vector<quint32> fileFactOrder(const std::vector<std::optional<RowMetadata>> &rows, FileFact fact)
{
    std::vector<qint64> keys(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i])
            keys[i] = NoKey;
        else if (fact == FileFact::Size)
            keys[i] = rows[i]->size < 0 ? NoKey : rows[i]->size;
        else
            keys[i] = dateKey(rows[i]->modified);
    }
    return orderByKeys(keys);
}

} // namespace velmix
