#include "apply/BatchReport.h"

#include "apply/ApplyReport.h"
#include "journal/JournalReport.h"

#include <algorithm>

namespace velmix {

qsizetype BatchReport::marked() const
{
    return std::count_if(refused.begin(), refused.end(), [](const RefusedRow &row) { return row.markedAhead; });
}

std::vector<BatchReport::Box> BatchReport::boxes() const
{
    std::vector<Box> boxes = earlier;
    if (!setAside.isEmpty())
        boxes.push_back({JournalReport::Title, setAside.join(u'\n')});
    for (const QString &unreached : unreachable)
        boxes.push_back({JournalReport::Title, JournalReport::folderUnreachable(unreached)});
    if (folderTrouble == FolderTrouble::Unavailable)
        boxes.push_back({ApplyReport::Title, ApplyReport::folderUnavailable(folder)});
    else if (folderTrouble == FolderTrouble::Gone)
        boxes.push_back({ApplyReport::Title, ApplyReport::folderGone(folder)});
    else if (folderTrouble == FolderTrouble::Busy)
        boxes.push_back({JournalReport::Title, ApplyReport::folderBusy(folder)}); // no error: nothing was tried
    if (!journalProblem.isEmpty())
        boxes.push_back({JournalReport::Title, journalProblem});
    if (mediumGone)
        boxes.push_back({ApplyReport::Title, ApplyReport::mediumGone(renamed)});
    else if (notReached > 0)
        boxes.push_back({ApplyReport::CancelTitle, ApplyReport::cancelled(renamed, notReached)});
    if (!refused.empty()) {
        const QString folderPath = folder.endsWith(u'/') ? folder : folder + u'/';
        boxes.push_back({ApplyReport::Title, ApplyReport::failedRows(refused, folderPath)});
    }
    if (!changedSinceApply.isEmpty())
        boxes.push_back({ApplyReport::Title, JournalReport::changedSinceApply(changedSinceApply)});
    if (keptForUndo > 0)
        boxes.push_back({ApplyReport::Title, JournalReport::keptForUndo(keptForUndo)});
    return boxes;
}

void BatchReport::followedBy(BatchReport next)
{
    std::vector<Box> before = boxes();
    next.earlier = std::move(before);
    next.ran = next.ran || ran;
    *this = std::move(next);
}

} // namespace velmix
