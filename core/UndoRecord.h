#pragma once

#include "NameColumn.h"
#include "RenameExecutor.h"

#include <QString>

#include <optional>

namespace velmix {

// What the last apply did, kept in memory so that it can be taken back: for each file it
// renamed, the name the file has now (a temporary name a broken cycle left included) and
// its old name.
class UndoRecord
{
public:
    static inline const QString QuestionTitle = QStringLiteral("Возврат прежних имён");

    // Nothing when the apply renamed no file.
    [[nodiscard]] static std::optional<UndoRecord> after(const RenameOutcome &outcome, const QString &folder);

    [[nodiscard]] const QString &folder() const { return m_folder; }
    [[nodiscard]] qsizetype fileCount() const { return m_currentNames.size(); }
    [[nodiscard]] QString question() const;
    [[nodiscard]] const NameColumn &currentNames() const { return m_currentNames; }
    [[nodiscard]] const NameColumn &oldNames() const { return m_oldNames; }
    // The folder's rules the apply went by.
    [[nodiscard]] const FolderRules &rules() const { return m_rules; }

private:
    QString m_folder;
    NameColumn m_currentNames;
    NameColumn m_oldNames;
    FolderRules m_rules;
};

} // namespace velmix
