#include "undo/UndoRecord.h"

#include "listing/RenamedFolders.h"
#include "text/FileNameCodec.h"


namespace velmix {

std::optional<UndoRecord> UndoRecord::after(const RenameOutcome &outcome, const QString &folder,
                                            const std::vector<std::optional<FileIdentity>> &identities)
{
    UndoRecord record;
    record.m_folder = folder;
    record.setRules(outcome.rules);
    for (size_t row = 0; row < outcome.finalNames.size(); ++row) {
        if (outcome.finalNames[row] == outcome.sources[row])
            continue;
        record.m_currentNames.append(FileNameCodec::decode(outcome.finalNames[row]));
        record.m_oldNames.append(FileNameCodec::decode(outcome.sources[row]));
        record.m_identities.push_back(row < identities.size() ? identities[row] : std::nullopt);
    }
    if (record.m_currentNames.isEmpty())
        return std::nullopt;
    return record;
}

std::optional<UndoRecord> UndoRecord::fromJournal(const JournalContent &content)
{
    const std::vector<JournalRow> &rows = content.plan.rows;
    const std::vector<QByteArray> &finalNames = content.namesNow;
    UndoRecord record;
    record.m_folder = FileNameCodec::decode(content.plan.folder);
    record.setRules(content.plan.rules);
    for (size_t row = 0; row < rows.size(); ++row) {
        if (finalNames[row] == rows[row].from)
            continue;
        record.m_currentNames.append(FileNameCodec::decode(finalNames[row]));
        record.m_oldNames.append(FileNameCodec::decode(rows[row].from));
        record.m_identities.push_back(rows[row].seen == JournalRow::Seen::File ? std::optional(rows[row].identity)
                                                                               : std::nullopt);
    }
    if (record.m_currentNames.isEmpty())
        return std::nullopt;
    return record;
}

UndoRecord UndoRecord::rows(const std::vector<qsizetype> &rows, const std::vector<QByteArray> &namesNow) const
{
    UndoRecord record;
    record.m_folder = m_folder;
    record.m_rules = m_rules;
    for (size_t i = 0; i < rows.size(); ++i) {
        record.m_currentNames.append(FileNameCodec::decode(namesNow[i]));
        record.m_oldNames.append(m_oldNames.at(rows[i]));
        record.m_identities.push_back(m_identities[size_t(rows[i])]);
    }
    return record;
}

void UndoRecord::setRules(const FolderRules &rules)
{
    m_rules = rules;
    // The old names were on this very medium: giving them back is never refused.
    m_rules.refusesWindowsNames = false;
}

UndoRecord::Paths UndoRecord::pathsNow() const
{
    RenamedFolders folders;
    for (qsizetype row = 0; row < fileCount(); ++row)
        folders.renamed(m_oldNames.at(row), m_currentNames.at(row));
    if (folders.isEmpty())
        return {m_currentNames, m_oldNames};
    Paths paths;
    for (qsizetype row = 0; row < fileCount(); ++row) {
        paths.current.append(folders.now(m_currentNames.at(row)));
        paths.old.append(folders.now(m_oldNames.at(row)));
    }
    return paths;
}

QString UndoRecord::question() const
{
    // The folder and one of the names, as they are now, so the user sees which apply is meant.
    const Paths paths = pathsNow();
    return QStringLiteral("Вернуть прежние имена в папке %1?\nФайлов: %2, например:\n%3 → %4")
        .arg(m_folder)
        .arg(fileCount())
        .arg(paths.current.at(0), paths.old.at(0));
}

} // namespace velmix
