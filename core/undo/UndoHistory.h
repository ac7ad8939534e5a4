#pragma once

#include "journal/RenameJournal.h"
#include "undo/UndoRecord.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace velmix {

// The applies that can still be taken back, any folder, the newest last and at most
// Depth of them. An entry read from a journal at start-up holds only its folder until
// its undo reads the rest.
class UndoHistory
{
public:
    // As many as the journals kept for their undo.
    static constexpr qsizetype Depth = RenameJournal::HistoryDepth;

    struct Entry
    {
        QString folder;
        QString journal; // empty where it could not be written
        std::optional<UndoRecord> record;
    };

    // Adds the newest entry; returns the journals of entries dropped beyond the depth.
    QStringList add(Entry entry);
    // The last apply in `folder`, or null.
    [[nodiscard]] Entry *lastIn(const QString &folder);
    [[nodiscard]] bool holds(const QString &folder) const;
    void remove(const Entry *entry);
    void removeJournal(const QString &journal);

private:
    std::vector<Entry> m_entries;
};

} // namespace velmix
