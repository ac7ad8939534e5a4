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
    // The history as the journals on disk tell it now, any program's (`journals` as
    // name and folder, oldest first): the records read already are kept, and the entries
    // that never had a journal stay the newest. Returns the journals dropped beyond the
    // depth.
    QStringList readFrom(const std::vector<std::pair<QString, QString>> &journals);
    // The last apply in `folder`, or null.
    [[nodiscard]] Entry *lastIn(const QString &folder);
    [[nodiscard]] bool holds(const QString &folder) const;
    void remove(const Entry *entry);
    void removeJournal(const QString &journal);

private:
    // Drops the oldest entries beyond the depth; returns their journals.
    QStringList trim();

    std::vector<Entry> m_entries;
};

} // namespace velmix
