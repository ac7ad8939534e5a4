#pragma once

#include "LongWork.h"
#include "marks/RenameFailure.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace velmix {

// What an apply, an undo or a repair did, as a value: the window shows its boxes and its
// summary line, the command line prints them and takes its exit status from it.
struct BatchReport
{
    struct RefusedRow
    {
        QString from;
        QString to;
        RenameFailure failure;
        bool markedAhead = false; // marked in the grid before the apply
    };
    struct Box
    {
        QString title;
        QString text;
    };
    enum class FolderTrouble {
        None,
        Unavailable, // the folder could not be opened for the step at all
        Gone,        // it could not be read again after the moves
        Busy,        // another Velmix program renames in it: nothing was done
    };

    WorkKind kind = WorkKind::Renaming;
    // Whether a batch was met: an apply or undo that started, a repair that found a batch.
    bool ran = false;
    QString folder;
    qsizetype renamed = 0;
    qsizetype notReached = 0; // rows a cancel or a pulled medium left as they were
    bool mediumGone = false;
    std::vector<RefusedRow> refused; // in row order
    FolderTrouble folderTrouble = FolderTrouble::None;
    QString journalProblem;         // the journal could not be written (told once per run)
    QStringList changedSinceApply;  // files an undo left alone, as paths
    qsizetype keptForUndo = 0;      // files an undo did not bring back, still undoable
    QStringList setAside;           // one line per journal set aside
    QStringList unreachable;        // folders of batches to repair that were not found
    QString ruleSetProblem;         // the applied set could not be kept: no box, a line
    QString summary;                // the status line ("Переименовано 3 из 4")
    std::vector<Box> earlier;       // the boxes of the batches before, in the same flow

    [[nodiscard]] qsizetype marked() const;
    // The boxes, in the order they are shown.
    [[nodiscard]] std::vector<Box> boxes() const;
    // Nothing refused, stopped, kept back or set aside: the command line's status 0.
    [[nodiscard]] bool clean() const { return boxes().empty(); }
    // Takes in the report of the batch after this one in the same flow.
    void followedBy(BatchReport next);
};

} // namespace velmix
