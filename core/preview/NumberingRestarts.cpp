#include "preview/NumberingRestarts.h"

#include <QHash>

#include <algorithm>

namespace velmix {

std::vector<quint32> restartedPlaces(const ListingMetadata &metadata, qsizetype rows,
                                     const std::vector<qsizetype> &skipped, NumberingRestarts restarts)
{
    constexpr quint32 NoDay = 0xFFFFFFFF; // no Julian day a camera writes comes near it
    std::vector<quint32> places(size_t(rows), 0);
    QHash<quint64, quint32> counts;
    auto nextSkipped = skipped.begin();
    for (qsizetype row = 0; row < rows; ++row) {
        if (nextSkipped != skipped.end() && *nextSkipped == row) {
            ++nextSkipped;
            continue;
        }
        const quint32 folder = restarts.perFolder ? metadata.folderAtRow(row) : 0;
        quint32 day = 0;
        if (restarts.perDay) {
            const RowMetadata *read = metadata.atRow(row);
            day = read && read->date.isValid() ? quint32(read->date.date().toJulianDay()) : NoDay;
        }
        places[size_t(row)] = counts[(quint64(folder) << 32) | day]++;
    }
    return places;
}

} // namespace velmix
