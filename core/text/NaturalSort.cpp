#include "text/NaturalSort.h"

#include "text/NameOrder.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace velmix {

std::vector<quint32> naturalOrder(const NameColumn &names)
{
    // A fixed locale, as the C locale turns the numeric mode off; English has no tailoring
    // of its own, so Latin names come before Cyrillic ones, as they do by name.
    QCollator collator(QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i)
        keys.push_back(collator.sortKey(names.at(i).toString()));
    std::vector<quint32> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), quint32(0));
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : compareNames(names.at(a), names.at(b)) < 0;
    });
    return order;
}

} // namespace velmix
