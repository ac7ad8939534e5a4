#pragma once

#include <QString>

namespace velmix {
struct BatchReport;
}

namespace velmix::cli {

// What the desktop's notice says of an apply or an undo: its summary line over the
// refusals (the first lines of them) and, for an apply that can be taken back, how.
struct SummaryNotice
{
    QString summary;
    QString body;

    static constexpr int MostLines = 12;

    // None (an empty summary) where the report tells nothing.
    [[nodiscard]] static SummaryNotice of(const BatchReport &report, const QString &undoFolder);
};

} // namespace velmix::cli
