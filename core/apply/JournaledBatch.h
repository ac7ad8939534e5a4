#pragma once

#include "journal/JournalFormat.h"
#include "listing/FolderRules.h"
#include "text/NameColumn.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace velmix {

// One batch of moves in one folder, with what its journal needs to know.
struct JournaledBatch
{
    BatchKind kind = BatchKind::Apply;
    QByteArray folder = {};
    NameColumn from = {};
    NameColumn to = {};
    FolderRules rules = {};
    NameColumn unlisted = {}; // the folder's other entries as listed
    QString undoes = {};      // an undo's apply, by its journal
    QString resumes = {};     // a repair's interrupted journal, which records it
    // For a repair, where the files are whose moves the interrupted batch did not record.
    std::vector<FoundName> unrecorded = {};
};

} // namespace velmix
