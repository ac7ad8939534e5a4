#include "UndoRecord.h"

#include "FileNameCodec.h"

namespace velmix {

std::optional<UndoRecord> UndoRecord::after(const RenameOutcome &outcome, const QString &folder)
{
    UndoRecord record;
    record.m_folder = folder;
    record.m_rules = outcome.rules;
    // The old names were on this very medium: giving them back is never refused.
    record.m_rules.refusesWindowsNames = false;
    for (size_t row = 0; row < outcome.finalNames.size(); ++row) {
        if (outcome.finalNames[row] == outcome.sources[row])
            continue;
        record.m_currentNames.append(FileNameCodec::decode(outcome.finalNames[row]));
        record.m_oldNames.append(FileNameCodec::decode(outcome.sources[row]));
    }
    if (record.m_currentNames.isEmpty())
        return std::nullopt;
    return record;
}

QString UndoRecord::question() const
{
    return QStringLiteral("Вернуть прежние имена? Файлов: %1").arg(fileCount());
}

} // namespace velmix
