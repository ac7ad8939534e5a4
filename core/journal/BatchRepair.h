#pragma once

#include "FileIdentity.h"
#include "FileMover.h"
#include "LongWork.h"
#include "journal/JournalFormat.h"

#include <QByteArray>
#include <QSet>

#include <optional>
#include <vector>

namespace velmix {

// Where the files of an interrupted batch are now, found by what each file is: under its
// name before, its name after, or a temporary name; and the leftovers of the move a crash
// cut short (an empty placeholder, a second link), which are to go.
struct BatchState
{
    struct Leftover
    {
        QByteArray name;
        FileIdentity identity;
    };
    std::vector<QByteArray> current; // per row; empty where the file is not found
    // The names of the files whose last moves a crash kept from the journal.
    std::vector<FoundName> unrecorded;
    std::vector<Leftover> leftovers;
    qsizetype moved = 0;    // under their names after
    qsizetype notMoved = 0; // under their names before, or a temporary name
    qsizetype missing = 0;
};

// `onDisk` holds the folder's entries, spelled exactly as on disk.
[[nodiscard]] BatchState locateBatch(const JournalContent &content, const QSet<QByteArray> &onDisk,
                                     FileIdentities &identities);

// The same, the batch's folder read as a listing reads it; nothing where it cannot be read.
[[nodiscard]] std::optional<BatchState> locateBatchInFolder(FileMover &files, FileIdentities &identities,
                                                            const JournalContent &content, WorkProgress *progress);

} // namespace velmix
