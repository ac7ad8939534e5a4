#pragma once

#include "FileIdentity.h"
#include "apply/RenameExecutor.h"
#include "journal/JournalFormat.h"
#include "text/NameColumn.h"

#include <QString>

#include <optional>
#include <vector>

namespace velmix {

// What one apply did, so that it can be taken back: for each file it renamed, the name
// the file has now (a temporary name a broken cycle left included), its old name, and
// what the file was, so that a file changed since is left alone. Made from the apply's
// outcome, or read back from its journal after a restart.
class UndoRecord
{
public:
    static inline const QString QuestionTitle = QStringLiteral("Возврат прежних имён");

    // Nothing when the apply renamed no file. `identities` holds, per row, what the file
    // was before it moved, where known.
    [[nodiscard]] static std::optional<UndoRecord> after(const RenameOutcome &outcome, const QString &folder,
                                                         const std::vector<std::optional<FileIdentity>> &identities);
    // The finished apply a journal holds; nothing when it renamed no file.
    [[nodiscard]] static std::optional<UndoRecord> fromJournal(const JournalContent &content);

    [[nodiscard]] const QString &folder() const { return m_folder; }
    [[nodiscard]] qsizetype fileCount() const { return m_currentNames.size(); }
    [[nodiscard]] QString question() const;
    // The record of `rows` alone (by index), their files now under `namesNow`.
    [[nodiscard]] UndoRecord rows(const std::vector<qsizetype> &rows, const std::vector<QByteArray> &namesNow) const;
    // Both columns as paths in the tree as it is now: a record over a tree reads every path
    // as the tree was before its apply, which may have renamed the folders above them.
    struct Paths
    {
        NameColumn current;
        NameColumn old;
    };
    [[nodiscard]] Paths pathsNow() const;
    [[nodiscard]] const NameColumn &currentNames() const { return m_currentNames; }
    [[nodiscard]] const NameColumn &oldNames() const { return m_oldNames; }
    // Per file, what it was; nothing where it could not be looked up.
    [[nodiscard]] const std::vector<std::optional<FileIdentity>> &identities() const { return m_identities; }
    // The folder's rules the apply went by.
    [[nodiscard]] const FolderRules &rules() const { return m_rules; }

private:
    void setRules(const FolderRules &rules);

    QString m_folder;
    NameColumn m_currentNames;
    NameColumn m_oldNames;
    std::vector<std::optional<FileIdentity>> m_identities;
    FolderRules m_rules;
};

} // namespace velmix
